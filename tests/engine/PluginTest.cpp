// How a plugin is called.
#include <gtest/gtest.h>

#include "engine/Plugin.h"

TEST(PluginCommand, ThePathsStandUnquotedAfterTheProgram) {
    EXPECT_EQ(PluginCommandLine("C:\\Program Files\\TWP\\plugins", "sepia", "C:\\My Documents\\TavrinWP.bmp"),
              "C:\\Program Files\\TWP\\plugins\\sepia\\plugin.exe C:\\My Documents\\TavrinWP.bmp");
    EXPECT_EQ(PluginProgramPath("C:\\p", ""), "C:\\p\\\\plugin.exe");
}
