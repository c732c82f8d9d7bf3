// Arbitrary bytes as a module library file. The reader must never crash; the
// type lookup must find the first entry of each type, as a plain search
// would; and an entry whose texts hold no double quote (the written form puts
// texts between quotes as they are) and whose name is one word must write
// itself out as lines that read back as one entry writing the same lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "library/Descript.h"

using namespace permuto;

namespace {

bool HasQuote(const std::string& Text)
{
    return Text.find('"') != std::string::npos;
}

template <class TList>
bool AnyQuote(const TList& List)
{
    for (int32_t I = 0; I < List.Count(); ++I)
        if (HasQuote(List.Items(I).Name))
            return true;
    return false;
}

// True when the written form of Entry can hold all of its texts.
bool Writable(const TModuleDescriptor& Entry)
{
    if (HasQuote(Entry.Name) || Entry.Name.find_first_of(" \t") != std::string::npos || HasQuote(Entry.Remarks))
        return false;
    if (AnyQuote(Entry.Parameters) || AnyQuote(Entry.Inputs) || AnyQuote(Entry.Outputs) || AnyQuote(Entry.Customs))
        return false;
    for (int32_t I = 0; I < Entry.Parameters.Count(); ++I)
        if (HasQuote(Entry.Parameters.Items(I).Text))
            return false;
    for (int32_t I = 0; I < Entry.Customs.Count(); ++I)
        if (HasQuote(Entry.Customs.Items(I).Text))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TStringList Lines;
    Lines.SetText(std::string(reinterpret_cast<const char*>(Data), Size));
    TModuleDescriptors Library;
    Library.LoadFromStrings(Lines);
    for (int32_t I = 0; I < Library.Count(); ++I) {
        const TModuleDescriptor& Entry = Library.Items(I);
        int32_t First = 0;
        while (Library.Items(First).TypeNumber != Entry.TypeNumber)
            ++First;
        if (Library.FindByType(Entry.TypeNumber) != &Library.Items(First))
            __builtin_trap(); // the lookup must give the first entry of the type

        if (!Writable(Entry))
            continue;
        TStringList Written;
        Entry.SaveToStrings(Written);
        TModuleDescriptor Back;
        int32_t Index = 0;
        Back.LoadFromStrings(Written, Index);
        if (Index != Written.Count())
            __builtin_trap(); // the written entry must read back whole
        TStringList Again;
        Back.SaveToStrings(Again);
        if (Again.Text() != Written.Text())
            __builtin_trap(); // and write the same lines
    }
    return 0;
}
