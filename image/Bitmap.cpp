#include "image/Bitmap.h"

size_t Bitmap::StrideFor(int32_t width, int bitsPerPixel) {
    if (width < 0 || bitsPerPixel <= 0 || bitsPerPixel > 32) throw BitmapSizeError("invalid bitmap width or depth");
    const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel);
    const uint64_t stride = ((bits + 31) / 32) * 4;
    if (stride > kMaxBitmapBytes) throw BitmapSizeError("bitmap too large");
    return static_cast<size_t>(stride);
}

size_t Bitmap::ByteCountFor(int32_t width, int32_t height, int bitsPerPixel) {
    if (height < 0) throw BitmapSizeError("invalid bitmap height");
    const uint64_t total = static_cast<uint64_t>(StrideFor(width, bitsPerPixel)) * static_cast<uint64_t>(height);
    if (total > kMaxBitmapBytes) throw BitmapSizeError("bitmap too large");
    return static_cast<size_t>(total);
}

void Bitmap::Reset(int32_t newWidth, int32_t newHeight, int newBitsPerPixel) {
    std::vector<uint8_t> fresh(ByteCountFor(newWidth, newHeight, newBitsPerPixel), 0);
    pixels.swap(fresh);
    width = newWidth;
    height = newHeight;
    bitsPerPixel = newBitsPerPixel;
}
