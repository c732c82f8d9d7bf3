// What a load followed by a save would not keep. The read file falls into
// blocks, one per section header, and one for the lines before the first
// (the header section among them). Each section the save writes is compared line by line with
// the next unused block of the file that has the same header, as the save
// makes it, and nothing is held while they agree; a section that merely
// stands at another place in the file is thus no change. From a line where
// the two differ on, the block's saved lines are kept as hashes, and in the
// end every read line that was not matched in step, and finds no saved line
// of the same text among those hashes (each taken once), counts as one that a
// save would not write back. Time and memory grow with the file, and the
// hashes only with the lines that differ.
#include "PatchDefs.h"

#include <algorithm>
#include <bit>

namespace permuto {

namespace {

// Line ends are gone already; blanks at the ends of lines are no change
// worth a word (editors end number lines with one, the save drops it).
std::string_view Trimmed(std::string_view Line)
{
    while (!Line.empty() && (Line.back() == ' ' || Line.back() == '\t'))
        Line.remove_suffix(1);
    return Line;
}

uint64_t Hash(std::string_view Line)
{
    uint64_t Value = 14695981039346656037ull; // FNV-1a
    for (const char C : Line)
        Value = (Value ^ static_cast<unsigned char>(C)) * 1099511628211ull;
    return Value;
}

// A multiset of hashes, each taken out once: open addressing in a table of
// twice as many slots or more.
class THashCounts {
public:
    explicit THashCounts(const std::vector<uint64_t>& Values)
        : FMask(std::bit_ceil(std::max<size_t>(16, 2 * Values.size())) - 1)
        , FKeys(FMask + 1)
        , FCounts(FMask + 1, 0)
        , FUsed(FMask + 1, 0)
    {
        for (const uint64_t Value : Values) {
            const size_t Slot = Find(Value);
            FKeys[Slot] = Value;
            FUsed[Slot] = 1;
            ++FCounts[Slot];
        }
    }
    bool Take(uint64_t Value)
    {
        const size_t Slot = Find(Value);
        if (!FUsed[Slot] || FCounts[Slot] == 0)
            return false;
        --FCounts[Slot];
        return true;
    }

private:
    // The slot that holds Value, or the empty one where it would go.
    size_t Find(uint64_t Value) const
    {
        size_t Slot = static_cast<size_t>(Value ^ (Value >> 29)) & FMask;
        while (FUsed[Slot] && FKeys[Slot] != Value)
            Slot = (Slot + 1) & FMask;
        return Slot;
    }

    size_t FMask;
    std::vector<uint64_t> FKeys;
    std::vector<uint32_t> FCounts;
    std::vector<uint8_t> FUsed;
};

} // namespace

TUnsavedLines UnsavedLines(const TPatchDef& Patch, const TPatchText& Read)
{
    // Where the file's blocks begin: its section headers, in file order; and
    // per section, which of its headers the save has met so far.
    const std::span<const TSectionName> Names = PatchSectionNames();
    std::vector<int32_t> Starts;
    for (const TSectionName& Section : Names) {
        const std::span<const int32_t> Headers = Read.Headers(Section.Name);
        Starts.insert(Starts.end(), Headers.begin(), Headers.end());
    }
    std::sort(Starts.begin(), Starts.end());
    // The file's beginning (the header section, text before it) is a block
    // as well: the save writes its own beginning against it.
    if (Starts.empty() || Starts.front() != 0)
        Starts.insert(Starts.begin(), 0);
    std::vector<size_t> Met(Names.size(), 0);
    // Per block, how many of its lines the save matched in step.
    std::vector<int32_t> Matched(Starts.size(), 0);
    const auto EndOf = [&](size_t Block) { return Block + 1 < Starts.size() ? Starts[Block + 1] : Read.Count(); };

    size_t Block = 0;   // the block the save is writing, SIZE_MAX: none
    bool Apart = false; // it differs from the save already
    std::vector<uint64_t> Rest;
    const auto Saved = [&](std::string_view Line) {
        Line = Trimmed(Line);
        // A section begins: its counterpart is the file's next block with
        // that header (a line of notes in brackets is no header).
        for (size_t Name = 0; Line.starts_with('[') && Name < Names.size(); ++Name) {
            const std::string_view Section = Names[Name].Name;
            if (Line.substr(1, Section.size()) != Section)
                continue;
            const std::span<const int32_t> Headers = Read.Headers(Section);
            Block = SIZE_MAX;
            if (Met[Name] < Headers.size()) {
                const int32_t Start = Headers[Met[Name]++];
                Block = static_cast<size_t>(std::lower_bound(Starts.begin(), Starts.end(), Start) - Starts.begin());
            }
            Apart = Block == SIZE_MAX;
            break;
        }
        if (!Apart) {
            const int32_t Next = Starts[Block] + Matched[Block];
            if (Next < EndOf(Block) && Trimmed(Read[Next]) == Line) {
                ++Matched[Block];
                return;
            }
            Apart = true;
        }
        Rest.push_back(Hash(Line));
    };
    std::string Carry; // a saved line that one piece began and the next ends
    TLineWriter Writer([&](std::string_view Bytes) {
        for (size_t End; (End = Bytes.find("\r\n")) != std::string_view::npos; Bytes.remove_prefix(End + 2)) {
            if (Carry.empty()) {
                Saved(Bytes.substr(0, End));
            } else {
                Carry.append(Bytes.substr(0, End));
                Saved(Carry);
                Carry.clear();
            }
        }
        Carry.append(Bytes);
    });
    Patch.SaveToStrings(Writer);
    Writer.Flush();

    // The read lines not matched in step, in file order: what each block
    // holds past its matched lines.
    TUnsavedLines Unsaved;
    THashCounts Left(Rest);
    const auto Check = [&](int32_t From, int32_t To) {
        for (int32_t Line = From; Line < To; ++Line) {
            if (Left.Take(Hash(Trimmed(Read[Line]))))
                continue;
            if (Unsaved.Count++ == 0) {
                Unsaved.First = Read.FileLine(Line);
                Unsaved.FirstText = Read.FileText(Line);
            }
        }
    };
    for (size_t I = 0; I < Starts.size(); ++I)
        Check(Starts[I] + Matched[I], EndOf(I));
    return Unsaved;
}

} // namespace permuto
