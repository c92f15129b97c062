#include "engine/Scheduler.h"

#include <limits>

#include "platform/Platform.h"

std::function<int()> WallpaperTimerToday = [] { return platform::TodayDayOfMonth(); };

std::optional<uint32_t> WallpaperTimerInterval(int32_t unit, int32_t count) {
    int64_t product;
    switch (unit) {
    case UnitMinutes:
        product = int64_t{count} * 60000;
        break;
    case UnitHours:
        product = int64_t{count} * 3600000;
        break;
    case UnitDay:
        return 60000u;
    default:
        return std::nullopt;
    }
    if (product < 0 || product > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(product);
}

void WallpaperTimerTick(int32_t unit, int32_t& day, const std::function<void()>& change,
                        const std::function<void()>& save) {
    switch (unit) {
    case UnitMinutes:
    case UnitHours:
        change();
        break;
    case UnitDay:
        if (WallpaperTimerToday() != day) {
            change();
            day = WallpaperTimerToday();
            save();
        }
        break;
    default:
        break;
    }
}
