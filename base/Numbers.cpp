#include "Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <cstdint>
#include <sstream>
#include <locale>

namespace permuto {

namespace {

int HexDigit(char C)
{
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

char GDecimalSeparatorOverride = 0;

char LocaleDecimalSeparator()
{
    try {
        const std::locale User("");
        return std::use_facet<std::numpunct<char>>(User).decimal_point();
    } catch (const std::exception&) {
        return '.'; // no usable locale settings: the C locale's separator
    }
}

// Converts a number already checked and written plainly ("-12.5e3", a full
// stop) as the C locale reads it, whatever the user's locale; false when it
// is out of range. std::from_chars where the standard library has it for
// floating point; elsewhere (the libc++ of a WebAssembly build) a stream
// fixed to the classic locale, which reads the same (strtod would follow
// the locale's decimal separator). PERMUTO_FLOAT_BY_STREAM chooses the
// stream anywhere, for its tests.
bool ConvertPlain(const std::string& Plain, long double& Value)
{
#if defined(__cpp_lib_to_chars) && !defined(PERMUTO_FLOAT_BY_STREAM)
    const auto [End, Error] = std::from_chars(Plain.data(), Plain.data() + Plain.size(), Value);
    return Error == std::errc() && End == Plain.data() + Plain.size();
#else
    std::istringstream In(Plain);
    In.imbue(std::locale::classic());
    In >> Value;
    if (In.fail() || In.peek() != std::char_traits<char>::eof() || std::isinf(Value))
        return false;
    // Too small to hold is out of range too, as from_chars has it: a value
    // below the smallest normal one, or nothing left of digits not all 0.
    if (Value != 0)
        return std::fabs(Value) >= std::numeric_limits<long double>::min();
    return Plain.find_first_of("123456789") >= Plain.find('e');
#endif
}

} // namespace

namespace {

// Everything the plain decimal way does not take: blanks, a plus sign,
// hexadecimal prefixes, large numbers, and the values left on failure. Kept
// apart from the plain way, which then costs nearly nothing.
bool ConvertAnyInteger(std::string_view Text, int32_t& Value, TIntegerForms Forms)
{
    const size_t N = Text.size();
    const bool PatchNumber = Forms == TIntegerForms::PatchNumber;
    size_t I = 0;
    while (PatchNumber && I < N && Text[I] == ' ')
        ++I;
    bool Negative = false;
    if (I < N && (Text[I] == '+' || Text[I] == '-')) {
        Negative = Text[I] == '-';
        ++I;
    }
    bool Hex = false;
    if (PatchNumber && I < N && (Text[I] == '$' || Text[I] == 'x' || Text[I] == 'X')) {
        Hex = true;
        ++I;
    } else if (PatchNumber && I + 1 < N && Text[I] == '0' && (Text[I + 1] == 'x' || Text[I + 1] == 'X')) {
        Hex = true;
        I += 2;
    }
    Value = 0;
    if (I >= N)
        return false; // nothing, a sign or a prefix without digits

    const uint64_t Base = Hex ? 16 : 10;
    const uint64_t Limit = Hex ? 0xFFFFFFFFull : (Negative ? 2147483648ull : 2147483647ull);
    uint64_t Magnitude = 0;
    bool TooLarge = false;
    for (; I < N; ++I) {
        const int Digit = Hex ? HexDigit(Text[I]) : (Text[I] >= '0' && Text[I] <= '9' ? Text[I] - '0' : -1);
        if (Digit < 0) {
            // The digits before the offending character, without their sign.
            Value = static_cast<int32_t>(static_cast<uint32_t>(Magnitude));
            return false;
        }
        if (!TooLarge) {
            Magnitude = Magnitude * Base + static_cast<uint64_t>(Digit);
            if (Magnitude > Limit) {
                TooLarge = true;
                Magnitude = 0;
            }
        }
    }
    if (TooLarge)
        return false;
    if (Hex) {
        const uint32_t Pattern = static_cast<uint32_t>(Magnitude);
        Value = static_cast<int32_t>(Negative ? 0u - Pattern : Pattern);
    } else {
        const int64_t Signed = Negative ? -static_cast<int64_t>(Magnitude) : static_cast<int64_t>(Magnitude);
        Value = static_cast<int32_t>(Signed);
    }
    return true;
}

} // namespace

bool ConvertInteger(std::string_view Text, int32_t& Value, TIntegerForms Forms)
{
    // Nearly every number of a patch, read without further ado.
    if (int32_t Plain = 0; !Text.empty() && PlainDecimal(Text, 0, Plain) == Text.size()) {
        Value = Plain;
        return true;
    }
    return ConvertAnyInteger(Text, Value, Forms);
}

bool IsInteger(const std::string& Text, int32_t* Value)
{
    int32_t Converted = 0;
    const bool Ok = ConvertInteger(Text, Converted);
    if (Ok && Value != nullptr)
        *Value = Converted;
    return Ok;
}

bool IsDecimalInteger(std::string_view Text, int32_t* Value)
{
    int32_t Converted = 0;
    const bool Ok = ConvertInteger(Text, Converted, TIntegerForms::Decimal);
    if (Ok && Value != nullptr)
        *Value = Converted;
    return Ok;
}

bool ConvertFloat(std::string_view Text, char Separator, long double& Value)
{
    size_t First = 0;
    size_t Last = Text.size();
    while (First < Last && Text[First] == ' ')
        ++First;
    while (Last > First && Text[Last - 1] == ' ')
        --Last;
    const std::string_view S = Text.substr(First, Last - First);

    // Check the shape and rewrite it with a full stop for the conversion.
    std::string Plain;
    Plain.reserve(S.size());
    size_t I = 0;
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) {
        if (S[I] == '-')
            Plain += '-';
        ++I;
    }
    int Digits = 0;
    bool SeparatorSeen = false;
    for (; I < S.size(); ++I) {
        if (S[I] >= '0' && S[I] <= '9') {
            Plain += S[I];
            ++Digits;
        } else if (S[I] == Separator && !SeparatorSeen) {
            Plain += '.';
            SeparatorSeen = true;
        } else {
            break;
        }
    }
    if (Digits == 0)
        return false;
    if (I < S.size() && (S[I] == 'e' || S[I] == 'E')) {
        Plain += 'e';
        ++I;
        if (I < S.size() && (S[I] == '+' || S[I] == '-'))
            Plain += S[I++];
        int ExponentDigits = 0;
        for (; I < S.size() && S[I] >= '0' && S[I] <= '9'; ++I, ++ExponentDigits)
            Plain += S[I];
        if (ExponentDigits == 0)
            return false;
    }
    if (I != S.size())
        return false;
    long double Converted = 0;
    if (!ConvertPlain(Plain, Converted))
        return false;
    Value = Converted;
    return true;
}

char DecimalSeparator()
{
    if (GDecimalSeparatorOverride != 0)
        return GDecimalSeparatorOverride;
    static const char FromLocale = LocaleDecimalSeparator();
    return FromLocale;
}

void SetDecimalSeparator(char Separator)
{
    GDecimalSeparatorOverride = Separator;
}

std::string FormatFloat75(long double Value)
{
    std::ostringstream Out;
    Out.imbue(std::locale::classic());
    Out.setf(std::ios::fixed);
    Out.precision(5);
    Out.width(7);
    Out << Value;
    std::string Text = Out.str();
    const char Separator = DecimalSeparator();
    for (char& C : Text)
        if (C == '.')
            C = Separator;
    return Text;
}

} // namespace permuto
