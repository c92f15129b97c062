// Timed changes: every n minutes, every n hours, or once a day.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

enum WallpaperTimerUnit : int32_t { UnitMinutes = 0, UnitHours = 1, UnitDay = 2 };

// The timer interval for a unit and count: n × 60000 ms, n × 3600000 ms, or a
// check every 60000 ms in the day mode; nothing for any other unit (the timer
// keeps its interval). Products beyond the unsigned 32-bit range, or below
// zero, become the longest interval there is instead of wrapping round to a
// short one; 0 stays 0 (a timer that never fires).
std::optional<uint32_t> WallpaperTimerInterval(int32_t unit, int32_t count);

// Today's day of the month as the day mode sees it. Tests may set their own clock.
extern std::function<int()> WallpaperTimerToday;

// One tick of the wallpaper timer, by the timer's `unit`: a change for minutes
// and hours; in the day mode a change when the day of the month differs from
// `day` (the day of the last change, kept in the settings), after which `day`
// is marked done and `save` runs (whether or not the change succeeded).
void WallpaperTimerTick(int32_t unit, int32_t& day, const std::function<void()>& change,
                        const std::function<void()>& save);
