// The window program started as people start it from a terminal: asked for
// its version or help it answers without a display, and without one it
// says so instead of stopping with a crash.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "TestHelpers.h"

using namespace permuto::test;

TEST(Program, AnswersWithoutADisplay)
{
    TTempDir Dir;
    struct TCase {
        const char* Arguments;
        int Status;
        const char* Says; // on standard output, or standard error for a failure
    };
    for (const TCase& Case : {TCase{"--version", 0, "\nmodule library: "}, TCase{"--help", 0, "Usage: permuto [PATCH]"},
                              TCase{"-h", 0, "Usage: permuto [PATCH]"}, TCase{"", 1, "there is no display"},
                              TCase{"--help > /dev/full", 2, "cannot write the output"}}) {
        const std::string Command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " PERMUTO_APP " " +
                                    std::string(Case.Arguments) +
                                    (std::string(Case.Arguments).find('>') == std::string::npos ? " > " + Dir.File("out") : "") +
                                    " 2> " + Dir.File("err");
        const int Raw = std::system(Command.c_str());
        ASSERT_TRUE(WIFEXITED(Raw)) << Case.Arguments; // no crash, no core dump
        EXPECT_EQ(WEXITSTATUS(Raw), Case.Status) << Case.Arguments;
        const std::string Said = Case.Status == 0 ? ReadText(Dir.File("out")) : ReadText(Dir.File("err"));
        EXPECT_NE(Said.find(Case.Says), std::string::npos) << Case.Arguments << ": " << Said;
    }
}
