// Lines read and written: line break rules, CR LF on writing, checked access.
#include <gtest/gtest.h>

#include <random>

#include "TestHelpers.h"
#include "base/Errors.h"
#include "base/LineTable.h"
#include "base/LineWriter.h"

using namespace permuto;
using namespace permuto::test;

namespace {
std::vector<std::string> Split(const std::string& Bytes)
{
    return ToVector(TLineTable(Bytes));
}
} // namespace

TEST(LineRules, BreaksOfEveryKind)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Split(""), V{});
    EXPECT_EQ(Split("a"), V{"a"});
    EXPECT_EQ(Split("a\n"), V{"a"});
    EXPECT_EQ(Split("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Split("a\r\n\r\n"), (V{"a", ""}));
    EXPECT_EQ(Split("\n"), V{""});
    EXPECT_EQ(Split("a\n\rb"), (V{"a", "", "b"})); // LF CR is two breaks
    EXPECT_EQ(Split(std::string("ab\0cd\nef", 8)), V{"ab"});
    EXPECT_EQ(Split("\xe9t\xe9\t\xff"), V{"\xe9t\xe9\t\xff"}); // bytes stay bytes
}

// The text is split many bytes at a time: a CR LF across two blocks, a NUL in
// a later block or a last block of any length must split as a byte-by-byte
// reading of the rules does.
TEST(LineRules, LongTextsSplitAsByteByByte)
{
    std::mt19937 Random(7);
    for (int Round = 0; Round < 400; ++Round) {
        std::string Bytes(Random() % 300, 'a');
        for (char& C : Bytes)
            C = "ab\r\n\r\n"[Random() % 6];
        if (Round % 4 == 0 && !Bytes.empty())
            Bytes[Random() % Bytes.size()] = '\0';
        std::vector<std::string> Expected;
        std::string Line;
        size_t I = 0;
        for (; I < Bytes.size() && Bytes[I] != '\0'; ++I) {
            if (Bytes[I] != '\r' && Bytes[I] != '\n') {
                Line += Bytes[I];
                continue;
            }
            Expected.push_back(Line);
            Line.clear();
            if (Bytes[I] == '\r' && I + 1 < Bytes.size() && Bytes[I + 1] == '\n')
                ++I;
        }
        if (!Line.empty())
            Expected.push_back(Line);
        EXPECT_EQ(Split(Bytes), Expected) << "round " << Round;
    }
}

TEST(LineRules, WritesCrLfAfterEveryLine)
{
    EXPECT_EQ(WrittenText([](TLineWriter& Lines) {
                  Lines.Add("a");
                  Lines.Add("");
                  Lines.AddNumbers({-1, 0, 42, 1234567});
              }),
              "a\r\n\r\n-1 0 42 1234567\r\n");
    EXPECT_EQ(WrittenText([](TLineWriter&) {}), "");
}

TEST(LineRules, CheckedAccessSplitsAndTheLinesThatMayBeHeaders)
{
    TLineTable L(std::string("[a\n b\n[c d\n"));
    try {
        (void)L[3];
        FAIL();
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (3)");
    }
    EXPECT_THROW((void)L[-1], EListError);
    EXPECT_EQ(L.BracketLines(), (std::vector<int32_t>{0, 2}));
    L.Split({{1, 0, "[x"}, {2, 2, "1"}});
    EXPECT_EQ(ToVector(L), (std::vector<std::string>{"[a", "[x", " b", "1", " d"}));
    EXPECT_EQ(L.BracketLines(), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(ToVector(TLineTable(L, 1, 3)), (std::vector<std::string>{"[x", " b"}));
}
