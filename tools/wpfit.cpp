// wpfit PICTURE OUT.bmp [--color RRGGBB] [--display-bits N]
// wpfit PICTURE... OUT.bmp --monitors WxH+X+Y[,WxH+X+Y...] [--fill] [--color RRGGBB]
//
// Fits one picture to the wallpaper frame and writes the bitmap, with the same
// decoding, fitting and BMP writing as the program's wallpaper changes, but no
// plugin and no registry. With --monitors, it writes the bitmap of a picture
// on every monitor instead, as the program does when "fitscreen" is 1 (or 2,
// with --fill). For comparing with other image tools, and for plugin authors
// who want the bitmap their plugin will be given.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "engine/Compose.h"
#include "engine/Render.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: wpfit PICTURE OUT.bmp [--color RRGGBB] [--display-bits N]\n"
                 "       wpfit PICTURE... OUT.bmp --monitors WxH+X+Y[,WxH+X+Y...] [--fill] [--color RRGGBB]\n"
                 "  PICTURE        a .bmp, .jpg, .jpeg, .png or .webp file, in any letter case\n"
                 "  --color        background of the bars, as hexadecimal red-green-blue (default FF0000)\n"
                 "  --display-bits 8 or fewer quantises JPEG pictures to 236 colours (default 24)\n"
                 "  --monitors     the monitors in virtual-screen coordinates (X and Y may be negative),\n"
                 "                 the first the primary; monitor i shows picture i, or all the one picture,\n"
                 "                 whole with bars of the background colour\n"
                 "  --fill         each monitor covered by its picture, cut equally on the sides that overflow\n");
    return 2;
}

// One offset of an X geometry: "+N", "-N" or "+-N".
bool ParseOffset(const char*& at, int32_t& value) {
    if (*at != '+' && *at != '-') return false;
    bool negative = *at++ == '-';
    if (*at == '-' && !negative) negative = *at++ == '-';
    if (*at < '0' || *at > '9') return false;
    char* end = nullptr;
    const long number = std::strtol(at, &end, 10);
    if (number > 1000000) return false;
    value = static_cast<int32_t>(negative ? -number : number);
    at = end;
    return true;
}

// "WxH+X+Y[,WxH+X+Y...]"; the first monitor is the primary.
bool ParseMonitors(const std::string& text, std::vector<MonitorRect>& monitors) {
    const char* at = text.c_str();
    for (;;) {
        MonitorRect m;
        char* end = nullptr;
        const long w = std::strtol(at, &end, 10);
        if (end == at || *end != 'x' || w < 1 || w > 1000000) return false;
        at = end + 1;
        const long h = std::strtol(at, &end, 10);
        if (end == at || h < 1 || h > 1000000) return false;
        at = end;
        m.width = static_cast<int32_t>(w);
        m.height = static_cast<int32_t>(h);
        if (!ParseOffset(at, m.x) || !ParseOffset(at, m.y)) return false;
        m.primary = monitors.empty();
        monitors.push_back(m);
        if (*at == 0) return true;
        if (*at++ != ',') return false;
    }
}

bool ParseColor(const std::string& text, uint32_t& color) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long rgb = std::strtoul(text.c_str(), nullptr, 16);
    color = static_cast<uint32_t>((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);  // 0x00BBGGRR
    return true;
}

// A picture on every monitor. The layout takes the primary first and the
// others by position; each monitor still shows the picture given in its place.
int Compose(const std::vector<std::string>& pictures, const std::vector<MonitorRect>& monitors, bool fill,
            uint32_t background, const std::string& output) {
    const ScreenLayout layout(monitors);
    std::vector<size_t> given;
    for (const MonitorRect& m : layout.Monitors())
        for (size_t i = 0; i < monitors.size(); ++i)
            if (monitors[i] == m) {
                given.push_back(i);
                break;
            }
    size_t next = 0;
    std::string failed;
    try {
        ComposeWallpaper(
            layout, {background, fill ? ScreenFit::Fill : ScreenFit::Fit, false},
            [&](bool retry) -> std::optional<std::string> {
                if (retry || next >= given.size()) return std::nullopt;
                failed = pictures[pictures.size() == 1 ? 0 : given[next++]];
                return failed;
            },
            output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wpfit: %s: %s\n", failed.c_str(), error.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string picture, output;
    std::vector<std::string> pictures;
    std::vector<MonitorRect> monitors;
    bool fill = false;
    RenderOptions options;
    options.background = 0x000000FF;  // the program's own default: red
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--monitors" && i + 1 < argc) {
            if (!monitors.empty() || !ParseMonitors(argv[++i], monitors)) return Usage();
        } else if (argument == "--fill") {
            fill = true;
        } else if (argument == "--color" && i + 1 < argc) {
            if (!ParseColor(argv[++i], options.background)) return Usage();
        } else if (argument == "--display-bits" && i + 1 < argc) {
            char* end = nullptr;
            const long bits = std::strtol(argv[++i], &end, 10);
            if (*end || bits < 1 || bits > 32) return Usage();
            options.displayBits = static_cast<int>(bits);
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage();
        } else {
            pictures.push_back(argument);
        }
    }
    if (!monitors.empty()) {
        if (pictures.size() < 2) return Usage();
        output = pictures.back();
        pictures.pop_back();
        if (pictures.size() != 1 && pictures.size() != monitors.size()) return Usage();
        return Compose(pictures, monitors, fill, options.background, output);
    }
    if (fill || pictures.size() != 2) return Usage();
    picture = pictures[0];
    output = pictures[1];
    try {
        RenderWallpaper(picture, options, output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wpfit: %s: %s\n", picture.c_str(), error.what());
        return 1;
    }
    return 0;
}
