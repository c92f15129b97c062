#include <gtest/gtest.h>

#include "core/Paths.h"

TEST(PathSet, JoinsTheDocumentsFolderAndTheCurrentDirectoryAsTheyStand) {
    const PathSet paths = MakePathSet("C:\\Program Files\\Tavrin", "C:\\Users\\ann\\Documents");
    EXPECT_EQ(paths.dataFolder, "C:\\Users\\ann\\Documents\\Tavrin Wallpaper");
    EXPECT_EQ(paths.configPath, "C:\\Users\\ann\\Documents\\Tavrin Wallpaper\\config.ini");
    EXPECT_EQ(paths.wallpaperBmpPath, "C:\\Users\\ann\\Documents\\Tavrin Wallpaper\\TavrinWP.bmp");
    EXPECT_EQ(paths.pluginsRoot, "C:\\Program Files\\Tavrin\\plugins");
}

TEST(PathSet, AnEmptyDocumentsFolderLeavesPathsAtTheRootOfTheCurrentDrive) {
    const PathSet paths = MakePathSet("D:\\Apps", "");
    EXPECT_EQ(paths.dataFolder, "\\Tavrin Wallpaper");
    EXPECT_EQ(paths.configPath, "\\Tavrin Wallpaper\\config.ini");
    EXPECT_EQ(paths.wallpaperBmpPath, "\\Tavrin Wallpaper\\TavrinWP.bmp");
}

TEST(PathSet, ADriveRootAsCurrentDirectoryGivesTwoBackslashes) {
    EXPECT_EQ(MakePathSet("C:\\", "X").pluginsRoot, "C:\\\\plugins");
}

TEST(StartupArgument, MatchesTheWholeWordInAnyLetterCase) {
    EXPECT_TRUE(HasStartupArgument({"startup"}));
    EXPECT_TRUE(HasStartupArgument({"STARTUP"}));
    EXPECT_TRUE(HasStartupArgument({"StArTuP"}));
    EXPECT_TRUE(HasStartupArgument({"other", "Startup"}));
    EXPECT_TRUE(HasStartupArgument({"startup", "startup"}));
    EXPECT_FALSE(HasStartupArgument({}));
    EXPECT_FALSE(HasStartupArgument({"-startup"}));
    EXPECT_FALSE(HasStartupArgument({"/startup"}));
    EXPECT_FALSE(HasStartupArgument({"startupx"}));
    EXPECT_FALSE(HasStartupArgument({" startup"}));
    EXPECT_FALSE(HasStartupArgument({"start up"}));
    // Only ASCII letters change case: a Cyrillic "с" is not a Latin "s".
    EXPECT_FALSE(HasStartupArgument({"\xD1\x81tartup"}));
}

TEST(StartupArgument, AWordForTheRunningCopyIsTheWholeCommandLineInAnyLetterCase) {
    EXPECT_EQ(ParseStartWord({"next"}), StartWord::Next);
    EXPECT_EQ(ParseStartWord({"PREVIOUS"}), StartWord::Previous);
    EXPECT_EQ(ParseStartWord({"Settings"}), StartWord::Settings);
    EXPECT_EQ(ParseStartWord({"eXiT"}), StartWord::Exit);
    EXPECT_EQ(ParseStartWord({"open"}), StartWord::Open);
    EXPECT_EQ(ParseStartWord({"FOLDER"}), StartWord::Folder);
    EXPECT_EQ(ParseStartWord({"open", "folder"}), StartWord::None);
    EXPECT_EQ(ParseStartWord({"delete"}), StartWord::None);  // deleting always asks first: no word
    EXPECT_EQ(ParseStartWord({}), StartWord::None);
    EXPECT_EQ(ParseStartWord({"startup"}), StartWord::None);
    EXPECT_EQ(ParseStartWord({"next", "startup"}), StartWord::None);
    EXPECT_EQ(ParseStartWord({"next", "next"}), StartWord::None);
    EXPECT_EQ(ParseStartWord({"/next"}), StartWord::None);
    EXPECT_EQ(ParseStartWord({"nexts"}), StartWord::None);
    EXPECT_EQ(ParseStartWord({"ne\xD1\x85t"}), StartWord::None);  // a Cyrillic "х"
}

TEST(PathSet, TheProgramsFolderIsThePartBeforeTheLastBackslash) {
    EXPECT_EQ(FolderOfFile("C:\\Program Files\\Tavrin\\tavrinwp.exe"), "C:\\Program Files\\Tavrin");
    EXPECT_EQ(FolderOfFile("C:\\tavrinwp.exe"), "C:\\");
    EXPECT_EQ(FolderOfFile("\\\\server\\share\\tavrinwp.exe"), "\\\\server\\share");
    EXPECT_EQ(FolderOfFile("tavrinwp.exe"), "");
}
