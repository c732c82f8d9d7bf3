// The line scanner, reader by reader: values, failures and where each read
// leaves the position.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "base/Errors.h"
#include "base/Scanner.h"

using namespace permuto;
using V = std::vector<std::string>;

TEST(ReadToken, TokensInTurnWhereTheFirstLeavesThePositionAndTheUsedUpLine)
{
    const std::tuple<std::string, V, int32_t> Cases[] = {
        {"  \"Osc A\"  3", {"Osc A", "3"}, 10}, // on the blank after the closing quote
        {"\"\"", {""}, 3},
        {"\"abc", {"abc"}, 6},               // no closing quote: two past the end
        {"\"a\"\"b\"", {"a", "b"}, 4},       // a doubled quote inside quotes ends the token
        {"\"ab\"cd", {"ab", "cd"}, 5},       // text right after the closing quote is the next token
        {"x\"y", {"xy"}, 4},                 // bare tokens unquote
        {"x\"\"y", {"x\"y"}, 5},
        {"\t\tword\tnext", {"word", "next"}, 7},
    };
    for (const auto& [Line, Tokens, PosAfterFirst] : Cases) {
        int32_t Pos = 1;
        std::string T;
        for (size_t I = 0; I <= Tokens.size(); ++I) { // the last read finds the line used up
            ReadToken(Line, Pos, FieldSeparators, T);
            EXPECT_EQ(T, I < Tokens.size() ? Tokens[I] : "") << Line << " read " << I;
            if (I == 0) {
                EXPECT_EQ(Pos, PosAfterFirst) << Line;
            }
        }
        int32_t Integer = 5; // the other readers find nothing either, however far past the end
        TSevenBitValue Seven = 9;
        long double Float = 4;
        EXPECT_FALSE(ReadInteger(Line, Pos, FieldSeparators, Integer)) << Line;
        EXPECT_FALSE(ReadSevenBitValue(Line, Pos, FieldSeparators, Seven)) << Line;
        EXPECT_TRUE(ReadFloat(Line, Pos, FieldSeparators, Float)) << Line;
        EXPECT_EQ(Float, 0) << Line;
    }
    for (const auto& [Raw, Plain] : {std::pair{"ab\"\"c", "ab\"c"}, {"\"\"\"\"", "\"\""}, {"abc\"", "abc"}})
        EXPECT_EQ(UnquoteToken(Raw), Plain) << Raw;
}

TEST(ReadInteger, DecimalHexSignsOverflowAndThePartialMagnitude)
{
    // On failure the value is the magnitude of the digits before the offending character.
    const std::tuple<const char*, bool, int32_t> Cases[] = {
        {"-12", true, -12}, {"+5", true, 5}, {"$1F", true, 31}, {"0x10", true, 16}, {"X1f", true, 31},
        {"0", true, 0}, {"2147483647", true, INT32_MAX}, {"-2147483648", true, INT32_MIN},
        {"$FFFFFFFF", true, -1}, {"-$10", true, -16}, {"$000000001", true, 1},
        {"12a", false, 12}, {"-7x", false, 7}, {"1.5", false, 1}, {"", false, 0}, {"-", false, 0},
        {"$", false, 0}, {"0x", false, 0}, {"abc", false, 0}, {"2147483648", false, 0},
        {"-2147483649", false, 0}, {"$100000000", false, 0}, {"99999999999999999999999", false, 0},
    };
    for (const auto& [Text, Ok, Value] : Cases) {
        int32_t V = 99;
        const bool Read = ConvertInteger(Text, V);
        EXPECT_EQ(std::pair(Read, V), std::pair(Ok, Value)) << Text;
        // The same token inside a line, where the reader stops behind it.
        const std::string Line = "\t" + std::string(Text) + " ";
        int32_t Pos = 1;
        V = 99;
        const bool InLine = ReadInteger(Line, Pos, FieldSeparators, V);
        EXPECT_EQ(std::tuple(InLine, V, Pos), std::tuple(Ok, Value, *Text ? 2 + int32_t(strlen(Text)) : 3)) << Text;
    }
}

