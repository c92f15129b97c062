// wpwalk FOLDER [--from N] [--changes K] [--render BMP] [--time] [--allformats]
//
// Prints, one a line, the picture that each of K successive wallpaper changes
// shows, starting at position N (1 and 1 when not given), with the program's
// own walk, kept listings and rotation: positions move on and wrap to 1 at the
// end of the catalogue exactly as they do in the program. Nothing is decoded and
// no wallpaper is set; a path that is no file (a folder named like a picture) is
// passed over as the program passes over a picture it cannot load. With
// --render each picture is also decoded, fitted and written to BMP as a change
// writes the wallpaper bitmap (no plugin, no registry), and one that fails is
// passed over. With --time the seconds the first change took, and the later
// ones on average, go to standard error as "first S later S". For checking
// which picture comes when, and for timing changes in a large or deep tree
// against a flat one. With --allformats the pictures are counted as with
// option "allformats" 1: PNG, WebP and ".jpeg" too, in any letter case.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "engine/Render.h"
#include "engine/Rotation.h"
#include "platform/Platform.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: wpwalk FOLDER [--from N] [--changes K] [--render BMP] [--time] [--allformats]\n"
                 "  FOLDER     the wallpaper folder\n"
                 "  --from     the position of the first change (default 1)\n"
                 "  --changes  how many changes to make (default 1)\n"
                 "  --render   write each picture shown to BMP as a change does\n"
                 "  --time     print the seconds of the first change and of the later ones on average\n"
                 "  --allformats  count PNG, WebP and .jpeg too, in any letter case (option allformats 1)\n");
    return 2;
}

bool ParseNumber(const char* text, long long low, long long high, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return *text && !*end && errno == 0 && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder, render;
    long long from = 1, changes = 1;
    bool timed = false;
    PictureRule rule = PictureRule::Described;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--from" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], INT32_MIN, INT32_MAX, from)) return Usage();
        } else if (argument == "--changes" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 0, INT64_MAX, changes)) return Usage();
        } else if (argument == "--render" && i + 1 < argc) {
            render = argv[++i];
        } else if (argument == "--time") {
            timed = true;
        } else if (argument == "--allformats") {
            rule = PictureRule::AllFormats;
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage();
        } else if (folder.empty()) {
            folder = argument;
        } else {
            return Usage();
        }
    }
    if (folder.empty()) return Usage();
    int32_t number = static_cast<int32_t>(from);  // the rotation's position, as config.ini keeps it
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point afterFirst = start;
    for (long long change = 0; change < changes; ++change) {
        if (change == 1) afterFirst = Clock::now();
        const bool shown = RotateWallpaper(
            folder, number,
            [&render](const std::string& path) {
                if (!platform::FileExists(path)) return false;
                if (!render.empty()) {
                    try {
                        RenderWallpaper(path, RenderOptions{}, render);
                    } catch (const std::exception&) {
                        return false;
                    }
                }
                std::fputs(path.c_str(), stdout);
                std::fputc('\n', stdout);
                return true;
            },
            [] {}, rule);
        if (!shown) {
            std::fprintf(stderr, "wpwalk: no picture to show in %s\n", folder.c_str());
            return 1;
        }
    }
    if (timed) {
        const Clock::time_point end = Clock::now();
        if (changes == 1) afterFirst = end;
        const std::chrono::duration<double> first = afterFirst - start, later = end - afterFirst;
        std::fprintf(stderr, "first %.4f later %.4f\n", first.count(),
                     changes > 1 ? later.count() / static_cast<double>(changes - 1) : 0.0);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
