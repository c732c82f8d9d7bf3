// The line scanner, reader by reader: values, failures and where each read
// leaves the position.
#include <gtest/gtest.h>

#include "library/Errors.h"
#include "library/Scanner.h"

using namespace permuto;

namespace {

struct TScan {
    std::string Line;
    int32_t Pos = 1;
    std::string Token()
    {
        std::string T;
        ReadToken(Line, Pos, FieldSeparators, T);
        return T;
    }
    bool Integer(int32_t& V) { return ReadInteger(Line, Pos, FieldSeparators, V); }
};

class DecimalSeparatorGuard {
public:
    explicit DecimalSeparatorGuard(char C) { SetDecimalSeparator(C); }
    ~DecimalSeparatorGuard() { SetDecimalSeparator(0); }
};

} // namespace

TEST(ReadToken, QuotedTokenKeepsInnerBlankAndStopsAfterClosingQuote)
{
    TScan S{"  \"Osc A\"  3"};
    EXPECT_EQ(S.Token(), "Osc A");
    EXPECT_EQ(S.Pos, 10); // on the blank after the closing quote
    int32_t V = 0;
    EXPECT_TRUE(S.Integer(V));
    EXPECT_EQ(V, 3);
}

TEST(ReadToken, EmptyQuotesAndMissingClosingQuote)
{
    TScan Empty{"\"\""};
    EXPECT_EQ(Empty.Token(), "");
    EXPECT_EQ(Empty.Pos, 3);

    TScan Open{"\"abc"};
    EXPECT_EQ(Open.Token(), "abc");
    EXPECT_EQ(Open.Pos, 6); // two past the end
    EXPECT_EQ(Open.Token(), "");
    int32_t I = 5;
    EXPECT_FALSE(Open.Integer(I));
    TSevenBitValue B = 9;
    EXPECT_FALSE(ReadSevenBitValue(Open.Line, Open.Pos, FieldSeparators, B));
    long double F = 4;
    EXPECT_TRUE(ReadFloat(Open.Line, Open.Pos, FieldSeparators, F));
    EXPECT_EQ(F, 0);
}

TEST(ReadToken, DoubledQuoteInsideQuotesEndsTheToken)
{
    TScan S{"\"a\"\"b\""};
    EXPECT_EQ(S.Token(), "a");
    EXPECT_EQ(S.Token(), "b");
    EXPECT_EQ(S.Token(), "");
}

TEST(ReadToken, BareTokensUnquote)
{
    EXPECT_EQ(TScan{"x\"y"}.Token(), "xy");
    EXPECT_EQ(TScan{"x\"\"y"}.Token(), "x\"y");
    EXPECT_EQ(TScan{"\t\tword\tnext"}.Token(), "word");
    TScan Tail{"\"ab\"cd"};
    EXPECT_EQ(Tail.Token(), "ab");
    EXPECT_EQ(Tail.Token(), "cd"); // text right after the closing quote is the next token
}

TEST(UnquoteToken, PairsBecomeOneLoneQuotesVanish)
{
    EXPECT_EQ(UnquoteToken("ab\"\"c"), "ab\"c");
    EXPECT_EQ(UnquoteToken("ab\"c"), "abc");
    EXPECT_EQ(UnquoteToken("\"\"\"\""), "\"\"");
    EXPECT_EQ(UnquoteToken("abc\""), "abc");
}

TEST(ReadInteger, AcceptsDecimalSignsAndHexPrefixes)
{
    const std::pair<const char*, int32_t> Cases[] = {
        {"-12", -12},        {"+5", 5},           {"$1F", 31},          {"0x10", 16},
        {"X1f", 31},         {"0", 0},            {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},   {"-$10", -16},       {"$000000001", 1},
    };
    for (const auto& [Text, Expected] : Cases) {
        int32_t V = 0;
        EXPECT_TRUE(ConvertInteger(Text, V)) << Text;
        EXPECT_EQ(V, Expected) << Text;
    }
}

TEST(ReadInteger, RejectsAndLeavesPartialMagnitude)
{
    const std::pair<const char*, int32_t> Cases[] = {
        {"12a", 12}, {"-7x", 7}, {"1.5", 1}, {"", 0}, {"-", 0}, {"$", 0}, {"0x", 0}, {"abc", 0},
    };
    for (const auto& [Text, Partial] : Cases) {
        int32_t V = 99;
        EXPECT_FALSE(ConvertInteger(Text, V)) << Text;
        EXPECT_EQ(V, Partial) << Text;
    }
    int32_t V = 0;
    EXPECT_FALSE(ConvertInteger("2147483648", V));
    EXPECT_FALSE(ConvertInteger("-2147483649", V));
    EXPECT_FALSE(ConvertInteger("$100000000", V));
    EXPECT_FALSE(ConvertInteger("99999999999999999999999", V));
}

TEST(ReadInteger, PositionMovesPastTheTokenEvenOnFailure)
{
    TScan S{"12a 7"};
    int32_t V = 0;
    EXPECT_FALSE(S.Integer(V));
    EXPECT_EQ(S.Pos, 4);
    EXPECT_TRUE(S.Integer(V));
    EXPECT_EQ(V, 7);
    EXPECT_FALSE(S.Integer(V)); // line used up
}

