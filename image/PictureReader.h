// The one shape of every picture reader: the header first, read without any
// pixel and held to the caller's bounds before any memory is asked for, then
// the rows, one at a time, into one kind of sink. A caller written against this
// shape streams rows from any format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/Bitmap.h"

// Where a reader hands its rows.
class PictureSink {
public:
    // The rows' format (no pixels), once, before any row.
    virtual void Begin(const PixelFormat& format) = 0;
    // Where row `y` (from the top) may be decoded, format.Stride() bytes; null
    // lets the reader decode it in its own memory. A reader may not ask.
    virtual uint8_t* RowBuffer(int32_t /*y*/) { return nullptr; }
    // Row `y` stands at `row` (the buffer RowBuffer gave, or the reader's
    // own, valid until this returns). Every row comes exactly once, and all
    // come top-down (0 first) or all bottom-up (height - 1 first).
    virtual void Row(int32_t y, const uint8_t* row) = 0;

protected:
    ~PictureSink() = default;
};

// What a picture's header says, read without its pixels.
struct PictureHeader {
    int32_t width = 0;   // as the rows come: a picture turned by its Exif orientation is counted upright
    int32_t height = 0;
    int bitsPerPixel = 24;  // of the rows at full size, without quantising
    // Memory the reader holds for the picture beyond a few rows: a progressive
    // JPEG's coefficients, a turned JPEG's picture, an interlaced PNG or a WebP
    // picture decoded whole. 0 for a reader that streams.
    uint64_t wholeBytes = 0;
    // The reader decodes at 1/2, 1/4 and 1/8 of the size, or any number of
    // eighths of it (ReadOptions::numerator and denominator).
    bool scalable = false;
};

// What the caller asks of the rows.
struct ReadOptions {
    int denominator = 1;      // 1, 2, 4 or 8 where the header says `scalable`; others give full size
    int numerator = 1;        // with denominator 8: any of 1..8 eighths of the size, where `scalable`
    bool quantize = false;    // a JPEG in at most 236 colours (for displays of 8 bits or fewer)
    uint32_t background = 0;  // 0x00BBGGRR: what transparent pixels are blended over
};

class PictureReader {
public:
    virtual ~PictureReader() = default;
    // Reads and checks the header; throws the format's error for a file it does not accept.
    virtual PictureHeader Header() = 0;
    // The rows, after Header. What the source or the sink throws passes through.
    virtual void Rows(PictureSink& sink, const ReadOptions& options) = 0;
};
