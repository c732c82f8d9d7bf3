// Arbitrary bytes as a module library file: the reader must never crash, and
// every entry it accepts must write itself out and read back as one entry.
#include <cstddef>
#include <cstdint>
#include <string>

#include "library/Descript.h"

using namespace permuto;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TStringList Lines;
    Lines.SetText(std::string(reinterpret_cast<const char*>(Data), Size));
    TModuleDescriptors Library;
    Library.LoadFromStrings(Lines);
    for (int32_t I = 0; I < Library.Count(); ++I) {
        const TModuleDescriptor& Entry = Library.Items(I);
        (void)Library.FindByType(Entry.TypeNumber);
        TStringList Written;
        Entry.SaveToStrings(Written);
        TModuleDescriptor Back;
        int32_t Index = 0;
        Back.LoadFromStrings(Written, Index);
    }
    return 0;
}
