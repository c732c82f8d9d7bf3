// The list of lines: line break rules, CR LF on writing, checked access.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "library/Errors.h"
#include "library/StringList.h"

using namespace permuto;
using namespace permuto::test;

namespace {
std::vector<std::string> Split(const std::string& Bytes)
{
    TStringList L;
    L.SetText(Bytes);
    return ToVector(L);
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

TEST(LineRules, WritesCrLfAfterEveryLine)
{
    EXPECT_EQ(MakeLines({"a", "", "b"}).Text(), "a\r\n\r\nb\r\n");
    EXPECT_EQ(MakeLines({}).Text(), "");
}

TEST(LineRules, CheckedAccess)
{
    TStringList L = MakeLines({"a"});
    try {
        (void)L[1];
        FAIL();
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW((void)L[-1], EListError);
    L.Insert(1, "b");
    L.Insert(0, "c");
    EXPECT_EQ(ToVector(L), (std::vector<std::string>{"c", "a", "b"}));
}
