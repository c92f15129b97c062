// JPEG decoding through libjpeg, row by row into memory the caller chooses,
// from a file read a piece at a time or from bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "image/Bitmap.h"
#include "image/ByteSource.h"

class JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class JpegSink {
public:
    // Called once the output is known, before any row: 24-bit blue-green-red
    // rows, or 8-bit rows that index the palette when the output was quantised.
    virtual void Begin(const PixelFormat& output) = 0;
    // Where row `y` (from the top) is to be decoded: width × 3 or width bytes.
    virtual uint8_t* RowBuffer(int32_t y) = 0;
    // Called when row `y` stands in the buffer RowBuffer gave.
    virtual void RowDone(int32_t /*y*/) {}

protected:
    ~JpegSink() = default;
};

// The most memory the library may take for its own work on one picture
// (256 MiB): a progressive picture keeps all its coefficients, 2 to 6 bytes a
// pixel, and a stream of a few bytes may claim any size. Beyond it decoding
// fails with JpegError.
inline constexpr size_t kMaxJpegWorkBytes = size_t(1) << 28;

// The pieces a JPEG file is read in: the decoder holds one piece of the file,
// never the whole file.
inline constexpr size_t kJpegReadPiece = size_t(1) << 16;

// Full size, colour, the accurate integer method, block smoothing on. With
// `quantize` the output is an 8-bit picture of at most 236 colours (for
// displays of 8 bits per pixel or fewer). Throws JpegError for data the
// library cannot decode; what the source or the sink throws passes through. A
// file that ends early is shown as far as it goes.
// `piece`: the size of the pieces read, for tests that cross their edges.
void DecodeJpeg(ByteSource& source, bool quantize, JpegSink& sink, size_t piece = kJpegReadPiece);
void DecodeJpeg(const uint8_t* data, size_t size, bool quantize, JpegSink& sink);

// What a JPEG file's header says, read without decoding any pixel.
struct JpegSize {
    int32_t width = 0;
    int32_t height = 0;
    // A file of several scans (progressive ones) is decoded from all its
    // coefficients, which the library keeps whole: this many bytes, 2 to 6 a
    // pixel by the colour sampling. 0 for a file of one scan, which the
    // library decodes a row of blocks at a time.
    uint64_t wholeCoefficientBytes = 0;
};
JpegSize ReadJpegSize(ByteSource& source);
JpegSize ReadJpegSize(const uint8_t* data, size_t size);

// Decodes at 1/denominator of the full size (1, 2, 4 or 8): the library's
// scaled inverse transforms skip most of the work for small outputs. Always 24
// bits per pixel.
void DecodeJpegScaled(ByteSource& source, int denominator, JpegSink& sink);
void DecodeJpegScaled(const uint8_t* data, size_t size, int denominator, JpegSink& sink);

// The whole picture in one bitmap.
Bitmap DecodeJpeg(const uint8_t* data, size_t size, bool quantize);
