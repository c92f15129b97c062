// wpfit PICTURE OUT.bmp [--color RRGGBB] [--display-bits N]
//
// Fits one picture to the wallpaper frame and writes the bitmap, with the same
// decoding, fitting and BMP writing as the program's wallpaper changes, but no
// plugin and no registry. For comparing with other image tools, and for plugin
// authors who want the bitmap their plugin will be given.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "engine/Render.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: wpfit PICTURE OUT.bmp [--color RRGGBB] [--display-bits N]\n"
                 "  PICTURE        a .bmp, .jpg, .jpeg, .png or .webp file, in any letter case\n"
                 "  --color        background of the bars, as hexadecimal red-green-blue (default FF0000)\n"
                 "  --display-bits 8 or fewer quantises JPEG pictures to 236 colours (default 24)\n");
    return 2;
}

bool ParseColor(const std::string& text, uint32_t& color) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long rgb = std::strtoul(text.c_str(), nullptr, 16);
    color = static_cast<uint32_t>((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);  // 0x00BBGGRR
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string picture, output;
    RenderOptions options;
    options.background = 0x000000FF;  // the program's own default: red
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--color" && i + 1 < argc) {
            if (!ParseColor(argv[++i], options.background)) return Usage();
        } else if (argument == "--display-bits" && i + 1 < argc) {
            char* end = nullptr;
            const long bits = std::strtol(argv[++i], &end, 10);
            if (*end || bits < 1 || bits > 32) return Usage();
            options.displayBits = static_cast<int>(bits);
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage();
        } else if (picture.empty()) {
            picture = argument;
        } else if (output.empty()) {
            output = argument;
        } else {
            return Usage();
        }
    }
    if (picture.empty() || output.empty()) return Usage();
    try {
        RenderWallpaper(picture, options, output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wpfit: %s: %s\n", picture.c_str(), error.what());
        return 1;
    }
    return 0;
}
