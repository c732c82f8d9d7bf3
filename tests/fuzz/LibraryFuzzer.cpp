// Arbitrary bytes as a module library file. The reader must never crash; the
// type lookup must find the first entry of each type, as a plain search
// would; and an entry whose texts hold no double quote (the written form puts
// texts between quotes as they are) and whose name is one word must write
// itself out as lines that read back as one entry writing the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "modules/Descript.h"

using namespace permuto;

namespace {

// True when the written form of Entry can hold all of its texts: none holds
// a double quote, and the type name is one word.
bool Writable(const TModuleDescriptor& Entry)
{
    std::vector<const std::string*> Texts = {&Entry.Name, &Entry.Remarks};
    const auto Add = [&](const auto& List, auto... Fields) {
        for (int32_t I = 0; I < List.Count(); ++I)
            (Texts.push_back(&(List.Items(I).*Fields)), ...);
    };
    Add(Entry.Parameters, &TKnobDescriptor::Name, &TKnobDescriptor::Text);
    Add(Entry.Inputs, &TConnectorDescriptor::Name);
    Add(Entry.Outputs, &TConnectorDescriptor::Name);
    Add(Entry.Customs, &TCustomDescriptor::Name, &TCustomDescriptor::Text);
    for (const std::string* Text : Texts)
        if (Text->find('"') != std::string::npos)
            return false;
    return Entry.Name.find_first_of(" \t") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TModuleDescriptors Library;
    Library.LoadFromStrings(TLineTable(std::string(reinterpret_cast<const char*>(Data), Size)));
    for (int32_t I = 0; I < Library.Count(); ++I) {
        const TModuleDescriptor& Entry = Library.Items(I);
        int32_t First = 0;
        while (Library.Items(First).TypeNumber != Entry.TypeNumber)
            ++First;
        if (Library.FindByType(Entry.TypeNumber) != &Library.Items(First))
            __builtin_trap(); // the lookup must give the first entry of the type

        if (!Writable(Entry))
            continue;
        const std::string Text = WrittenText([&Entry](TLineWriter& Lines) { Entry.SaveToStrings(Lines); });
        const TLineTable Written(Text);
        TModuleDescriptor Back;
        int32_t Index = 0;
        Back.LoadFromStrings(Written, Index);
        if (Index != Written.Count())
            __builtin_trap(); // the written entry must read back whole
        if (WrittenText([&Back](TLineWriter& Lines) { Back.SaveToStrings(Lines); }) != Text)
            __builtin_trap(); // and write the same lines
    }
    return 0;
}
