// Arbitrary bytes as a patch file: load, swap two indices taken from the
// input, save, load the saved text and save again. The two saves must agree,
// a saved text holds nothing that a save would not write back, and a swap
// done twice must give back the first save. Then the area is
// ordered by signal flow: ordering again must change nothing, and the
// inverse renumbering must give back what was there before.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "library/Errors.h"
#include "patch/PatchDefs.h"

using namespace permuto;

namespace {

std::string Save(const TPatchDef& Patch)
{
    return WrittenText([&Patch](TLineWriter& Lines) { Patch.SaveToStrings(Lines); });
}

bool Load(TPatchDef& Patch, const TPatchText& Text)
{
    try {
        Patch.LoadFromStrings(Text);
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
    const uint8_t Area = Data[0] % 3;
    int32_t A = 0, B = 0;
    std::memcpy(&A, Data + 1, 4);
    std::memcpy(&B, Data + 5, 4);
    // Small indices meet the modules of real patches far more often.
    if ((A & 0x80) == 0)
        A &= 0x0F;
    if ((B & 0x80) == 0)
        B &= 0x0F;
    const TPatchText Text(std::string(reinterpret_cast<const char*>(Data + 9), Size - 9));

    TPatchDef Patch;
    if (!Load(Patch, Text))
        return 0;
    if (UnsavedLines(Patch, Text).Count > Text.Count())
        __builtin_trap(); // no line counts twice
    const std::string Loaded = Save(Patch);
    Patch.SwapModules(Area, A, B);
    const std::string First = Save(Patch);

    TPatchDef Again;
    const TPatchText Written(First);
    if (!Load(Again, Written))
        __builtin_trap(); // a saved patch must load
    if (Save(Again) != First)
        __builtin_trap(); // a save must be stable
    if (UnsavedLines(Again, Written).Count != 0)
        __builtin_trap(); // a save writes back all of a saved patch
    Again.SwapModules(Area, A, B);
    if (Save(Again) != Loaded)
        __builtin_trap(); // a swap done twice must undo itself

    TRenumbering Order;
    try {
        Order = Again.OrderBySignalFlow(Area);
    } catch (const ERenumberError&) {
        return 0; // an index used twice: refused
    }
    const std::string Ordered = Save(Again);
    if (!Again.OrderBySignalFlow(Area).IsIdentity() || Save(Again) != Ordered)
        __builtin_trap(); // ordering twice must change nothing
    Again.Renumber(Area, Order.Inverse());
    if (Save(Again) != Loaded)
        __builtin_trap(); // the inverse must undo the order
    return 0;
}
