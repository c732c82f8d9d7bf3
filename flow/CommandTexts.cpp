#include "CommandTexts.h"

#include "base/Numbers.h"

namespace permuto {

namespace {

std::string InArea(TArea Area)
{
    return std::string(" (") + AreaName(Area) + ")";
}

} // namespace

std::string SwapText(TArea Area, int32_t A, int32_t B)
{
    return "Swap " + std::to_string(A) + " and " + std::to_string(B) + InArea(Area);
}

std::string OrderText(TArea Area, bool FewestLate)
{
    return (FewestLate ? "Order, fewest late in loops" : "Order by signal flow") + InArea(Area);
}

std::string MoveText(TArea Area, int32_t From, int32_t To)
{
    return "Move " + std::to_string(From) + " to " + std::to_string(To) + InArea(Area);
}

std::string IndexProblemText(std::string_view Text, std::string_view Field)
{
    if (IsDecimalInteger(Text))
        return {};
    // Digits that make too large a number are a number all the same.
    const size_t Digits = !Text.empty() && (Text[0] == '+' || Text[0] == '-') ? 1 : 0;
    if (Text.size() > Digits && Text.find_first_not_of("0123456789", Digits) == std::string_view::npos)
        return std::string(Text) + " is beyond the module indices (-2147483648 to 2147483647), can't swap";
    const std::string Name(Field);
    if (Text.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos)
        return std::string(NonIntegerSwapMessage) + ".\n" + Name + " is empty.";
    return std::string(NonIntegerSwapMessage) + ".\n" + Name + " \"" + std::string(Text) + "\" is not a decimal number.";
}

std::string SameIndicesText()
{
    return "The two indices are the same: nothing to swap";
}

std::string NothingToSwapText(TArea Area, int32_t A, int32_t B)
{
    return std::string("Nothing to swap: no line of the ") + AreaName(Area) + " area refers to " + std::to_string(A) +
           " or " + std::to_string(B);
}

std::string AlreadyOrderedText(TArea Area, bool FewestLate)
{
    return std::string("The ") + AreaName(Area) +
           (FewestLate ? " area is ordered so already" : " area is in signal-flow order already");
}

std::string ProcessedAlreadyText(TArea Area, int32_t Index, int Step)
{
    return "Module " + std::to_string(Index) + " is processed " + (Step < 0 ? "first" : "last") + " in the " +
           AreaName(Area) + " area already";
}

std::string LateRemainingText(const std::string& Before, uint64_t InsideLoops)
{
    if (InsideLoops == 0)
        return Before;
    if (InsideLoops == 1)
        return Before + "; 1 late connection remains inside a feedback loop";
    return Before + "; " + std::to_string(InsideLoops) + " late connections remain inside feedback loops";
}

} // namespace permuto
