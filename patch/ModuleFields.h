#pragma once
// Where a patch's text names modules. A save writes the text as it was read
// and puts new numbers only where a line names a renumbered module, so that
// blanks, line ends, the order of sections and every line Permuto does not
// read stay as the file had them. A section keeps only where its body stands
// in the text and how many of its lines hold module numbers that cannot be
// read; the numbers themselves are found again, line by line, when a save
// needs them, so that a patch's memory does not grow with them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>

#include "base/LineTable.h"
#include "base/SimpleTypes.h"

namespace permuto {

// One token that holds a module number.
struct TModuleField {
    size_t Offset = 0; // where it begins in the text
    size_t Length = 0;
    TArea Area = AreaPoly;
    int32_t Value = 0; // the number it holds
};

// Finds the module numbers of lines: hands each to a visitor, and counts the
// lines where one cannot be read (a renumbering cannot follow them).
class TFieldSink {
public:
    using TVisit = std::function<void(const TModuleField& Field)>;
    // Counts only.
    TFieldSink() = default;
    // Hands on each field of lines that are parts of Text.
    TFieldSink(std::string_view Text, TVisit Visit) : FBase(Text.data()), FVisit(std::move(Visit)) {}

    int32_t Unfollowed() const { return FUnfollowed; }

    // A line whose tokens at the 0-based places Tokens (ascending) are
    // module numbers of area Area.
    void AddTokens(std::string_view Line, std::initializer_list<int> Tokens, TArea Area);
    // A line of assignments of GroupSize tokens each: the area code, the
    // module number, then what is assigned. Area 2 names the morph knobs,
    // not an area, and has no module. With Repeated, the line holds any
    // number of groups; else one, and whatever follows is no assignment.
    void AddAssignments(std::string_view Line, int GroupSize, bool Repeated);

private:
    void Add(std::string_view Token, int32_t Value, TArea Area);

    const char* FBase = nullptr;
    TVisit FVisit;
    int32_t FUnfollowed = 0;
};

// Where one section's body stands in the text read, and how many of its
// lines a renumbering cannot follow.
class TModuleFields {
public:
    void Clear() { *this = {}; }
    // The body is lines First .. End-1 of Lines (the first may be the part
    // of an area line after its code).
    void SetBody(const TLineTable& Lines, int32_t First, int32_t End);
    void AddUnfollowed(int32_t Count) { FUnfollowed += Count; }

    int32_t Unfollowed() const { return FUnfollowed; }
    bool Empty() const { return FStart == FEnd; }
    size_t Start() const { return FStart; }

    // Calls Locate(Line) for every line of the body that is not empty, as
    // Text (the text read) holds it.
    template <class TLocate>
    void ForEachLine(std::string_view Text, TLocate&& Locate) const
    {
        for (size_t At = FStart; At < FEnd;) {
            size_t End = At;
            while (End < FEnd && Text[End] != '\r' && Text[End] != '\n')
                ++End;
            if (End > At)
                Locate(Text.substr(At, End - At));
            // A line ends at CR, LF or CR LF, as the text was split when read.
            At = End + (End + 1 < FEnd && Text[End] == '\r' && Text[End + 1] == '\n' ? 2 : 1);
        }
    }

private:
    size_t FStart = 0;
    size_t FEnd = 0;
    int32_t FUnfollowed = 0;
};

} // namespace permuto
