// GoogleTest main for the window tests: one application object for all of them.
#include <gtest/gtest.h>

#include "Application.h"

int main(int Argc, char** Argv)
{
    ::testing::InitGoogleTest(&Argc, Argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // the window tests never need a display
    permuto::TApplication App(Argc, Argv);
    return RUN_ALL_TESTS();
}
