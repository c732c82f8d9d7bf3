#include "PatchText.h"

#include <algorithm>

#include "SectionDump.h"

namespace permuto {

TPatchText::TPatchText(TLineTable Lines)
    : FLines(std::move(Lines))
{
    IndexHeaders();
    // The readers of the per-area sections each take the first header of
    // their section whose area line carries their area code. Where that area
    // line also holds the area's first record, it is split into the area
    // code and the record, as those readers would have it; the record stays
    // at its place in the text.
    const std::span<const TSectionName> Names = PatchSectionNames();
    std::vector<TLineTable::TSplit> Splits;
    for (size_t Section = 0; Section < Names.size(); ++Section) {
        if (!Names[Section].PerArea)
            continue;
        for (const TArea Area : BothAreas)
            for (const int32_t Header : FHeaders[Section]) {
                TAreaCode Code = 0;
                int32_t RecordAt = 0;
                if (Header + 1 < Count() && ReadAreaLineCode(FLines[Header + 1], Code, RecordAt) && Code == CodeOf(Area)) {
                    if (RecordAt != 0)
                        Splits.push_back({Header + 1, static_cast<uint32_t>(RecordAt - 1), std::to_string(Code)});
                    break;
                }
            }
    }
    if (Splits.empty())
        return;
    std::sort(Splits.begin(), Splits.end(), [](const auto& A, const auto& B) { return A.Line < B.Line; });
    for (size_t I = 0; I < Splits.size(); ++I) {
        FSplitHeads.push_back(Splits[I].Line + static_cast<int32_t>(I)); // each split before it adds a line
        FSplitText.emplace_back(FLines[Splits[I].Line]);
    }
    FLines.Split(Splits);
    IndexHeaders();
}

int32_t TPatchText::FileLine(int32_t Index) const
{
    // Each split before Index, and the one Index is the second half of,
    // added a line.
    const auto Added = std::upper_bound(FSplitHeads.begin(), FSplitHeads.end(), Index - 1) - FSplitHeads.begin();
    return Index - static_cast<int32_t>(Added);
}

std::string TPatchText::FileText(int32_t Index) const
{
    const auto Head = std::upper_bound(FSplitHeads.begin(), FSplitHeads.end(), Index) - FSplitHeads.begin() - 1;
    if (Head >= 0 && Index - FSplitHeads[static_cast<size_t>(Head)] <= 1)
        return FSplitText[static_cast<size_t>(Head)];
    return std::string(FLines[Index]);
}

void TPatchText::IndexHeaders()
{
    const std::span<const TSectionName> Names = PatchSectionNames();
    std::vector<std::string> Prefixes;
    for (const TSectionName& Name : Names)
        Prefixes.push_back(SectionPrefix(Name.Name));
    FHeaders.assign(Names.size(), {});
    for (const int32_t Line : FLines.BracketLines()) {
        const std::string_view Text = FLines[Line];
        // No section's name begins another's: a line opens one section at most.
        for (size_t Section = 0; Section < Prefixes.size(); ++Section)
            if (StartsWithText(Text, Prefixes[Section])) {
                FHeaders[Section].push_back(Line);
                break;
            }
    }
}

std::span<const int32_t> TPatchText::Headers(std::string_view Name) const
{
    const std::span<const TSectionName> Names = PatchSectionNames();
    for (size_t Section = 0; Section < Names.size(); ++Section)
        if (Names[Section].Name == Name)
            return FHeaders[Section];
    return {};
}

bool TPatchText::HoldsASection() const
{
    return std::any_of(FHeaders.begin(), FHeaders.end(), [](const auto& Lines) { return !Lines.empty(); });
}

} // namespace permuto
