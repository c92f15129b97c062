// How a plugin is called.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "engine/Plugin.h"

#ifdef _WIN32
#include <windows.h>
#endif

TEST(PluginCommand, ThePathsStandUnquotedAfterTheProgram) {
    EXPECT_EQ(PluginCommandLine("C:\\Program Files\\TWP\\plugins", "sepia", "C:\\My Documents\\TavrinWP.bmp"),
              "C:\\Program Files\\TWP\\plugins\\sepia\\plugin.exe C:\\My Documents\\TavrinWP.bmp");
    EXPECT_EQ(PluginProgramPath("C:\\p", ""), "C:\\p\\\\plugin.exe");
}

#ifdef _WIN32
// Wine activates every new window whatever the start-up information asks, so
// what is tested is what reaches the system: the plugin is started with
// SW_SHOWNOACTIVATE.
TEST(PluginRun, ThePluginIsStartedWithoutTakingTheFocus) {
    testing_support::TempFolder root;
    ASSERT_TRUE(platform::CreateDir(root / "x"));
    const std::string program = PluginProgramPath(root.Path(), "x");
    ASSERT_TRUE(CopyFileA(testing_support::HelperProgram("ChildProcess").c_str(), program.c_str(), TRUE));
    EXPECT_EQ(RunPlugin(root.Path(), "x", root / "TavrinWP.bmp"), platform::ProcessEnd::Ended);
    EXPECT_EQ(testing_support::ReadTextFile(program + ".txt"), std::to_string(SW_SHOWNOACTIVATE) + "\n");
}
#endif
