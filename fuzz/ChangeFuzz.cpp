// libFuzzer target: a picture file through the path a change takes, for BMP
// and JPEG files alike. The input is written to a scratch file, named .bmp
// when it starts with "BM" and .jpg otherwise, and changed to as the change
// does it: RenderWallpaper reads the file, holds the size to the picture
// bounds (kPictureLimits) and the fitted canvas to the wallpaper's bound, and
// writes the bitmap row by row as the picture is decoded. The written file
// must be byte for byte the canvas made whole in memory (WholeCanvasBmp), and
// when one of the two refuses the picture so must the other, the old
// wallpaper file then left as it was.
#include <cstdio>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "image/BmpCodec.h"
#include "engine/Render.h"
#include "fuzz/ClaimedSize.h"
#include "fuzz/PictureFileFuzz.h"
#include "fuzz/Scratch.h"
#include "tests/engine/WholeCanvas.h"
#include "platform/Platform.h"

namespace {
// For fuzzing only: pictures the program would take whose fitted canvas has
// more pixels are passed over. A few bytes may claim a picture one pixel high
// whose canvas is millions of pixels; clearing those took most of the time
// while the decoders and the fitting work alike at any size. Pictures and
// canvases past the program's own bounds are not passed over: the change
// refuses them itself, before it asks for their memory.
constexpr uint64_t kMaxFuzzCanvasPixels = uint64_t(1) << 16;

bool WithinBoundsButLarge(bool bmp, const uint8_t* data, size_t size) {
    const std::optional<PictureHeader> claimed = ClaimedPictureSize(bmp ? PictureKind::Bmp : PictureKind::Jpeg, data, size);
    if (!claimed) return false;  // the change refuses it too: let it
    try {
        const Fit fit = ComputeFit(claimed->width, claimed->height);
        const uint64_t pixels = uint64_t(fit.canvasWidth) * uint64_t(fit.canvasHeight);
        const int bits = fit.rule == Fit::Band ? claimed->bitsPerPixel : 24;
        if (Bitmap::ByteCountFor(fit.canvasWidth, fit.canvasHeight, bits) > kMaxWallpaperBytes) return false;
        return pixels > kMaxFuzzCanvasPixels;
    } catch (const std::exception&) {
        return false;  // a canvas past the wallpaper's bound: the change refuses it too
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool bmp = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (WithinBoundsButLarge(bmp, data, size)) return 0;
    // A JPEG decoder stops at the end-of-picture marker, and a BMP reader at
    // its last row, so the last byte may choose the display: odd for 8 bits
    // per pixel (a quantised JPEG picture).
    RenderOptions options;
    options.background = 0x00336699;
    options.displayBits = (data[size - 1] & 1) ? 8 : 24;
    static const std::string bmpFile = ScratchPath("change-fuzz", ".bmp");
    static const std::string jpegFile = ScratchPath("change-fuzz", ".jpg");
    static const std::string wallpaper = ScratchPath("change-fuzz", "-wallpaper.bmp");
    const std::string& file = bmp ? bmpFile : jpegFile;
    WriteScratchFile(file, data, size);
    ChangeMatchesWholeCanvas(file, wallpaper, options);
    return 0;
}
