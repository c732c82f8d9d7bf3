// Arbitrary bytes as a patch file: load, swap two indices taken from the
// input, save. A save without a change gives back the bytes read (up to a
// NUL byte), the swapped text reads as the swapped patch, and a swap done
// twice gives back the bytes read. Then the area is ordered by
// signal flow: ordering again must change nothing, and the inverse
// renumbering must give back the bytes read.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/Errors.h"
#include "flow/PatchFlow.h"
#include "patch/PatchDefs.h"

using namespace permuto;

namespace {

// What a patch holds that refers to modules, in the program's own layout.
// (Notes are free text: an unclosed notes section runs over the sections
// after it, which are read as sections too and renumbered as such.)
std::string Modules(const TPatchDef& Patch)
{
    return WrittenText([&Patch](TLineWriter& Lines) {
        for (const TArea Dump : BothAreas) {
            Patch.ModuleDumps[Dump].SaveToStrings(Lines);
            Patch.CableDumps[Dump].SaveToStrings(Lines);
            Patch.ParameterDumps[Dump].SaveToStrings(Lines);
            Patch.CustomDumps[Dump].SaveToStrings(Lines);
            Patch.NameDumps[Dump].SaveToStrings(Lines);
        }
        Patch.MorphMapDump.SaveToStrings(Lines);
        Patch.KnobMapDump.SaveToStrings(Lines);
        Patch.ControlMapDump.SaveToStrings(Lines);
    });
}

bool Load(TPatchDef& Patch, const std::string& Bytes)
{
    try {
        Patch.LoadFromStrings(TPatchText(Bytes));
    } catch (const EListError&) {
        return false; // no usable version line: refused, as the window would show
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    // The first nine bytes choose the swap; the rest is the patch file.
    if (Size < 9)
        return 0;
    const TArea Area = Data[0] % 2 == 0 ? AreaPoly : AreaCommon;
    int32_t A = 0, B = 0;
    std::memcpy(&A, Data + 1, 4);
    std::memcpy(&B, Data + 5, 4);
    // Small indices meet the modules of real patches far more often.
    if ((A & 0x80) == 0)
        A &= 0x0F;
    if ((B & 0x80) == 0)
        B &= 0x0F;
    std::string Bytes(reinterpret_cast<const char*>(Data + 9), Size - 9);
    Bytes.resize(std::min(Bytes.size(), Bytes.find('\0'))); // what is read of it

    TPatchDef Patch;
    if (!Load(Patch, Bytes))
        return 0;
    if (Patch.Text() != Bytes)
        __builtin_trap(); // a save without a change writes the bytes read
    Patch.SwapModules(Area, A, B);
    const std::string Swapped = Patch.Text();

    TPatchDef Again;
    if (!Load(Again, Swapped))
        __builtin_trap(); // a saved patch must load
    // What a renumbering could not follow keeps its numbers; all else reads as swapped.
    if (!Patch.ReadLosses().Any() && Modules(Again) != Modules(Patch))
        __builtin_trap(); // the saved text is the swapped patch
    Patch.SwapModules(Area, A, B);
    if (Patch.Text() != Bytes)
        __builtin_trap(); // a swap done twice must undo itself

    TRenumbering Order;
    try {
        Order = SignalFlowOrder(Patch, Area);
        Patch.Renumber(Area, Order);
    } catch (const ERenumberError&) {
        return 0; // an index used twice: refused
    }
    const std::string Ordered = Patch.Text();
    if (!SignalFlowOrder(Patch, Area).IsIdentity() || Patch.Text() != Ordered)
        __builtin_trap(); // ordering twice must change nothing
    Patch.Renumber(Area, Order.Inverse());
    if (Patch.Text() != Bytes)
        __builtin_trap(); // the inverse must undo the order
    return 0;
}
