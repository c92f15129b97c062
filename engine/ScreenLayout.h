// The monitors a wallpaper covers, and where a picture stands on each when it
// is shown whole (fit) or covers the monitor (fill).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Platform.h"

// A monitor's rectangle in virtual-screen coordinates (physical pixels; the
// primary monitor's top-left corner is 0, 0; others may lie at negative x or y).
struct MonitorRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool primary = false;
    friend bool operator==(const MonitorRect&, const MonitorRect&) = default;
};

struct VirtualRect {
    int32_t left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const VirtualRect&, const VirtualRect&) = default;
};

// The monitors in the order they take pictures: the primary first, then the
// others left to right, and top to bottom where they stand at the same x.
class ScreenLayout {
public:
    ScreenLayout() = default;
    // Monitors of no area are dropped; the first primary one leads (none
    // marked: the first given).
    explicit ScreenLayout(std::vector<MonitorRect> monitors);
    const std::vector<MonitorRect>& Monitors() const { return monitors_; }
    bool Empty() const { return monitors_.empty(); }
    // The bounding rectangle of all monitors.
    VirtualRect Bounds() const;

private:
    std::vector<MonitorRect> monitors_;
};

// The layout the system reports now (platform::DisplayMonitors).
ScreenLayout CurrentScreenLayout();

// How each monitor shows its picture: whole, with bars of the background
// (Fit), or covering it, cut equally on the sides that overflow (Fill).
enum class ScreenFit { Fit = 1, Fill = 2 };

// Where a picture of width × height stands on a monitor of monitorWidth ×
// monitorHeight: scaled by s = min (Fit) or max (Fill) of the two ratios to
// round(width · s) × round(height · s), its top-left corner at x, y from the
// monitor's (negative where Fill cuts it), centred: offset = (monitor − scaled)
// ÷ 2, rounded to the nearest integer with exact halves to the even one.
// Smaller pictures are enlarged. Every size must be positive.
struct Placement {
    int32_t width = 0, height = 0;
    int32_t x = 0, y = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};
Placement PlacePicture(int32_t width, int32_t height, int32_t monitorWidth, int32_t monitorHeight, ScreenFit fit);
