// The timer rules: the period from the unit, and the once-a-day change.
#include <gtest/gtest.h>

#include <limits>

#include "core/Settings.h"
#include "engine/Scheduler.h"
#include "platform/Platform.h"

TEST(WallpaperTimer, IntervalsFollowTheUnitAndNeverWrapToShortOnes) {
    EXPECT_EQ(WallpaperTimerInterval(UnitMinutes, 1), 60000u);
    EXPECT_EQ(WallpaperTimerInterval(UnitHours, 2), 7200000u);
    EXPECT_EQ(WallpaperTimerInterval(UnitHours, 960), 3456000000u);
    EXPECT_EQ(WallpaperTimerInterval(UnitDay, 5), 60000u);
    EXPECT_EQ(WallpaperTimerInterval(UnitMinutes, 0), 0u);
    EXPECT_EQ(WallpaperTimerInterval(-1, 5), std::nullopt);
    EXPECT_EQ(WallpaperTimerInterval(3, 5), std::nullopt);
    // 1200 hours would wrap to about 7 hours in 32 bits; -1 minutes to a negative period.
    EXPECT_EQ(WallpaperTimerInterval(UnitHours, 1200), 0xFFFFFFFFu);
    EXPECT_EQ(WallpaperTimerInterval(UnitMinutes, -1), 0xFFFFFFFFu);
    EXPECT_EQ(WallpaperTimerInterval(UnitHours, std::numeric_limits<int32_t>::min()), 0xFFFFFFFFu);
}

TEST(WallpaperTimer, TheDayModeChangesOncePerDayOfTheMonth) {
    Settings = TSettings{};
    int today = 5, changes = 0, saves = 0;
    WallpaperTimerToday = [&] { return today; };
    auto tick = [&] { WallpaperTimerTick(Settings.WpTimerUnit, Settings.WpTimerDay, [&] { ++changes; }, [&] { ++saves; }); };

    Settings.WpTimerUnit = UnitDay;
    Settings.WpTimerDay = 0;  // never set: the first tick changes
    tick();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Settings.WpTimerDay, 5);
    EXPECT_EQ(saves, 1);
    tick();
    EXPECT_EQ(changes, 1);
    today = 6;  // after midnight
    tick();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Settings.WpTimerDay, 6);
    // A month later on the same day of the month: no change.
    Settings.WpTimerDay = 6;
    tick();
    EXPECT_EQ(changes, 2);

    Settings.WpTimerUnit = UnitMinutes;
    tick();
    Settings.WpTimerUnit = UnitHours;
    tick();
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(saves, 2);  // minutes and hours leave saving to the change
    Settings.WpTimerUnit = -1;
    tick();
    EXPECT_EQ(changes, 4);
    WallpaperTimerToday = [] { return platform::TodayDayOfMonth(); };
}
