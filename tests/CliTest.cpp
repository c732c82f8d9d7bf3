// permuto-cli as scripts meet it: output, exit statuses, in-place saves and
// -o, and no file touched when a command fails.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>

#include "TestHelpers.h"
#include "patch/PatchDefs.h"

using namespace permuto;
using namespace permuto::test;

namespace {

struct TRun {
    int Status;
    std::string Out;
    std::string Err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        Patch = Dir.File("p.pch");
        WriteText(Patch, ReadText(std::string(PERMUTO_TEST_DATA) + "/full.pch"));
        IsolateLibraryPlaces(Dir.File("data"));
    }
    void TearDown() override { IsolateLibraryPlaces(""); }

    TRun Run(const std::string& Arguments)
    {
        const bool Redirected = Arguments.find_first_of(">|") != std::string::npos;
        const std::string Out = Redirected ? "" : " > " + Dir.File("out");
        const std::string Command = std::string(PERMUTO_CLI) + " " + Arguments + Out + " 2> " + Dir.File("err");
        const int Raw = std::system(Command.c_str());
#ifdef _WIN32
        const int Status = Raw; // the program's exit code itself
#else
        const int Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
#endif
        return {Status, ReadText(Dir.File("out")), ReadText(Dir.File("err"))};
    }

    // What the window's document gives for the same file and operation.
    template <class TAction>
    std::string Expected(TAction Action)
    {
        TPatchDef Document;
        Document.LoadFromFile(Patch);
        Action(Document);
        return SavedText(Document);
    }

    TTempDir Dir;
    std::string Patch;
};

} // namespace

TEST_F(Cli, ListAndLatePrintTheirLines)
{
    const TRun List = Run("list " + Patch);
    EXPECT_EQ(List.Status, 0);
    EXPECT_EQ(List.Out.rfind("poly\t1\tKeyVoice\tKeys\t0\t0\npoly\t2\tOscSaw\tSaw Osc\t0\t2\n", 0), 0u) << List.Out;
    EXPECT_NE(List.Out.find("poly\t5\tAmpVCA\tVCA\tone\t2\t0\n"), std::string::npos); // the name's own tab
    // The patch gives Delay two parameters where the library gives three.
    EXPECT_NE(List.Out.find("common\t3\ttype 1026\tEcho\t1\t4\n"), std::string::npos);

#ifdef _WIN32
    // A name that starts with "/" (in the current drive's root) is a file name, not an option.
    const std::string Data = PERMUTO_TEST_DATA;
    EXPECT_EQ(Run("list " + Data.substr(Data.find('/')) + "/full.pch").Out, List.Out);
#endif

    const TRun Late = Run("late " + Patch);
    EXPECT_EQ(Late.Status, 1);
    EXPECT_EQ(Late.Out, "poly 4 3\npoly 6 2\ncommon 2 1\ncommon 3 2\n");

    ASSERT_EQ(Run("order " + Patch).Status, 0);
    const TRun None = Run("late " + Patch);
    EXPECT_EQ(None.Status, 0);
    EXPECT_EQ(None.Out, "");

    // Lines keep their places through a renumbering; the list is in processing order.
    ASSERT_EQ(Run("swap " + Patch + " poly 1 6").Status, 0);
    std::string Indices;
    for (const std::string_view Line : TLineTable(Run("list " + Patch).Out))
        if (Line.starts_with("poly\t"))
            Indices += Line.substr(5, Line.find('\t', 5) - 5);
    EXPECT_EQ(Indices, "123456");
}

