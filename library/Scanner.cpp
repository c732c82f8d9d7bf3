#include "Scanner.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <locale>
#include <sstream>

#include "Errors.h"

namespace permuto {

namespace {

// Pos is 1-based; true when it stands on a character of Line.
inline bool Within(std::string_view Line, int32_t Pos)
{
    return Pos >= 1 && static_cast<size_t>(Pos) <= Line.size();
}

inline char At(std::string_view Line, int32_t Pos)
{
    return Line[static_cast<size_t>(Pos) - 1];
}

// The 1-based position of a 0-based offset; raises "Integer overflow" when
// it does not fit.
inline int32_t PosOf(size_t Offset)
{
    if (Offset >= static_cast<size_t>(INT32_MAX))
        throw EIntOverflow();
    return static_cast<int32_t>(Offset + 1);
}

inline void Advance(int32_t& Pos)
{
    if (Pos == INT32_MAX)
        throw EIntOverflow();
    ++Pos;
}

} // namespace

void SkipSeparators(std::string_view Line, int32_t& Pos, const TCharSet& Separators)
{
    if (!Within(Line, Pos))
        return;
    size_t I = static_cast<size_t>(Pos) - 1;
    while (I < Line.size() && Separators.Contains(Line[I]))
        ++I;
    Pos = PosOf(I);
}

namespace {

int32_t ScanToSeparator(std::string_view Line, int32_t End, const TCharSet& Separators)
{
    if (!Within(Line, End))
        return End;
    size_t I = static_cast<size_t>(End) - 1;
    while (I < Line.size() && !Separators.Contains(Line[I]))
        ++I;
    return PosOf(I);
}

std::string_view Slice(std::string_view Line, int32_t From, int32_t To)
{
    if (!Within(Line, From) || To <= From)
        return {};
    return std::string_view(Line).substr(static_cast<size_t>(From) - 1, static_cast<size_t>(To - From));
}

// Skips separators, takes the bare token and leaves Pos on what ended it.
std::string_view RawToken(std::string_view Line, int32_t& Pos, const TCharSet& Separators)
{
    SkipSeparators(Line, Pos, Separators);
    const int32_t End = ScanToSeparator(Line, Pos, Separators);
    const std::string_view Raw = Slice(Line, Pos, End);
    Pos = End;
    return Raw;
}

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

// Nearly every number of a patch: up to nine decimal digits, perhaps after a
// minus sign. False for anything else, which ConvertInteger then takes.
inline bool ConvertPlainDecimal(std::string_view Text, int32_t& Value)
{
    const size_t Sign = !Text.empty() && Text[0] == '-' ? 1 : 0;
    if (Text.size() <= Sign || Text.size() - Sign > 9)
        return false;
    int32_t Magnitude = 0;
    for (size_t I = Sign; I < Text.size(); ++I) {
        const unsigned Digit = static_cast<unsigned>(Text[I] - '0');
        if (Digit > 9)
            return false;
        Magnitude = Magnitude * 10 + static_cast<int32_t>(Digit);
    }
    Value = Sign != 0 ? -Magnitude : Magnitude;
    return true;
}

bool ConvertAnyInteger(std::string_view Text, int32_t& Value);

inline bool TokenInteger(std::string_view Line, int32_t& Pos, const TCharSet& Separators, int32_t& Value)
{
    // Nearly every field is a plain decimal followed by a separator or the
    // end of the line: read in the one pass that finds its end.
    if (Within(Line, Pos)) {
        const size_t N = Line.size();
        size_t I = static_cast<size_t>(Pos) - 1;
        while (I < N && Separators.Contains(Line[I]))
            ++I;
        const bool Negative = I < N && Line[I] == '-';
        const size_t First = I + (Negative ? 1 : 0);
        size_t End = First;
        int32_t Magnitude = 0;
        for (; End < N && End - First < 9 && !Separators.Contains(Line[End]); ++End) {
            const unsigned Digit = static_cast<unsigned>(Line[End] - '0');
            if (Digit > 9)
                break;
            Magnitude = Magnitude * 10 + static_cast<int32_t>(Digit);
        }
        if (End > First && (End == N || Separators.Contains(Line[End]))) {
            Value = Negative ? -Magnitude : Magnitude;
            Pos = PosOf(End);
            return true;
        }
    }
    const std::string_view Token = RawToken(Line, Pos, Separators);
    return ConvertPlainDecimal(Token, Value) || ConvertAnyInteger(Token, Value);
}

template <typename T, int Low, int High, int Fallback>
bool ReadRanged(std::string_view Line, int32_t& Pos, const TCharSet& Separators, T& Value)
{
    Value = static_cast<T>(Fallback);
    int32_t Read = 0;
    if (TokenInteger(Line, Pos, Separators, Read) && Read >= Low && Read <= High) {
        Value = static_cast<T>(Read);
        return true;
    }
    return false;
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

} // namespace

bool ConvertInteger(std::string_view Text, int32_t& Value)
{
    return ConvertPlainDecimal(Text, Value) || ConvertAnyInteger(Text, Value);
}

namespace {

// Everything the plain decimal way does not take: blanks, a plus sign,
// hexadecimal prefixes, large numbers, and the values left on failure.
bool ConvertAnyInteger(std::string_view Text, int32_t& Value)
{
    const size_t N = Text.size();
    size_t I = 0;
    while (I < N && Text[I] == ' ')
        ++I;
    bool Negative = false;
    if (I < N && (Text[I] == '+' || Text[I] == '-')) {
        Negative = Text[I] == '-';
        ++I;
    }
    bool Hex = false;
    if (I < N && (Text[I] == '$' || Text[I] == 'x' || Text[I] == 'X')) {
        Hex = true;
        ++I;
    } else if (I + 1 < N && Text[I] == '0' && (Text[I + 1] == 'x' || Text[I + 1] == 'X')) {
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

void ReadToken(std::string_view Line, int32_t& Pos, const TCharSet& Separators, std::string& Token)
{
    static constexpr TCharSet QuoteOnly{'"'};
    Token.clear();
    SkipSeparators(Line, Pos, Separators);
    int32_t End = Pos;
    const bool Quoted = Within(Line, End) && At(Line, End) == '"';
    if (Quoted)
        Advance(End);
    End = ScanToSeparator(Line, End, Quoted ? QuoteOnly : Separators);
    const std::string_view Raw = Slice(Line, Pos, End);
    if (Raw.find('"') == std::string_view::npos)
        Token.assign(Raw);
    else
        Token = UnquoteToken(Raw);
    if (Quoted)
        Advance(End); // past the closing quote, or two past the end when it is missing
    Pos = End;
}

bool ReadInteger(std::string_view Line, int32_t& Pos, const TCharSet& Separators, int32_t& Value)
{
    return TokenInteger(Line, Pos, Separators, Value);
}

bool ReadFloat(std::string_view Line, int32_t& Pos, const TCharSet& Separators, long double& Value)
{
    if (!ConvertFloat(RawToken(Line, Pos, Separators), DecimalSeparator(), Value))
        Value = 0;
    return true;
}

bool ReadValueRange(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TSevenBitValue& Low,
                    TSevenBitValue& High)
{
    static constexpr TCharSet FullStop{'.'};
    static constexpr TCharSet FullStopOrField{'\t', ' ', '.'};
    SkipSeparators(Line, Pos, Separators);
    int32_t P = Pos;
    int32_t L = 0;
    int32_t H = 0;
    const bool LowRead = ReadInteger(Line, P, FullStop, L);
    const bool HighRead = ReadInteger(Line, P, FullStopOrField, H);
    if (!LowRead || !HighRead || L < 0 || L > 127 || H < 0 || H > 127 || L > H)
        return false;
    Low = static_cast<TSevenBitValue>(L);
    High = static_cast<TSevenBitValue>(H);
    Pos = P;
    return true;
}

bool ReadSevenBitValue(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TSevenBitValue& Value)
{
    return ReadRanged<TSevenBitValue, 0, 127, 0>(Line, Pos, Separators, Value);
}
bool ReadRange0To24(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To24& Value)
{
    return ReadRanged<TRange0To24, 0, 24, 0>(Line, Pos, Separators, Value);
}
bool ReadRange0To1(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To1& Value)
{
    return ReadRanged<TRange0To1, 0, 1, 0>(Line, Pos, Separators, Value);
}
bool ReadRange1To32(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange1To32& Value)
{
    return ReadRanged<TRange1To32, 1, 32, 1>(Line, Pos, Separators, Value);
}
bool ReadRange0To4(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To4& Value)
{
    return ReadRanged<TRange0To4, 0, 4, 1>(Line, Pos, Separators, Value);
}
bool ReadAreaCode(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TAreaCode& Value)
{
    return ReadRanged<TAreaCode, 0, 2, 1>(Line, Pos, Separators, Value);
}
bool ReadRange0To6(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To6& Value)
{
    return ReadRanged<TRange0To6, 0, 6, 0>(Line, Pos, Separators, Value);
}
bool ReadRange0To3(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To3& Value)
{
    return ReadRanged<TRange0To3, 0, 3, 1>(Line, Pos, Separators, Value);
}
bool ReadRange0To2(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To2& Value)
{
    return ReadRanged<TRange0To2, 0, 2, 0>(Line, Pos, Separators, Value);
}

std::string UnquoteToken(std::string_view Raw)
{
    std::string Result;
    Result.reserve(Raw.size());
    bool QuotePending = false;
    for (char C : Raw) {
        if (QuotePending) {
            Result += C; // the second of a pair of quotes, or any other character
            QuotePending = false;
        } else if (C == '"') {
            QuotePending = true;
        } else {
            Result += C;
        }
    }
    return Result;
}

std::string ConnectorClassToName(TConnectorClass Class)
{
    switch (Class) {
    case 0:
        return "audio";
    case 1:
        return "control";
    case 2:
        return "logic";
    case 3:
        return "slave";
    default:
        return "undefined";
    }
}

TConnectorClass ConnectorClassFromName(const std::string& Name)
{
    const std::string Upper = UpperCaseAscii(Name);
    size_t First = 0;
    size_t Last = Upper.size();
    while (First < Last && static_cast<unsigned char>(Upper[First]) <= 32)
        ++First;
    while (Last > First && static_cast<unsigned char>(Upper[Last - 1]) <= 32)
        --Last;
    const std::string_view Trimmed = std::string_view(Upper).substr(First, Last - First);
    static constexpr std::string_view Names[] = {"AUDIO", "CONTROL", "LOGIC", "SLAVE"};
    for (TConnectorClass Class = 0; Class < 4; ++Class)
        if (Trimmed == Names[Class])
            return Class;
    throw EConvertError(Format("can't discover a connector class name in '%s'", Name.c_str()));
}

std::string UpperCaseAscii(std::string_view Text)
{
    std::string Result(Text);
    for (char& C : Result)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return Result;
}

} // namespace permuto
