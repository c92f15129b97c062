// libFuzzer target: a JPEG file through the path a change takes: the size
// read and held to the picture bounds, the rows decoded straight into the
// fitted canvas, the canvas written as a BMP file (here into memory), which
// must read back as the same picture.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "image/BmpCodec.h"
#include "image/JpegDecoder.h"
#include "engine/Render.h"

namespace {
// For fuzzing only: pictures whose fitted canvas has more pixels are passed
// over. A few bytes may claim a picture one pixel high whose canvas is
// millions of pixels; clearing those took most of the time while the decoder
// and the fitting work alike at any size.
constexpr uint64_t kMaxFuzzCanvasPixels = uint64_t(1) << 16;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The decoder stops at the end-of-picture marker, so the last byte may
    // choose the display: odd for 8 bits per pixel (a quantised picture).
    RenderOptions options;
    options.background = 0x00336699;
    options.displayBits = (data[size - 1] & 1) ? 8 : 24;
    Bitmap canvas;
    try {
        const JpegSize claimed = ReadJpegSize(data, size);
        const Fit fit = ComputeFit(claimed.width, claimed.height);
        if (uint64_t(fit.canvasWidth) * uint64_t(fit.canvasHeight) > kMaxFuzzCanvasPixels) return 0;
        canvas = RenderCanvas("picture.jpg", data, size, options);
    } catch (const std::exception&) {
        return 0;
    }
    const std::vector<uint8_t> written = EncodeBmp(canvas);
    const Bitmap again = DecodeBmp(written.data(), written.size());
    if (again.width != canvas.width || again.height != canvas.height || again.pixels != canvas.pixels)
        __builtin_trap();
    return 0;
}
