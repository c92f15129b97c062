// Bounds on pictures read from outside (wallpaper pictures, previews, the GIF
// banner): a picture that breaks one is refused from its header, before any
// memory is asked for its pixels. Each reader holds its own ImageLimits.
#pragma once

#include <cstddef>
#include <cstdint>

struct ImageLimits {
    // A file holds at most this many pixels per byte. Real pictures stay far
    // below it (a blank photo compresses to a few hundred pixels a byte, a
    // blank run-length bitmap to half its width), while a header of a few
    // dozen bytes can claim a hundred million pixels.
    uint64_t maxPixelsPerFileByte = 4096;
    // The largest pixel array made from the picture, at the depth the reader
    // names (a fitted canvas, a composed GIF frame).
    size_t maxBitmapBytes = 0;
    // The largest file read whole.
    size_t maxFileBytes = 0;
};

// Why a picture of width × height at `bitsPerPixel`, read from a file of
// `fileBytes`, breaks `limits`: "Invalid picture size", "The picture claims
// more pixels than its file can hold" or "The picture is too large". Null when
// it keeps to them. A size past Bitmap's own cap throws BitmapSizeError.
const char* BrokenImageBound(const ImageLimits& limits, int32_t width, int32_t height, int bitsPerPixel,
                             size_t fileBytes);
