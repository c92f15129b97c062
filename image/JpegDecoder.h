// JPEG decoding through libjpeg, row by row into memory the caller chooses,
// from a file read a piece at a time or from bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "image/Bitmap.h"
#include "image/ByteSource.h"
#include "image/PictureReader.h"

class JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The most memory the library may take for its own work on one picture
// (256 MiB): a progressive picture keeps all its coefficients, 2 to 6 bytes a
// pixel, and a stream of a few bytes may claim any size. Beyond it decoding
// fails with JpegError.
inline constexpr size_t kMaxJpegWorkBytes = size_t(1) << 28;

// The pieces a JPEG file is read in: the decoder holds one piece of the file,
// never the whole file.
inline constexpr size_t kJpegReadPiece = size_t(1) << 16;

// Full size, colour, the accurate integer method, block smoothing on. The
// sink is given the output's format, then every row: 24-bit blue-green-red
// rows, or with `quantize` 8-bit rows that index a palette of at most 236
// colours (for displays of 8 bits per pixel or fewer; a CMYK file stays 24-bit).
// CMYK and YCCK files come out as RGB, each channel (255 - C) × (255 - K) / 255,
// their values taken as inverted where an Adobe marker (APP14) stands. The
// picture comes upright as its Exif orientation (ExifOrientation) asks:
// orientations 1 and 2 top-down, 3 and 4 bottom-up, each row as it is decoded;
// 5 to 8, which exchange rows and columns, from the picture decoded whole first
// (the output's size at 1 or 3 bytes a pixel). Throws JpegError for data the
// library cannot decode; what the source or the sink throws passes through. A
// file that ends early is shown as far as it goes.
// `piece`: the size of the pieces read, for tests that cross their edges.
void DecodeJpeg(ByteSource& source, bool quantize, PictureSink& sink, size_t piece = kJpegReadPiece);
void DecodeJpeg(const uint8_t* data, size_t size, bool quantize, PictureSink& sink);

// What a JPEG file's header says, read without decoding any pixel.
struct JpegSize {
    int32_t width = 0;   // upright, as the rows come out
    int32_t height = 0;
    int orientation = 1;  // the Exif orientation, 1 to 8
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
void DecodeJpegScaled(ByteSource& source, int denominator, PictureSink& sink);
void DecodeJpegScaled(const uint8_t* data, size_t size, int denominator, PictureSink& sink);

// The reader of JPEG files in the one shape of picture readers: Header reads
// the header (ReadJpegSize); its wholeBytes count the coefficients of a file
// of several scans and the whole picture a turn of orientation 5 to 8 holds.
// Rows decode as DecodeJpeg, at ReadOptions' denominator and quantising.
std::unique_ptr<PictureReader> MakeJpegReader(ByteSource& source);

// The whole picture in one bitmap.
Bitmap DecodeJpeg(const uint8_t* data, size_t size, bool quantize);
