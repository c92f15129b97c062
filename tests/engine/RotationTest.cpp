// The rotation, with a wallpaper call that records what it was asked to apply.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include "TestSupport.h"
#include "core/Settings.h"
#include "engine/CatalogueWalk.h"
#include "engine/Rotation.h"
#include "engine/Shuffle.h"

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
            [&] { ++saves; }, rule);
        EXPECT_EQ(ok, !applied.empty());
        return applied.empty() ? "" : applied.substr(folder.Path().size() + 1);
    }

    TempFolder folder;
    PictureRule rule = PictureRule::Described;
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

// Option "allformats" counts PNG, WebP and any letter case from the next
// change on, the process's kept listings included; off, the described rule again.
TEST_F(RotationTest, AllFormatsCountsFromTheNextChange) {
    Pictures({"1.jpg", "2.png", "3.Jpg", "4.webp"});
    EXPECT_EQ(Change(), "1.jpg");
    EXPECT_EQ(Change(), "1.jpg");
    rule = PictureRule::AllFormats;
    for (const char* expected : {"1.jpg", "2.png", "3.Jpg", "4.webp", "1.jpg"}) EXPECT_EQ(Change(), expected);
    rule = PictureRule::Described;
    Settings.number = 3;
    EXPECT_EQ(Change(), "1.jpg");
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

namespace {

// Random order: the same tree and wallpaper call, the round's seed and the
// picture on the desktop kept as the program keeps them. New seeds come from
// a counter, so the rounds are known; `round` is what one run remembers.
class ShuffledRotationTest : public RotationTest {
protected:
    std::string Shuffled(bool back = false) {
        applied.clear();
        const bool ok = RotateWallpaperShuffled(
            Settings.wallpaper_directory, Settings.number, Settings.shuffleseed, Settings.current, back, round,
            [&](const std::string& path) {
                ++attempts;
                tried.push_back(path);
                if (broken.count(path) || !platform::FileExists(path)) return false;
                applied = path;
                Settings.current = path;
                return true;
            },
            [&] { ++saves; }, [&](int32_t previous) { return NewShuffleSeed(++seeds, previous); });
        EXPECT_EQ(ok, !applied.empty());
        return applied.empty() ? "" : applied.substr(folder.Path().size() + 1);
    }
    std::vector<std::string> Round(int n) {
        std::vector<std::string> shown;
        for (int i = 0; i < n; ++i) shown.push_back(Shuffled());
        return shown;
    }
    // A change with a picture on each of `monitors` monitors, the supply used
    // as the composition uses it; the pictures drawn become `showing` and the
    // first of them "current". Returns the names drawn, none when it failed.
    std::vector<std::string> Screens(int32_t monitors, bool back, WallpaperResult::Kind end = WallpaperResult::Applied) {
        std::vector<std::string> drawn;
        const bool ok = RotateScreensShuffled(
            Settings.wallpaper_directory, Settings.number, Settings.shuffleseed, Settings.current, showing, monitors,
            back, round,
            [&](const PictureSupply& next) -> WallpaperResult {
                for (int32_t m = 0; m < monitors; ++m)
                    for (bool retry = false;; retry = true) {
                        const std::optional<std::string> path = next(retry);
                        if (!path) return WallpaperResult::PictureFailed;
                        ++attempts;
                        if (broken.count(*path) || !platform::FileExists(*path)) continue;
                        drawn.push_back(*path);
                        break;
                    }
                if (end != WallpaperResult::Applied) return end;
                showing = drawn;
                Settings.current = drawn.front();
                return end;
            },
            [&] { ++saves; }, [&](int32_t previous) { return NewShuffleSeed(++seeds, previous); });
        EXPECT_EQ(ok, end == WallpaperResult::Applied && drawn.size() == size_t(monitors));
        if (!ok) return {};
        for (std::string& name : drawn) name = name.substr(folder.Path().size() + 1);
        return drawn;
    }
    void Restart() {
        round = ShuffleRound{};
        showing.clear();
    }

    ShuffleRound round;
    std::vector<std::string> showing;  // what the program remembers of the monitors within a run
    uint64_t seeds = 0;
};

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<std::string> kSix = {"a\\1.jpg", "a\\2.jpg", "b.jpg", "c\\d\\3.jpg", "c\\4.jpg", "e.jpg"};

void MakeSix(const TempFolder& folder) {
    for (const char* sub : {"a", "c", "c\\d"}) platform::CreateDir(folder / sub);
    for (const std::string& name : kSix) WriteTextFile(folder / name, "picture");
}

}  // namespace

// Each round shows every picture once, the next round in another order; the
// position counts through the round and the seed changes only between rounds.
// A seed or position out of range (a hand-edited config.ini, a first change
// with shuffle just turned on) starts a new round at its first position.
TEST_F(ShuffledRotationTest, EachRoundShowsEveryPictureOnceAndTheNextAnotherOrder) {
    MakeSix(folder);
    Settings.number = 57;  // left by the ordered rotation; seed 0: no round yet
    const std::vector<std::string> first = Round(6);
    EXPECT_EQ(Sorted(first), Sorted(kSix));
    EXPECT_EQ(Settings.number, 1);
    const int32_t secondSeed = Settings.shuffleseed;
    EXPECT_TRUE(IsShuffleSeed(secondSeed));
    const std::vector<std::string> second = Round(3);
    EXPECT_EQ(Settings.number, 4);
    EXPECT_EQ(Settings.shuffleseed, secondSeed);
    const std::vector<std::string> rest = Round(3);
    std::vector<std::string> all = second;
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_EQ(Sorted(all), Sorted(kSix));
    EXPECT_NE(all, first);
    EXPECT_EQ(saves, 12);
    EXPECT_EQ(attempts, 12);

    for (const int32_t badSeed : {0, -5, 0x7FFFFFFF}) {
        Settings.shuffleseed = badSeed;
        Settings.number = 3;
        Shuffled();
        EXPECT_EQ(Settings.number, 2) << badSeed;
        EXPECT_TRUE(IsShuffleSeed(Settings.shuffleseed));
    }
    for (const int32_t badNumber : {0, -1, 7, std::numeric_limits<int32_t>::max()}) {
        const int32_t seed = Settings.shuffleseed;
        Settings.number = badNumber;
        Shuffled();
        EXPECT_EQ(Settings.number, 2) << badNumber;
        EXPECT_NE(Settings.shuffleseed, seed);
    }
}

// "Предыдущая" goes back through the positions shown, within the run and
// after a restart (the seed, the position and the picture on the desktop are
// all a restart keeps); at the first position of a round it applies the
// picture showing again. A broken picture is passed over both ways.
TEST_F(ShuffledRotationTest, PreviousRetracesTheOrderShownAlsoAfterARestart) {
    MakeSix(folder);
    const std::vector<std::string> shown = Round(5);
    EXPECT_EQ(Shuffled(true), shown[3]);
    EXPECT_EQ(Settings.number, 5);
    Restart();
    EXPECT_EQ(Shuffled(true), shown[2]);
    EXPECT_EQ(Shuffled(true), shown[1]);
    Restart();
    EXPECT_EQ(Shuffled(), shown[2]);  // and forward again, the same round
    broken.insert(folder / shown[1]);
    EXPECT_EQ(Shuffled(true), shown[0]);
    EXPECT_EQ(Settings.number, 2);
    EXPECT_EQ(Shuffled(true), shown[0]);  // position 1: the picture showing again
    EXPECT_EQ(Settings.number, 2);
    EXPECT_EQ(Shuffled(), shown[2]);  // the broken one passed over forward too
    EXPECT_EQ(Settings.number, 4);

    // Right after a round ended: the last picture of the old round again.
    Round(3);
    ASSERT_EQ(Settings.number, 1);
    const std::string last = Settings.current;
    EXPECT_EQ(folder.Path() + "\\" + Shuffled(true), last);
    EXPECT_EQ(Settings.number, 1);
}

// A picture added or removed in the middle of a round starts a new one with a
// new seed, within a run and after a restart (the picture before the position
// is no longer the one on the desktop). With nothing that can be applied the
// change gives up with the round as it was; a failing output changes nothing.
TEST_F(ShuffledRotationTest, APictureAddedMidRoundStartsANewRound) {
    MakeSix(folder);
    Round(3);
    int32_t seed = Settings.shuffleseed;
    WriteTextFile(folder / "c\\new.jpg", "picture");
    std::vector<std::string> shown = Round(7);
    EXPECT_NE(Settings.shuffleseed, seed);
    EXPECT_EQ(Settings.number, 1);
    std::vector<std::string> seven = kSix;
    seven.push_back("c\\new.jpg");
    EXPECT_EQ(Sorted(shown), Sorted(seven));

    // After a restart: the picture on the desktop is gone.
    Round(2);
    seed = Settings.shuffleseed;
    Restart();
    ASSERT_TRUE(platform::RemoveFile(Settings.current));
    const std::string gone = Settings.current.substr(folder.Path().size() + 1);
    seven.erase(std::find(seven.begin(), seven.end(), gone));
    shown = Round(6);
    EXPECT_NE(Settings.shuffleseed, seed);
    EXPECT_EQ(Sorted(shown), Sorted(seven));

    Round(2);
    for (const std::string& name : seven) broken.insert(folder / name);
    const int32_t number = Settings.number;
    seed = Settings.shuffleseed;
    attempts = saves = 0;
    EXPECT_EQ(Shuffled(), "");
    EXPECT_EQ(attempts, 6);
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(Settings.number, number);
    EXPECT_EQ(Settings.shuffleseed, seed);

    // An empty tree is the ordered rotation's business; no folder, nothing.
    Settings.wallpaper_directory = folder / "a\\none";
    platform::CreateDir(Settings.wallpaper_directory);
    EXPECT_EQ(Shuffled(), "");
    Settings.wallpaper_directory = folder / "missing";
    EXPECT_EQ(Shuffled(), "");
    EXPECT_EQ(Settings.shuffleseed, seed);
}

TEST_F(ShuffledRotationTest, AFailingOutputEndsTheChangeWithTheRoundAsItWas) {
    MakeSix(folder);
    Round(6);  // the next change starts a round
    const int32_t number = Settings.number, seed = Settings.shuffleseed;
    int calls = 0;
    EXPECT_FALSE(RotateWallpaperShuffled(
        Settings.wallpaper_directory, Settings.number, Settings.shuffleseed, Settings.current, false, round,
        [&](const std::string&) { return ++calls, WallpaperResult(WallpaperResult::OutputFailed); },
        [&] { ++saves; }, [&](int32_t previous) { return NewShuffleSeed(++seeds, previous); }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Settings.number, number);
    EXPECT_EQ(Settings.shuffleseed, seed);
}

// A picture on each monitor: the supply called as ComposeWallpaper calls it,
// once per monitor and again for a monitor whose picture failed.
TEST_F(RotationTest, ScreensTakeOnePositionPerMonitorAndStepBackAsMany) {
    Pictures({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"});
    const auto change = [&](int32_t monitors, bool back, WallpaperResult::Kind end = WallpaperResult::Applied) {
        std::string shown;
        const bool ok = RotateScreens(
            Settings.wallpaper_directory, Settings.number, monitors, back,
            [&](const PictureSupply& next) -> WallpaperResult {
                for (int32_t m = 0; m < monitors; ++m) {
                    bool retry = false;
                    for (;;) {
                        const std::optional<std::string> path = next(retry);
                        if (!path) return WallpaperResult::PictureFailed;
                        if (!broken.count(*path)) {
                            shown += path->substr(folder.Path().size() + 1, 1);
                            break;
                        }
                        retry = true;
                    }
                }
                return end;
            },
            [&] { ++saves; });
        EXPECT_EQ(ok, end == WallpaperResult::Applied);
        return shown;
    };
    const struct Step {
        int32_t monitors;
        bool back;
        const char* shown;
        int32_t number;  // after the change
    } steps[] = {
        {2, false, "12", 3}, {2, false, "34", 5}, {2, false, "51", 2},  // wraps within a change
        {2, true, "12", 3},                                             // back: never below position 1
        {3, false, "345", 1}, {3, false, "123", 4}, {3, true, "123", 4},
        {1, false, "4", 5},  {1, true, "3", 4},   {2, true, "12", 3},
    };
    int expectedSaves = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.back ? "back " : "next ") + std::to_string(s.monitors) + " from " +
                     std::to_string(Settings.number));
        EXPECT_EQ(change(s.monitors, s.back), s.shown);
        EXPECT_EQ(Settings.number, s.number);
        EXPECT_EQ(saves, ++expectedSaves);
    }
    // A broken picture is passed over; more monitors than pictures show some twice.
    broken.insert(folder / "4.jpg");
    EXPECT_EQ(change(2, false), "35");
    EXPECT_EQ(Settings.number, 1);
    // Every picture broken: the supply runs dry after one pass, nothing moves or is saved.
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg", "5.jpg"}) broken.insert(folder / name);
    const int before = saves;
    Settings.number = 3;
    change(2, false, WallpaperResult::PictureFailed);
    EXPECT_EQ(Settings.number, 3);
    broken.clear();
    // An output that fails keeps the position; an empty folder changes nothing.
    change(2, false, WallpaperResult::OutputFailed);
    EXPECT_EQ(Settings.number, 3);
    EXPECT_EQ(saves, before);
    int32_t number = 4;
    EXPECT_FALSE(RotateScreens("", number, 2, false, [](const PictureSupply&) { return WallpaperResult::Applied; }, [] {}));
    EXPECT_EQ(number, 4);
}

// Random order on two monitors: each change draws the next two pictures of the
// round, primary first, and every picture comes once a round. The table's
// `shown` are indices into the sequence drawn so far; a new index appends the
// picture drawn. `restart` forgets what the run knew (the round, the pictures
// showing) as a new run does; the picture on the desktop stays "current".
TEST_F(ShuffledRotationTest, ScreensTakeTheRoundTwoByTwoAndStepBackWithinIt) {
    MakeSix(folder);
    std::vector<std::string> seq;
    const struct Step {
        bool restart, back;
        std::vector<size_t> shown;
        int32_t number;  // after the change
        WallpaperResult::Kind end = WallpaperResult::Applied;
    } steps[] = {
        {false, false, {0, 1}, 3}, {false, false, {2, 3}, 5},
        {true, true, {0, 1}, 3},   // back across a restart: seq[2], two before 5, is "current"
        {true, true, {0, 1}, 3},   // at the round's start, the monitors unknown: the round starts again
        {false, true, {0, 1}, 3},  // within the run: the pictures showing, again
        {false, false, {2, 3}, 5}, {false, false, {4, 5}, 1},
        {false, true, {4, 5}, 1},  // a new round just begun: never back into the old one
        {true, false, {6, 7}, 3},  {false, false, {8, 9}, 5},
        {false, false, {}, 5, WallpaperResult::OutputFailed},  // the round's end reached, then undone
        {true, false, {10, 11}, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.back ? "back" : "next") + " from " + std::to_string(Settings.number));
        if (s.restart) Restart();
        const int32_t seed = Settings.shuffleseed;
        const int savesBefore = saves;
        const std::vector<std::string> drawn = Screens(2, s.back, s.end);
        ASSERT_EQ(drawn.size(), s.shown.size());
        for (size_t i = 0; i < drawn.size(); ++i) {
            if (s.shown[i] == seq.size()) seq.push_back(drawn[i]);
            ASSERT_LT(s.shown[i], seq.size());
            EXPECT_EQ(drawn[i], seq[s.shown[i]]);
        }
        EXPECT_EQ(Settings.number, s.number);
        EXPECT_EQ(saves, savesBefore + (drawn.empty() ? 0 : 1));
        // The seed changes where a round ends, and at the very first change.
        EXPECT_EQ(Settings.shuffleseed != seed, (s.number == 1 && !s.back) || seq.size() == 2) << seed;
    }
    ASSERT_EQ(seq.size(), 12u);
    const std::vector<std::string> first(seq.begin(), seq.begin() + 6), second(seq.begin() + 6, seq.end());
    EXPECT_EQ(Sorted(first), Sorted(kSix));
    EXPECT_EQ(Sorted(second), Sorted(kSix));
    EXPECT_NE(first, second);

    // A third round, learnt, then drawn again from the same state with its
    // second picture broken: passed over, the last change running on into
    // the next round; "Предыдущая" then draws the same two again.
    const int32_t seedThird = Settings.shuffleseed;
    const uint64_t seedsThird = seeds;
    std::vector<std::string> learnt;
    for (int i = 0; i < 3; ++i)
        for (const std::string& name : Screens(2, false)) learnt.push_back(name);
    ASSERT_EQ(Sorted(learnt), Sorted(kSix));
    Settings.number = 1;
    Settings.shuffleseed = seedThird;
    seeds = seedsThird;
    broken.insert(folder / learnt[1]);
    attempts = 0;
    EXPECT_EQ(Screens(2, false), (std::vector<std::string>{learnt[0], learnt[2]}));
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(Screens(2, false), (std::vector<std::string>{learnt[3], learnt[4]}));
    const std::vector<std::string> across = Screens(2, false);
    ASSERT_EQ(across.size(), 2u);
    EXPECT_EQ(across[0], learnt[5]);
    EXPECT_NE(across[1], learnt[1]);
    const int32_t number = Settings.number, seed = Settings.shuffleseed;
    EXPECT_NE(seed, seedThird);
    EXPECT_TRUE(number == 2 || number == 3) << number;
    EXPECT_EQ(Screens(2, true), across);
    EXPECT_EQ(Settings.number, number);

    // Every picture broken: each tried once, then nothing drawn, the round as it was.
    for (const std::string& name : kSix) broken.insert(folder / name);
    Restart();
    attempts = 0;
    const int savesBefore = saves;
    EXPECT_TRUE(Screens(2, false).empty());
    EXPECT_EQ(attempts, 6);
    EXPECT_EQ(Settings.number, number);
    EXPECT_EQ(Settings.shuffleseed, seed);
    EXPECT_EQ(saves, savesBefore);

    // After a restart, a primary monitor's picture two before the position
    // other than "current" (a tree changed meanwhile) starts a new round.
    broken.clear();
    Restart();
    Settings.number = 4;
    Settings.current = folder / "gone.jpg";
    EXPECT_EQ(Screens(2, false).size(), 2u);
    EXPECT_EQ(Settings.number, 3);
    EXPECT_NE(Settings.shuffleseed, seed);
}
