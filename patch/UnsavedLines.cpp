// What a load followed by a save would not keep. Most files are written in
// the program's own layout already: their lines are compared with the saved
// lines one by one, as the save makes them, and nothing is held. From the
// first line that differs on, the saved lines are kept as hashes, and every
// read line that finds no saved line of the same text (each saved line
// taken once) counts as one that a save would not write back; a section
// that merely stands at another place in the file is no change.
#include "PatchDefs.h"

#include <algorithm>

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

} // namespace

TUnsavedLines UnsavedLines(const TPatchDef& Patch, const TLineTable& Read)
{
    int32_t Next = 0; // the next read line to meet its saved line
    bool Apart = false;
    std::vector<uint64_t> Rest; // the saved lines from the first difference on
    const auto Saved = [&](std::string_view Line) {
        if (!Apart) {
            if (Next < Read.Count() && Trimmed(Read[Next]) == Trimmed(Line)) {
                ++Next;
                return;
            }
            Apart = true;
        }
        Rest.push_back(Hash(Trimmed(Line)));
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

    TUnsavedLines Unsaved;
    std::sort(Rest.begin(), Rest.end());
    std::vector<uint32_t> Taken(Rest.size(), 0); // per run of equal hashes, at its start
    for (int32_t Line = Next; Line < Read.Count(); ++Line) {
        const uint64_t Value = Hash(Trimmed(Read[Line]));
        const auto [First, Last] = std::equal_range(Rest.begin(), Rest.end(), Value);
        const size_t Run = static_cast<size_t>(First - Rest.begin());
        if (Taken.size() > Run && Taken[Run] < static_cast<size_t>(Last - First)) {
            ++Taken[Run];
            continue;
        }
        if (Unsaved.Count++ == 0) {
            Unsaved.First = Line;
            Unsaved.FirstText = Read[Line];
        }
    }
    return Unsaved;
}

} // namespace permuto
