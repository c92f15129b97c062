// One input of a picture-file fuzz target, entered as the program enters a
// picture file: written to a scratch file named with the kind's extension, it
// is changed to as a change does (RenderWallpaper: the header held to the
// bounds, the canvas to its own, the rows streamed into the bitmap), and the
// written file must be byte for byte the canvas made whole in memory
// (WholeCanvasBmp) or, when either refuses the picture, the old wallpaper file
// left as it was; then it is loaded as the preview loads it, into a box its
// last two bytes give, and must fit that box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "engine/Render.h"
#include "engine/Thumbnail.h"
#include "fuzz/ClaimedSize.h"
#include "fuzz/Scratch.h"
#include "platform/Platform.h"
#include "tests/engine/WholeCanvas.h"

// For fuzzing only: pictures the program would take whose fitted canvas has
// more pixels are passed over, as in the change's target; pictures past the
// program's own bounds are not passed over.
inline constexpr uint64_t kMaxFuzzPictureCanvasPixels = uint64_t(1) << 16;

// Changes to `file` as a change does (RenderWallpaper into `wallpaper`): the
// written file must be byte for byte the canvas made whole in memory
// (WholeCanvasBmp) or, when either refuses the picture, the old file left.
// Returns whether the change wrote it.
inline bool ChangeMatchesWholeCanvas(const std::string& file, const std::string& wallpaper,
                                     const RenderOptions& options) {
    static const std::vector<uint8_t> previous = {'o', 'l', 'd'};
    WriteScratchFile(wallpaper, previous.data(), previous.size());
    bool written = true, whole = true;
    std::vector<uint8_t> expected;
    try {
        RenderWallpaper(file, options, wallpaper);
    } catch (const std::exception&) {
        written = false;
    }
    try {
        expected = testing_support::WholeCanvasBmp(file, options);
    } catch (const std::exception&) {
        whole = false;
    }
    const std::vector<uint8_t> result = platform::ReadFileBytes(wallpaper, kMaxWallpaperBytes + 4096);
    if (written != whole || result != (written ? expected : previous) || platform::FileExists(wallpaper + ".tmp"))
        __builtin_trap();
    return written;
}

inline void FuzzPictureFile(PictureKind kind, const char* name, const uint8_t* data, size_t size) {
    if (size < 2) return;
    if (const std::optional<PictureHeader> claimed = ClaimedPictureSize(kind, data, size)) {
        try {
            const Fit fit = ComputeFit(claimed->width, claimed->height);
            if (uint64_t(fit.canvasWidth) * uint64_t(fit.canvasHeight) > kMaxFuzzPictureCanvasPixels) return;
        } catch (const std::exception&) {
        }
    }
    static const std::string file = ScratchPath(name, std::string(".") + name);
    static const std::string wallpaper = ScratchPath(name, "-wallpaper.bmp");
    WriteScratchFile(file, data, size);
    RenderOptions options;
    options.background = 0x00336699;
    const bool written = ChangeMatchesWholeCanvas(file, wallpaper, options);
    const int32_t boxWidth = 1 + data[size - 2] % 256, boxHeight = 1 + data[size - 1] % 256;
    try {
        const Bitmap shown = LoadPreviewPicture(file, boxWidth, boxHeight);
        if (shown.width < 1 || shown.height < 1 || shown.width > boxWidth || shown.height > boxHeight) __builtin_trap();
    } catch (const std::exception&) {
        if (written) __builtin_trap();  // what a change shows, the preview shows
    }
}
