// The wallpaper bitmap made whole in memory: the picture decoded whole, a
// canvas in the background colour, the picture's rows converted onto it, and
// the canvas encoded. The bitmap RenderWallpaper writes row by row is held to
// it byte for byte.
#pragma once

#include <string>
#include <vector>

#include "engine/PictureFile.h"
#include "engine/Render.h"
#include "image/BmpCodec.h"
#include "image/JpegDecoder.h"
#include "platform/Platform.h"

namespace testing_support {

inline std::vector<uint8_t> WholeCanvasBmp(const std::string& picture, const RenderOptions& options) {
    const std::vector<uint8_t> file = platform::ReadFileBytes(picture, kMaxPictureFileBytes);
    const PictureKind kind = PictureKindOf(picture);
    const PictureSize size = ReadPictureSize(kind, file.data(), file.size());
    const Fit fit = ComputeFit(size.width, size.height);
    if (Bitmap::ByteCountFor(fit.canvasWidth, fit.canvasHeight, fit.rule == Fit::Band ? size.bitsPerPixel : 24) >
        kMaxWallpaperBytes)
        throw RenderError("The wallpaper would be too large");
    const Bitmap source = kind == PictureKind::Jpeg ? DecodeJpeg(file.data(), file.size(), options.displayBits <= 8)
                                                    : DecodeBmp(file.data(), file.size());
    if (fit.rule == Fit::Band) return EncodeBmp(source);
    Bitmap canvas;
    canvas.Reset(fit.canvasWidth, fit.canvasHeight, 24);
    for (int32_t y = 0; y < canvas.height; ++y)
        for (int32_t x = 0; x < canvas.width; ++x) {
            uint8_t* p = canvas.Row(y) + 3 * x;
            p[0] = static_cast<uint8_t>(options.background >> 16);
            p[1] = static_cast<uint8_t>(options.background >> 8);
            p[2] = static_cast<uint8_t>(options.background);
        }
    for (int32_t y = 0; y < source.height; ++y)
        if (y + fit.y >= 0 && y + fit.y < canvas.height)
            RowToBgr24(source, y, canvas.Row(y + fit.y) + 3 * static_cast<size_t>(fit.x));
    return EncodeBmp(canvas);
}

}  // namespace testing_support
