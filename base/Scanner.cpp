#include "Scanner.h"

#include <climits>

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

// Reads the token at Pos and leaves Pos on what ended it. Nearly every field
// is a plain decimal followed by a separator or the end of the line: read in
// the one pass that finds its end.
inline bool TokenInteger(std::string_view Line, int32_t& Pos, const TCharSet& Separators, int32_t& Value)
{
    if (Within(Line, Pos)) {
        size_t I = static_cast<size_t>(Pos) - 1;
        while (I < Line.size() && Separators.Contains(Line[I]))
            ++I;
        int32_t Plain = 0;
        if (const size_t End = PlainDecimal(Line, I, Plain); End != I && (End == Line.size() || Separators.Contains(Line[End]))) {
            Value = Plain;
            Pos = PosOf(End);
            return true;
        }
    }
    return ConvertInteger(RawToken(Line, Pos, Separators), Value);
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

} // namespace

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
