// The wallpaper bitmap made whole in memory: the picture decoded whole, a
// canvas in the background colour, the picture's rows converted onto it, and
// the canvas encoded. The bitmap RenderWallpaper writes row by row is held to
// it byte for byte.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/PictureFile.h"
#include "engine/Render.h"
#include "image/BmpCodec.h"
#include "image/JpegDecoder.h"
#include "platform/Platform.h"

namespace testing_support {

// A file's bytes in memory, read as a file.
struct MemoryFile final : ByteSource {
    explicit MemoryFile(const std::vector<uint8_t>& bytes) : bytes(bytes) {}
    uint64_t Size() const override { return bytes.size(); }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override {
        const size_t count = offset < bytes.size() ? std::min<size_t>(size, bytes.size() - offset) : 0;
        if (count) std::memcpy(data, bytes.data() + offset, count);
        return count;
    }
    const std::vector<uint8_t>& bytes;
};

// A reader's rows kept as one bitmap in their own format.
struct WholePicture final : PictureSink {
    Bitmap bitmap;
    void Begin(const PixelFormat& format) override {
        static_cast<PixelFormat&>(bitmap) = format;
        bitmap.Reset(format.width, format.height, format.bitsPerPixel);
    }
    void Row(int32_t y, const uint8_t* row) override { std::memcpy(bitmap.Row(y), row, bitmap.Stride()); }
};

inline std::vector<uint8_t> WholeCanvasBmp(const std::string& picture, const RenderOptions& options) {
    const std::vector<uint8_t> file = platform::ReadFileBytes(picture, kMaxPictureFileBytes);
    const PictureKind kind = PictureKindOf(picture);
    MemoryFile bytes(file);
    const OpenedPicture opened = OpenPicture(kind, bytes);
    const PictureHeader& size = opened.header;
    const Fit fit = ComputeFit(size.width, size.height);
    if (Bitmap::ByteCountFor(fit.canvasWidth, fit.canvasHeight, fit.rule == Fit::Band ? size.bitsPerPixel : 24) >
        kMaxWallpaperBytes)
        throw RenderError("The wallpaper would be too large");
    WholePicture whole;
    ReadOptions read;
    read.quantize = options.displayBits <= 8;
    read.background = options.background;
    opened.reader->Rows(whole, read);
    const Bitmap& source = whole.bitmap;
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