TEST_F(Cli, WritesWhatTheWindowWrites)
{
    const std::string Original = ReadText(Patch);
    const std::string Swapped = Expected([](TPatchDef& D) { D.SwapModules(AreaPoly, 2, 5); });
    ASSERT_EQ(Run("swap " + Patch + " poly 2 5 -o " + Dir.File("o.pch")).Status, 0);
    EXPECT_EQ(ReadText(Dir.File("o.pch")), Swapped);
    EXPECT_EQ(ReadText(Patch), Original); // -o only reads PATCH

    const std::string Moved = Expected([](TPatchDef& D) { ApplyMove(D, AreaCommon, 3, 1); });
    ASSERT_EQ(Run("move " + Patch + " common 3 1").Status, 0);
    EXPECT_EQ(ReadText(Patch), Moved);

    const std::string Ordered = Expected([](TPatchDef& D) {
        ApplyOrder(D, AreaPoly);
        ApplyOrder(D, AreaCommon);
    });
    ASSERT_EQ(Run("order " + Patch).Status, 0);
    EXPECT_EQ(ReadText(Patch), Ordered);

    // What changes nothing leaves the file as it is, byte for byte (this
    // sample is not in the written layout, so a save would show).
    const std::string Shuffled = ReadText(std::string(PERMUTO_TEST_DATA) + "/shuffled.pch");
    WriteText(Patch, Shuffled);
    for (const std::string& Nothing : {"swap " + Patch + " poly 50 60", "move " + Patch + " poly 3 3"}) {
        ASSERT_EQ(Run(Nothing).Status, 0) << Nothing;
        EXPECT_TRUE(ReadText(Patch) == Shuffled) << Nothing;
    }
}

TEST_F(Cli, OutputToStandardOutputAndToDescriptors)
{
    const std::string Swapped = Expected([](TPatchDef& D) { D.SwapModules(AreaPoly, 2, 5); });
    const TRun Dash = Run("swap " + Patch + " poly 2 5 -o -");
    EXPECT_EQ(Dash.Status, 0);
    EXPECT_TRUE(Dash.Out == Swapped);
#ifndef _WIN32
    // A log opened for appending gets the patch appended, and stays a log.
    WriteText(Dir.File("run.log"), "started\n");
    EXPECT_EQ(Run("swap " + Patch + " poly 2 5 -o /dev/stdout >> " + Dir.File("run.log")).Status, 0);
    EXPECT_TRUE(ReadText(Dir.File("run.log")) == "started\n" + Swapped);
    EXPECT_EQ(Run("order " + Patch + " -o /dev/stdout | cat > " + Dir.File("piped")).Status, 0);
    EXPECT_EQ(ReadText(Dir.File("piped")).rfind("[Header]", 0), 0u);
#endif
}

