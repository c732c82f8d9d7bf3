#pragma once
// Where a patch's text names modules. Every line of a section that refers to
// modules is looked at token by token when it is read, and the tokens that
// hold a module number are noted with their place in the text. A save writes
// the text as it was read and puts new numbers into these places only, so
// that blanks, line ends, the order of sections and every line Permuto does
// not read stay as the file had them.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "library/LineTable.h"
#include "library/SimpleTypes.h"

namespace permuto {

// One token that holds a module number (the number itself is read again
// from the text when it is needed: a field takes 8 bytes).
struct TModuleField {
    uint32_t Offset = 0; // where it begins in the text read
    uint8_t Length = 0;
    TAreaCode Area = 0;
};

class TModuleFields {
public:
    // Starts over for lines of Lines.
    void Reset(const TLineTable& Lines);
    void Clear();
    // Count more lines a renumbering cannot follow.
    void AddUnfollowed(int32_t Count) { FUnfollowed += Count; }
    // Room for Count more fields.
    void Reserve(size_t Count) { FItems.reserve(FItems.size() + Count); }
    // The module number of a field, as the text holds it.
    static int32_t ValueOf(std::string_view Text, const TModuleField& Field);

    // In ascending order of Offset.
    const std::vector<TModuleField>& Items() const { return FItems; }
    // Lines of the section whose module numbers could not be found: a
    // renumbering cannot follow them.
    int32_t Unfollowed() const { return FUnfollowed; }

    // A line whose tokens at the 0-based places Tokens (ascending) are
    // module numbers of area Area.
    void AddTokens(std::string_view Line, std::initializer_list<int> Tokens, TAreaCode Area);
    // A line of assignments of GroupSize tokens each: the area code, the
    // module number, then what is assigned. Area 2 names the morph knobs,
    // not an area, and has no module. With Repeated, the line holds any
    // number of groups; else one, and whatever follows is no assignment.
    void AddAssignments(std::string_view Line, int GroupSize, bool Repeated);

private:
    void Add(std::string_view Token, TAreaCode Area);

    const TLineTable* FLines = nullptr;
    std::vector<TModuleField> FItems;
    int32_t FUnfollowed = 0;
};

} // namespace permuto
