// The rotation, with a wallpaper call that records what it was asked to apply.
#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "TestSupport.h"
#include "core/Settings.h"
#include "engine/CatalogueWalk.h"
#include "engine/Rotation.h"

using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

class RotationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings = TSettings{};
        Settings.wallpaper_directory = folder.Path();
        Settings.number = 1;
        FoundPicture.clear();
    }
    void Pictures(std::initializer_list<const char*> names) {
        for (const char* name : names) WriteTextFile(folder / name, "picture");
    }
    // One change (`back`: "Предыдущая"); returns the name applied, or "" when none was.
    std::string Change(bool back = false) {
        applied.clear();
        const bool ok = (back ? RotateWallpaperBack : RotateWallpaper)(
            Settings.wallpaper_directory, Settings.number,
            [&](const std::string& path) {
                ++attempts;
                tried.push_back(path);
                if (broken.count(path) || path.empty() || platform::DirectoryExists(path)) return false;
                applied = path;
                return true;
            },
            [&] { ++saves; });
        EXPECT_EQ(ok, !applied.empty());
        return applied.empty() ? "" : applied.substr(folder.Path().size() + 1);
    }

    TempFolder folder;
    std::set<std::string> broken;
    std::vector<std::string> tried;
    std::string applied;
    int attempts = 0;
    int saves = 0;
};

}  // namespace

TEST_F(RotationTest, ShowsEveryPictureInTurnAndWrapsAtTheEnd) {
    Pictures({"1.jpg", "2.jpg", "3.jpg"});
    for (const char* expected : {"1.jpg", "2.jpg", "3.jpg", "1.jpg", "2.jpg"}) EXPECT_EQ(Change(), expected);
    EXPECT_EQ(Settings.number, 3);
    EXPECT_EQ(saves, 5);
}

TEST_F(RotationTest, OnePictureIsShownEveryTime) {
    Pictures({"only.jpg"});
    EXPECT_EQ(Change(), "only.jpg");
    EXPECT_EQ(Change(), "only.jpg");
    EXPECT_EQ(Settings.number, 1);
}

TEST_F(RotationTest, AnEmptyFolderAfterTheLastPictureShowsItTwiceBeforeWrapping) {
    Pictures({"1.jpg", "2.jpg"});
    ASSERT_TRUE(platform::CreateDir(folder / "z-empty"));
    Settings.number = 2;
    EXPECT_EQ(Change(), "2.jpg");
    EXPECT_EQ(Settings.number, 3);
    EXPECT_EQ(Change(), "2.jpg");
    EXPECT_EQ(Settings.number, 1);
    EXPECT_EQ(Change(), "1.jpg");
}

TEST_F(RotationTest, APositionBeyondTheCatalogueShowsTheLastPicture) {
    Pictures({"1.jpg", "2.jpg"});
    for (int32_t number : {7, std::numeric_limits<int32_t>::max()}) {
        Settings.number = number;
        EXPECT_EQ(Change(), "2.jpg");
        EXPECT_EQ(Settings.number, 1);
    }
}

