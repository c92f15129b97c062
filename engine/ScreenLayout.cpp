#include "engine/ScreenLayout.h"

#include <algorithm>
#include <stdexcept>

#include "engine/Render.h"

ScreenLayout::ScreenLayout(std::vector<MonitorRect> monitors) {
    for (const MonitorRect& m : monitors)
        if (m.width > 0 && m.height > 0) monitors_.push_back(m);
    if (monitors_.empty()) return;
    auto primary = std::find_if(monitors_.begin(), monitors_.end(), [](const MonitorRect& m) { return m.primary; });
    if (primary == monitors_.end()) primary = monitors_.begin();
    std::rotate(monitors_.begin(), primary, primary + 1);
    std::stable_sort(monitors_.begin() + 1, monitors_.end(), [](const MonitorRect& a, const MonitorRect& b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
}

VirtualRect ScreenLayout::Bounds() const {
    if (monitors_.empty()) return {};
    int64_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (const MonitorRect& m : monitors_) {
        left = std::min<int64_t>(left, m.x);
        top = std::min<int64_t>(top, m.y);
        right = std::max<int64_t>(right, int64_t(m.x) + m.width);
        bottom = std::max<int64_t>(bottom, int64_t(m.y) + m.height);
    }
    if (right - left > INT32_MAX || bottom - top > INT32_MAX) throw BitmapSizeError("screen too large");
    return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
            static_cast<int32_t>(bottom - top)};
}

ScreenLayout CurrentScreenLayout() {
    std::vector<MonitorRect> monitors;
    for (const platform::MonitorArea& area : platform::DisplayMonitors())
        monitors.push_back({area.x, area.y, area.width, area.height, area.primary});
    return ScreenLayout(std::move(monitors));
}

Placement PlacePicture(int32_t width, int32_t height, int32_t monitorWidth, int32_t monitorHeight, ScreenFit fit) {
    if (width <= 0 || height <= 0 || monitorWidth <= 0 || monitorHeight <= 0)
        throw std::invalid_argument("empty picture or monitor");
    const int64_t w = width, h = height, mw = monitorWidth, mh = monitorHeight;
    // The width ratio is the smaller one when mw / w <= mh / h.
    const bool widthRules = (mw * h <= mh * w) == (fit == ScreenFit::Fit);
    Placement place;
    const int64_t scaledWidth = widthRules ? mw : RoundHalfEven(w * mh, h);
    const int64_t scaledHeight = widthRules ? RoundHalfEven(h * mw, w) : mh;
    if (scaledWidth > INT32_MAX || scaledHeight > INT32_MAX) throw BitmapSizeError("picture too large");
    place.width = static_cast<int32_t>(std::max<int64_t>(scaledWidth, 1));
    place.height = static_cast<int32_t>(std::max<int64_t>(scaledHeight, 1));
    place.x = static_cast<int32_t>(RoundHalfEven(mw - place.width, 2));
    place.y = static_cast<int32_t>(RoundHalfEven(mh - place.height, 2));
    return place;
}