TEST_F(Cli, OrderingBothAreasWritesWhenOnlyOneChanges)
{
    ASSERT_EQ(Run("order " + Patch + " common").Status, 0); // now only the poly area is out of order
    const std::string CommonOrdered = ReadText(Patch);
    ASSERT_EQ(Run("order " + Patch).Status, 0);
    EXPECT_NE(ReadText(Patch), CommonOrdered);
    EXPECT_EQ(Run("late -c " + Patch).Out, "poly 0\ncommon 0\n");
    // Ordered already: nothing is written (a file nobody may write, not
    // even root, would refuse it).
    std::filesystem::permissions(Patch, std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
    EXPECT_EQ(Run("order " + Patch).Status, 0);
    EXPECT_EQ(Run("order --fewest-late " + Patch).Status, 0);
    std::filesystem::permissions(Patch, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
}

TEST_F(Cli, LateCountsOrSaysNothingAndASaveThatCannotFollowALineIsRefusedInPlace)
{
    const TRun Count = Run("late -c " + Patch), Quiet = Run("late --quiet " + Patch);
    EXPECT_EQ(Count.Status, 1);
    EXPECT_EQ(Count.Out, "poly 2\ncommon 2\n");
    EXPECT_EQ(Quiet.Status, 1);
    EXPECT_EQ(Quiet.Out, "");

    // Text Permuto does not read is kept: no word about it.
    std::string Text = ReadText(Patch) + "[Unknown]\r\nkept\r\n";
    WriteText(Patch, Text);
    EXPECT_EQ(Run("swap " + Patch + " poly 1 2").Err, "");
    EXPECT_EQ(Run("swap " + Patch + " poly 1 2").Err, "");
    EXPECT_TRUE(ReadText(Patch) == Text);
    // A poly cable whose module number does not read would keep it through a
    // renumbering of the poly area: refused in place, written with a word
    // elsewhere or with --force; a renumbering of the other area loses nothing.
    Text.replace(Text.find("1 3 0 1 5 0 0"), 13, "1 x 0 1 5 0 0");
    WriteText(Patch, Text);
    const std::string Why = "Saving \"" + Patch + "\" changes more than module numbers: 1 cable line of the poly area "
                            "holds module numbers that cannot be read, and keeps them although the modules were renumbered";
    const TRun Refused = Run("swap " + Patch + " poly 1 2");
    EXPECT_EQ(Refused.Status, 2);
    EXPECT_EQ(Refused.Err, "permuto-cli: " + Why + "; nothing was written (--force writes it all the same)\n");
    EXPECT_TRUE(ReadText(Patch) == Text);
    const TRun Elsewhere = Run("swap " + Patch + " poly 1 2 -o " + Dir.File("out.pch"));
    EXPECT_EQ(Elsewhere.Status, 0);
    EXPECT_EQ(Elsewhere.Err, "permuto-cli: warning: " + Why + "\n");
    EXPECT_NE(ReadText(Dir.File("out.pch")).find("1 x 0 1 5 0 0"), std::string::npos);
    EXPECT_EQ(Run("swap " + Patch + " common 1 2").Err, "");
    const TRun Forced = Run("swap " + Patch + " poly 1 2 --force");
    EXPECT_EQ(Forced.Status, 0);
    EXPECT_EQ(Forced.Err, "permuto-cli: warning: " + Why + "\n");
}

TEST_F(Cli, LoopsDrawingsAndTheFewestLateOrder)
{
    EXPECT_EQ(Run("loops " + Patch).Status, 0); // the sample holds no loop
    // Two loops in the poly area, one in the common area; a loop of 25
    // modules is beyond the exact arrangement.
    std::string T = "Version=l\r\n0\r\n[ModuleDump]\r\n1\r\n";
    for (int I = 1; I <= 30; ++I)
        T += std::to_string(I) + " 1 0 0\r\n";
    T += "[ModuleDump]\r\n0\r\n1 1 0 0\r\n2 1 0 0\r\n[CableDump]\r\n1\r\n";
    for (int I = 1; I <= 25; ++I) // 1 -> 2 -> ... -> 25 -> 1
        T += "0 " + std::to_string(I) + " 0 1 " + std::to_string(I % 25 + 1) + " 0 0\r\n";
    T += "0 28 0 1 30 0 0\r\n0 30 0 1 28 0 0\r\n[CableDump]\r\n0\r\n0 2 0 1 1 0 0\r\n0 1 0 1 2 0 0\r\n";
    WriteText(Patch, T);
    std::string Poly = "poly";
    for (int I = 1; I <= 25; ++I)
        Poly += " " + std::to_string(I);
    const TRun Loops = Run("loops " + Patch);
    EXPECT_EQ(Loops.Status, 1);
    EXPECT_EQ(Loops.Out, Poly + "\npoly 28 30\ncommon 1 2\n");

    const TRun Fewest = Run("order --fewest-late " + Patch + " poly -o " + Dir.File("o.pch"));
    EXPECT_EQ(Fewest.Status, 0);
    // The loop is named by the indices its members have now, as loops lists them.
    const std::string Now = Run("loops " + Dir.File("o.pch")).Out;
    const size_t Members = Now.find("poly "), End = Now.find('\n', Members);
    ASSERT_NE(End, std::string::npos) << Now;
    const std::string First = Now.substr(Members + 5, Now.find(' ', Members + 5) - Members - 5);
    const std::string Last = Now.substr(Now.rfind(' ', End) + 1, End - Now.rfind(' ', End) - 1);
    EXPECT_EQ(Fewest.Err, "permuto-cli: warning: the feedback loop of 25 modules in the poly area, now modules " + First +
                              " to " + Last + ", was arranged by local search; it may not be the fewest late connections\n");
    EXPECT_EQ(Run("late -c " + Dir.File("o.pch")).Out, "poly 2\ncommon 1\n"); // one late pair per loop left

    const TRun Svg = Run("draw " + Patch + " common -o -");
    EXPECT_EQ(Svg.Status, 0);
    EXPECT_NE(Svg.Out.find("id=\"common-2\""), std::string::npos);
    EXPECT_EQ(Svg.Out.find("id=\"poly-1\""), std::string::npos);
    EXPECT_EQ(Run("draw " + Patch + " -o " + Dir.File("p.svg")).Status, 0);
    EXPECT_EQ(ReadText(Dir.File("p.svg")).rfind("<?xml", 0), 0u);
}

// One net of 20,000 outputs and 20,000 inputs holds 400 million late
// pairs: counted, not listed.
TEST_F(Cli, LateCountsTheSquareOfANetWithoutListingIt)
{
    // One net: module 1's input joined to every other module's connector,
    // the upper half of them outputs, each of which feeds every lower one.
    const auto OneNet = [](int Side) {
        std::string T = "Version=n\r\n0\r\n[ModuleDump]\r\n1\r\n";
        for (int I = 1; I <= 2 * Side; ++I)
            T += std::to_string(I) + " 1 0 0\r\n";
        T += "[CableDump]\r\n1\r\n";
        for (int I = 2; I <= 2 * Side; ++I)
            T += "0 1 0 0 " + std::to_string(I) + " 0 " + (I > Side ? "1" : "0") + "\r\n";
        return T;
    };
    WriteText(Patch, OneNet(20000));
    const TRun Count = Run("late -c " + Patch);
    EXPECT_EQ(Count.Status, 1);
    EXPECT_EQ(Count.Out, "poly 400000000\ncommon 0\n");

    // A smaller one listed: 90,000 pairs, far more than one piece of output,
    // each once and in order.
    constexpr int Few = 300;
    WriteText(Patch, OneNet(Few));
    std::string Pairs;
    for (int Source = Few + 1; Source <= 2 * Few; ++Source)
        for (int Destination = 1; Destination <= Few; ++Destination)
            Pairs += "poly " + std::to_string(Source) + " " + std::to_string(Destination) + "\n";
    const TRun Listed = Run("late " + Patch);
    EXPECT_EQ(Listed.Status, 1);
    EXPECT_TRUE(Listed.Out == Pairs) << Listed.Out.size() << " bytes, not " << Pairs.size();
}

TEST_F(Cli, ErrorsExitWithTwoAndWriteNothing)
{
    // The common area's index 2 is used twice: ordering both areas is refused
    // after the poly area ordered fine, and nothing may be written.
    std::string Shared = ReadText(Patch);
    Shared.replace(Shared.find("3 1026 1 4"), 1, "2");
    WriteText(Patch, Shared);
    const std::string Out = Dir.File("o.pch");
    struct TCase {
        std::string Arguments;
        std::string Message;
    };
    WriteText(Dir.File("zero.pch"), std::string("Version=x\r\n0\r\n[ModuleDump]\r\n1\r\n\0rest", 35));
    WriteText(Dir.File("notes.txt"), "My notes\nversion history:\n- 1.0\n");
    const TCase Cases[] = {
        {"", "A subcommand is required"},
        {"order " + Patch + " -o \"\"", "-o needs the name of the file to write"},
        {"swap " + Dir.File("zero.pch") + " poly 1 2", "holds a NUL byte at byte 31"},
        {"swap " + Dir.File("notes.txt") + " poly 1 2", "does not look like a patch"},
#ifndef _WIN32
        {"late " + Patch + " > /dev/full", "cannot write the output: No space left on device"},
        {"--help > /dev/full", "cannot write the output: No space left on device"},
        {"swap " + Patch + " poly 2 5 -o /dev/stdout > /dev/full", "No space left on device"},
        {"--version > /dev/full", "cannot write the output: No space left on device"},
#endif
        {"frob " + Patch, "unknown command \"frob\""},
        {"swap " + Patch + " mono 1 2", "unknown area \"mono\""},
        {"swap " + Patch + " poly 1 2x", "\"2x\" is not a module index"},
        {"swap " + Patch + " poly 1 0x10", "\"0x10\" is not a module index"}, // decimal only, as in the window
        {"swap " + Patch + " poly 1", "B is required"},
        {"swap " + Patch + " poly 2 -1", "The poly area has no module with index -1, and a module cannot take an index below 1"},
        {"move " + Patch + " poly 1 99 -o " + Out, "The poly area has no module with index 99"},
        {"order " + Patch + " -o " + Out, "Module index 2 is used by two modules of the common area"},
        {"late " + Dir.File("missing.pch"), "Cannot open file"},
        {"swap " + Patch + " poly 1 2 -o " + Dir.File("no/such/folder.pch"), "Cannot create file"},
    };
    for (const TCase& C : Cases) {
        const TRun R = Run(C.Arguments);
        EXPECT_EQ(R.Status, 2) << C.Arguments;
        EXPECT_EQ(R.Err.rfind("permuto-cli: ", 0), 0u) << R.Err;
        EXPECT_NE(R.Err.find(C.Message), std::string::npos) << R.Err;
        EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
        EXPECT_TRUE(ReadText(Patch) == Shared) << C.Arguments;
        EXPECT_FALSE(std::filesystem::exists(Out)) << C.Arguments;
    }
    EXPECT_EQ(Run("--help").Status, 0);
    EXPECT_EQ(Run("order --help").Status, 0);
}

// The module library named with --library, or by $PERMUTO_LIBRARY, gives
// the names; one that cannot be read is a warning, and the shipped one
// serves. The warning about undescribed types is one line.
TEST_F(Cli, TheModuleLibraryCanBeChosen)
{
    const std::string Own = Dir.File("own.txt");
    WriteText(Own, JoinLines(LibraryEntry("1026 TapeEcho", 3, {"0 \"Time\" 0..127 0 \"\"", "1 \"Repeat\" 0..127 0 \"\""},
                                       {"0 \"In\" audio"}, {"0 \"Out\" audio"})));
    const TRun Chosen = Run("list " + Patch + " --library " + Own);
    EXPECT_EQ(Chosen.Status, 0);
    EXPECT_NE(Chosen.Out.find("common\t3\tTapeEcho\tEcho\t1\t4\n"), std::string::npos) << Chosen.Out;
    EXPECT_NE(Chosen.Out.find("poly\t1\ttype 1001\tKeys\t0\t0\n"), std::string::npos) << Chosen.Out;
    EXPECT_EQ(Chosen.Err.rfind("permuto-cli: warning: 8 module types of this patch are not described", 0), 0u) << Chosen.Err;
    EXPECT_NE(Chosen.Err.find("--library FILE"), std::string::npos);
    EXPECT_EQ(std::count(Chosen.Err.begin(), Chosen.Err.end(), '\n'), 1) << Chosen.Err;

    const TRun Missing = Run("list " + Patch + " --library " + Dir.File("missing.txt"));
    EXPECT_EQ(Missing.Status, 0);
    EXPECT_NE(Missing.Err.find("Cannot open file \"" + Dir.File("missing.txt") + "\""), std::string::npos) << Missing.Err;
    EXPECT_NE(Missing.Out.find("common\t2\tMixer3\t"), std::string::npos) << Missing.Out;

    SetEnvironment("PERMUTO_LIBRARY", Own);
    EXPECT_NE(Run("draw " + Patch + " common -o -").Out.find("3 TapeEcho Echo"), std::string::npos);
    const TRun Version = Run("--version");
    EXPECT_EQ(Version.Status, 0);
    EXPECT_NE(Version.Out.find("module library: " + Own + " ($PERMUTO_LIBRARY, 1 module type)"), std::string::npos)
        << Version.Out;
#ifdef _WIN32
    EXPECT_NE(Version.Out.find(Dir.File("data") + "\\permuto\\patch303.txt"), std::string::npos) << Version.Out;
#else
    EXPECT_NE(Version.Out.find(Dir.File("data") + "/permuto/patch303.txt"), std::string::npos) << Version.Out;
#endif
}

// A patch in the editor's older layout is refused by every command: exit 2,
// nothing written.
TEST_F(Cli, AnOlderLayoutPatchIsRefused)
{
    const std::string Old = Dir.File("old.pch");
    WriteText(Old, "[Header]\r\nInfo=Synthesizer patch file\r\nVersion=Synthesizer patch 2.00\r\nVoices=1\r\n\r\n"
                   "[Module 1]\r\nType=3\r\nCol=0\r\nRow=0\r\n\r\n[Module 2]\r\nType=7\r\n\r\n[Notes]\r\n[/Notes]\r\n");
    for (const std::string Command : {"list", "late -q", "swap", "order"}) {
        const std::string Rest = Command == "swap" ? " poly 1 2" : "";
        const TRun Refused = Run(Command + " " + Old + Rest + (Command == "order" ? " -o " + Dir.File("o.pch") : ""));
        EXPECT_EQ(Refused.Status, 2) << Command;
        EXPECT_NE(Refused.Err.find("older layout"), std::string::npos) << Refused.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(Dir.File("o.pch")));
}