TEST_F(RotationTest, AnUnreadablePictureIsPassedOverWithinTheSameChange) {
    Pictures({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"});
    broken.insert(folder / "3.jpg");
    Settings.number = 3;
    EXPECT_EQ(Change(), "4.jpg");
    EXPECT_EQ(Settings.number, 5);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(attempts, 2);
}

TEST_F(RotationTest, SteppingBackShowsThePreviousPictureAndNeverWraps) {
    Pictures({"1.jpg", "2.jpg", "3.jpg", "4.jpg"});
    Settings.number = 2;
    EXPECT_EQ(Change(), "2.jpg");
    EXPECT_EQ(Change(), "3.jpg");
    StepBack(Settings.number);
    EXPECT_EQ(Change(), "2.jpg");  // previous
    EXPECT_EQ(Settings.number, 3);

    // From position 1 the picture showing is applied again, and the next change shows 1.
    Settings.number = 1;
    EXPECT_EQ(Change(), "1.jpg");
    StepBack(Settings.number);
    EXPECT_EQ(Settings.number, 0);
    EXPECT_EQ(Change(), "1.jpg");
    EXPECT_EQ(Settings.number, 1);

    // Right after wrapping (number 1, the last picture showing) it re-applies
    // the last picture once; the next change shows 1.
    Settings.number = 4;
    EXPECT_EQ(Change(), "4.jpg");
    ASSERT_EQ(Settings.number, 1);
    StepBack(Settings.number);
    EXPECT_EQ(Change(), "4.jpg");
    EXPECT_EQ(Settings.number, 1);
    EXPECT_EQ(Change(), "1.jpg");
}

TEST_F(RotationTest, ManyStepsBackAtTheStartLeaveThePositionWhereOneStepLeavesIt) {
    Pictures({"1.jpg", "2.jpg", "3.jpg"});
    for (int presses : {1, 2, 300}) {
        Settings.number = 1;
        ASSERT_EQ(Change(), "1.jpg");
        for (int press = 0; press < presses; ++press) {
            ASSERT_EQ(Change(true), "1.jpg") << presses << " presses, press " << press;
            ASSERT_EQ(Settings.number, 1) << presses << " presses, press " << press;
        }
        EXPECT_EQ(Change(), "1.jpg") << presses << " presses";
        EXPECT_EQ(Change(), "2.jpg") << presses << " presses";
    }
    // A position far below 0 in config.ini steps back to the start as well.
    for (int32_t number : {0, -293, std::numeric_limits<int32_t>::min()}) {
        Settings.number = number;
        EXPECT_EQ(Change(true), "2.jpg") << number;  // the last find, applied again
        EXPECT_EQ(Settings.number, 1) << number;
    }
}

TEST_F(RotationTest, SteppingBackPassesOverPicturesThatCannotBeApplied) {
    Pictures({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"});
    broken.insert(folder / "2.jpg");
    // Back from 4 over the broken 2 to 1; at position 1 the picture is applied again.
    for (const char* expected : {"1.jpg", "3.jpg", "4.jpg"}) EXPECT_EQ(Change(), expected);
    for (const char* expected : {"3.jpg", "1.jpg", "1.jpg"}) EXPECT_EQ(Change(true), expected);
    EXPECT_EQ(Settings.number, 1);
    EXPECT_EQ(Change(), "1.jpg");
    // Nothing before the picture showing can be applied: it is applied again.
    broken.insert(folder / "1.jpg");
    Settings.number = 4;
    EXPECT_EQ(Change(true), "3.jpg");
    EXPECT_EQ(Settings.number, 4);
    // Far beyond the end, with nothing that works: each picture is tried once, no wrap.
    for (const char* name : {"3.jpg", "4.jpg", "5.jpg"}) broken.insert(folder / name);
    Settings.number = std::numeric_limits<int32_t>::max();
    attempts = 0;
    EXPECT_EQ(Change(true), "");
    EXPECT_EQ(attempts, 5);
}

TEST_F(RotationTest, TheFirstChangeWithNothingFoundYetStartsAtPositionOne) {
    Pictures({"1.jpg", "2.jpg"});
    Settings.number = 0;
    EXPECT_EQ(Change(), "1.jpg");
    EXPECT_EQ(Settings.number, 2);
    EXPECT_EQ(saves, 1);
    // A hostile position far below 1 does not make the change climb for ever.
    FoundPicture.clear();
    Settings.number = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(Change(), "1.jpg");
    EXPECT_LE(attempts, 4);
    StepBack(Settings.number);  // no overflow below the smallest position
    Settings.number = std::numeric_limits<int32_t>::min() + 1;
    StepBack(Settings.number);
    EXPECT_EQ(Settings.number, 0);
}

TEST_F(RotationTest, ATreeWhereNothingWorksIsTriedOncePerPositionAndGivesUp) {
    Pictures({"1.jpg", "2.jpg", "3.jpg"});
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg"}) broken.insert(folder / name);
    Settings.number = 2;
    EXPECT_EQ(Change(), "");
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(std::set<std::string>(tried.begin(), tried.end()).size(), 3u);
    EXPECT_EQ(saves, 0);

    // A missing or empty tree returns at once.
    attempts = 0;
    Settings.wallpaper_directory = folder / "missing";
    Settings.number = 0;
    EXPECT_EQ(Change(), "");
    EXPECT_LE(attempts, 2);

    // No folder chosen yet: nothing at all happens.
    attempts = 0;
    Settings.wallpaper_directory.clear();
    EXPECT_EQ(Change(), "");
    EXPECT_EQ(attempts, 0);
}

TEST_F(RotationTest, PicturesInAFolderNamedLikeAPictureAreShownThenTheFolderIsPassedOver) {
    ASSERT_TRUE(platform::CreateDir(folder / "x.jpg"));
    Pictures({"x.jpg\\1.jpg", "x.jpg\\2.jpg", "y.jpg"});
    // Positions 1, 2 inside the folder; 3 is the folder itself, which fails; 4 is y.jpg.
    for (const char* expected : {"x.jpg\\1.jpg", "x.jpg\\2.jpg", "y.jpg", "x.jpg\\1.jpg"}) EXPECT_EQ(Change(), expected);
    EXPECT_EQ(Settings.number, 2);
}

TEST_F(RotationTest, AMissingFolderChangesNothingAndTheRotationGoesOnWhenItIsBack) {
    Pictures({"1.jpg", "2.jpg", "3.jpg"});
    const std::string away = folder.Path() + "-away";
    Settings.number = 2;
    EXPECT_EQ(Change(), "2.jpg");
    ASSERT_TRUE(testing_support::RenamePath(folder.Path(), away));
    EXPECT_EQ(Change(), "");
    EXPECT_EQ(Change(true), "");  // nor does a step back
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(Settings.number, 3);
    ASSERT_TRUE(testing_support::RenamePath(away, folder.Path()));
    EXPECT_EQ(Change(), "3.jpg");
}