TEST(TypedReaders, FallbacksAndRanges)
{
    std::string L = "130";
    int32_t Pos = 1;
    TSevenBitValue Seven = 55;
    EXPECT_FALSE(ReadSevenBitValue(L, Pos, FieldSeparators, Seven));
    EXPECT_EQ(Seven, 0);
    EXPECT_EQ(Pos, 4);

    L = "0";
    Pos = 1;
    TRange1To32 R132 = 7;
    EXPECT_FALSE(ReadRange1To32(L, Pos, FieldSeparators, R132));
    EXPECT_EQ(R132, 1);

    L = "";
    Pos = 1;
    TAreaCode Area = 0;
    EXPECT_FALSE(ReadAreaCode(L, Pos, FieldSeparators, Area));
    EXPECT_EQ(Area, 1);

    L = "5 4 2 3 7 3";
    Pos = 1;
    TRange0To4 R04 = 0;
    EXPECT_FALSE(ReadRange0To4(L, Pos, FieldSeparators, R04));
    EXPECT_EQ(R04, 1);
    EXPECT_TRUE(ReadRange0To4(L, Pos, FieldSeparators, R04));
    EXPECT_EQ(R04, 4);
    TRange0To2 R02 = 9;
    EXPECT_TRUE(ReadRange0To2(L, Pos, FieldSeparators, R02));
    EXPECT_EQ(R02, 2);
    TRange0To3 R03 = 0;
    EXPECT_TRUE(ReadRange0To3(L, Pos, FieldSeparators, R03));
    EXPECT_EQ(R03, 3);
    TRange0To6 R06 = 9;
    EXPECT_FALSE(ReadRange0To6(L, Pos, FieldSeparators, R06));
    EXPECT_EQ(R06, 0);
    TRange0To1 R01 = 1;
    EXPECT_FALSE(ReadRange0To1(L, Pos, FieldSeparators, R01));
    EXPECT_EQ(R01, 0);

    L = "24 25";
    Pos = 1;
    TRange0To24 R24 = 0;
    EXPECT_TRUE(ReadRange0To24(L, Pos, FieldSeparators, R24));
    EXPECT_EQ(R24, 24);
    EXPECT_FALSE(ReadRange0To24(L, Pos, FieldSeparators, R24));
    EXPECT_EQ(R24, 0);
}

TEST(ReadValueRange, ReadsLowHighAndLeavesPositionBehindHigh)
{
    std::string L = "0..127 64";
    int32_t Pos = 1;
    TSevenBitValue Lo = 9, Hi = 9;
    EXPECT_TRUE(ReadValueRange(L, Pos, FieldSeparators, Lo, Hi));
    EXPECT_EQ(Lo, 0);
    EXPECT_EQ(Hi, 127);
    EXPECT_EQ(Pos, 7);

    for (const char* Ok : {"0.127", "5...9", "  3..3"}) {
        std::string T = Ok;
        Pos = 1;
        EXPECT_TRUE(ReadValueRange(T, Pos, FieldSeparators, Lo, Hi)) << Ok;
    }
}

TEST(ReadValueRange, FailureLeavesValuesAndStopsOnRangeText)
{
    for (const char* Bad : {"9..2", "0..128", "-1..4", "0 127", "abc"}) {
        std::string L = std::string("  ") + Bad;
        int32_t Pos = 1;
        TSevenBitValue Lo = 11, Hi = 22;
        EXPECT_FALSE(ReadValueRange(L, Pos, FieldSeparators, Lo, Hi)) << Bad;
        EXPECT_EQ(Lo, 11);
        EXPECT_EQ(Hi, 22);
        EXPECT_EQ(Pos, 3) << Bad;
    }
}

TEST(ReadFloat, FollowsTheRegionalDecimalSeparator)
{
    long double V = 0;
    {
        DecimalSeparatorGuard Dot('.');
        std::string L = "0.00012";
        int32_t Pos = 1;
        EXPECT_TRUE(ReadFloat(L, Pos, FieldSeparators, V));
        EXPECT_NEAR(static_cast<double>(V), 0.00012, 1e-12);
        EXPECT_EQ(FormatFloat75(2.5L), "2.50000");
    }
    {
        DecimalSeparatorGuard Comma(',');
        std::string L = "0.00012 0,5";
        int32_t Pos = 1;
        EXPECT_TRUE(ReadFloat(L, Pos, FieldSeparators, V));
        EXPECT_EQ(V, 0);
        EXPECT_TRUE(ReadFloat(L, Pos, FieldSeparators, V));
        EXPECT_NEAR(static_cast<double>(V), 0.5, 1e-12);
        EXPECT_EQ(FormatFloat75(2.5L), "2,50000");
    }
}

TEST(ReadFloat, Shapes)
{
    long double V = 0;
    EXPECT_TRUE(ConvertFloat("-1.5e3", '.', V));
    EXPECT_EQ(V, -1500);
    EXPECT_TRUE(ConvertFloat("+.5", '.', V));
    EXPECT_EQ(V, 0.5L);
    EXPECT_TRUE(ConvertFloat(" 7 ", '.', V));
    EXPECT_EQ(V, 7);
    for (const char* Bad : {"", ".", "1.2.3", "1e", "e5", "1x", "1e99999"})
        EXPECT_FALSE(ConvertFloat(Bad, '.', V)) << Bad;
}

TEST(ConnectorClass, NamesBothWays)
{
    EXPECT_EQ(ConnectorClassFromName("Audio"), 0);
    EXPECT_EQ(ConnectorClassFromName("AUDIO"), 0);
    EXPECT_EQ(ConnectorClassFromName("  audio\t"), 0);
    EXPECT_EQ(ConnectorClassFromName("slave"), 3);
    EXPECT_EQ(ConnectorClassToName(1), "control");
    EXPECT_EQ(ConnectorClassToName(2), "logic");
    EXPECT_EQ(ConnectorClassToName(7), "undefined");
    try {
        ConnectorClassFromName("midi");
        FAIL() << "no error";
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "can't discover a connector class name in 'midi'");
    }
}
