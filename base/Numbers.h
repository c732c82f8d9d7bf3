#pragma once
// Numbers as text: the one integer conversion of the program, and floating
// values read and written with the user's decimal separator.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace permuto {

// The program's one integer conversion. PatchNumber, behind ReadInteger:
// optional blanks, a sign, then decimal or $/x/0x hexadecimal digits, and
// Value written in every case, as ReadInteger documents. Decimal, for module
// indices that people type: a sign and decimal digits only, the whole text.
enum class TIntegerForms { PatchNumber, Decimal };
bool ConvertInteger(std::string_view Text, int32_t& Value, TIntegerForms Forms = TIntegerForms::PatchNumber);

// True when the whole text is a 32-bit integer by the scanner's conversion
// (decimal, or hexadecimal after "$", "x" or "0x"); the value goes to Value
// when it is given.
bool IsInteger(const std::string& Text, int32_t* Value = nullptr);
// True when the whole text is a decimal 32-bit integer: an optional sign and
// digits, nothing else. What people type as a module index.
bool IsDecimalInteger(std::string_view Text, int32_t* Value = nullptr);

// The common case of every integer read, on which ConvertInteger and the
// line scanner build: up to nine decimal digits, perhaps after a minus
// sign, from offset From of Text on. Gives the offset where they end and
// their value, or From (and Value untouched) when there are none.
inline size_t PlainDecimal(std::string_view Text, size_t From, int32_t& Value)
{
    const size_t N = Text.size();
    const bool Negative = From < N && Text[From] == '-';
    const size_t First = From + (Negative ? 1 : 0);
    size_t End = First;
    int32_t Magnitude = 0;
    for (; End < N && End - First < 9; ++End) {
        const unsigned Digit = static_cast<unsigned>(Text[End] - '0');
        if (Digit > 9)
            break;
        Magnitude = Magnitude * 10 + static_cast<int32_t>(Digit);
    }
    if (End == First)
        return From;
    Value = Negative ? -Magnitude : Magnitude;
    return End;
}

// The floating conversion behind ReadFloat, with an explicit decimal separator.
bool ConvertFloat(std::string_view Text, char DecimalSeparator, long double& Value);

// The user's regional decimal separator, read once from the locale's numeric
// settings. Tests (and only tests) may set it; 0 restores the locale's.
char DecimalSeparator();
void SetDecimalSeparator(char Separator);

// A floating value formatted like "%7.5f" with the user's decimal separator.
std::string FormatFloat75(long double Value);

} // namespace permuto