TEST(TypedReaders, RangeEdgesFallbacksAndThePositionBehindTheToken)
{
    using TReader = bool (*)(std::string_view, int32_t&, const TCharSet&, uint8_t&);
    const std::tuple<const char*, TReader, int, int, int> Readers[] = { // name, low, high, fallback
        {"SevenBit", ReadSevenBitValue, 0, 127, 0}, {"0To24", ReadRange0To24, 0, 24, 0},
        {"0To1", ReadRange0To1, 0, 1, 0},           {"1To32", ReadRange1To32, 1, 32, 1},
        {"0To4", ReadRange0To4, 0, 4, 1},           {"AreaCode", ReadAreaCode, 0, 2, 1},
        {"0To6", ReadRange0To6, 0, 6, 0},           {"0To3", ReadRange0To3, 0, 3, 1},
        {"0To2", ReadRange0To2, 0, 2, 0},
    };
    for (const auto& [Name, Read, Low, High, Fallback] : Readers) {
        const std::pair<std::string, bool> Texts[] = {{std::to_string(Low), true}, {std::to_string(High), true},
            {std::to_string(Low - 1), false}, {std::to_string(High + 1), false}, {"1x", false}, {"", false}};
        for (const auto& [Text, Ok] : Texts) {
            int32_t Pos = 1;
            uint8_t V = 77;
            const bool Done = Read(Text, Pos, FieldSeparators, V);
            EXPECT_EQ(std::tuple(Done, int(V), Pos),
                      std::tuple(Ok, Ok ? std::stoi(Text) : Fallback, static_cast<int32_t>(Text.size()) + 1))
                << Name << " '" << Text << "'";
        }
    }
}

TEST(ReadValueRange, SuccessMovesBehindHighFailureLeavesValuesAndPosition)
{
    const std::tuple<const char*, bool, int, int, int32_t> Cases[] = { // values before the read: 11..22
        {"0..127 64", true, 0, 127, 7}, {"0.127", true, 0, 127, 6}, {"5...9", true, 5, 9, 6},
        {"  3..3", true, 3, 3, 7},      {"  9..2", false, 11, 22, 3}, {"  0..128", false, 11, 22, 3},
        {"  -1..4", false, 11, 22, 3},  {"  0 127", false, 11, 22, 3}, {"  abc", false, 11, 22, 3},
    };
    for (const auto& [Line, Ok, Low, High, EndPos] : Cases) {
        int32_t Pos = 1;
        TSevenBitValue Lo = 11, Hi = 22;
        const bool Read = ReadValueRange(Line, Pos, FieldSeparators, Lo, Hi);
        EXPECT_EQ(std::tuple(Read, int(Lo), int(Hi), Pos), std::tuple(Ok, Low, High, EndPos)) << Line;
    }
}

TEST(ReadFloat, RegionalDecimalSeparatorAndShapes)
{
    long double V = 0;
    const std::string Line = "0.00012 0,5";
    for (const char Separator : {'.', ','}) {
        SetDecimalSeparator(Separator);
        int32_t Pos = 1;
        EXPECT_TRUE(ReadFloat(Line, Pos, FieldSeparators, V));
        EXPECT_NEAR(static_cast<double>(V), Separator == '.' ? 0.00012 : 0.0, 1e-12) << Separator;
        EXPECT_TRUE(ReadFloat(Line, Pos, FieldSeparators, V));
        EXPECT_NEAR(static_cast<double>(V), Separator == ',' ? 0.5 : 0.0, 1e-12) << Separator;
        EXPECT_EQ(FormatFloat75(2.5L), Separator == '.' ? "2.50000" : "2,50000");
    }
    SetDecimalSeparator(0);
    for (const auto& [Text, Expected] :
         {std::pair{"-1.5e3", -1500.0L}, {"+.5", 0.5L}, {" 7 ", 7.0L}, {"0e99999", 0.0L}, {"0.000", 0.0L}}) {
        EXPECT_TRUE(ConvertFloat(Text, '.', V)) << Text;
        EXPECT_EQ(V, Expected) << Text;
    }
    // Beyond the range either way: too large, and too small to hold.
    for (const char* Bad : {"", ".", "1.2.3", "1e", "e5", "1x", "1e99999", "1e-99999", "-1e-99999"})
        EXPECT_FALSE(ConvertFloat(Bad, '.', V)) << Bad;
}

TEST(ConnectorClass, NamesBothWays)
{
    for (const auto& [Name, Class] : {std::pair{"Audio", 0}, {"AUDIO", 0}, {"  audio\t", 0}, {"slave", 3}})
        EXPECT_EQ(ConnectorClassFromName(Name), Class) << Name;
    for (const auto& [Class, Name] : {std::pair{1, "control"}, {2, "logic"}, {7, "undefined"}})
        EXPECT_EQ(ConnectorClassToName(static_cast<TConnectorClass>(Class)), Name) << Class;
    try {
        ConnectorClassFromName("midi");
        FAIL() << "no error";
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "can't discover a connector class name in 'midi'");
    }
}
