#include "image/ImageLimits.h"

#include "image/Bitmap.h"

const char* BrokenImageBound(const ImageLimits& limits, int32_t width, int32_t height, int bitsPerPixel,
                             size_t fileBytes) {
    if (width <= 0 || height <= 0) return "Invalid picture size";
    if (uint64_t(width) * uint64_t(height) > limits.maxPixelsPerFileByte * fileBytes)
        return "The picture claims more pixels than its file can hold";
    // Past Bitmap's own cap, ByteCountFor throws BitmapSizeError.
    if (Bitmap::ByteCountFor(width, height, bitsPerPixel) > limits.maxBitmapBytes) return "The picture is too large";
    return nullptr;
}
