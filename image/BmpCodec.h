// Windows bitmap (BMP) files: a reader for what Windows programs write and the
// writer of the wallpaper bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "image/Bitmap.h"
#include "image/ByteSource.h"
#include "image/PictureReader.h"

class BmpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a BMP file held in memory: core (OS/2 1.x), info and OS/2 2.x headers
// and the V2 to V5 headers; 1, 4, 8, 16, 24 and 32 bits per pixel; uncompressed,
// bit fields, RLE4 and RLE8; bottom-up and top-down rows. The picture keeps its
// own pixel format (RLE pictures become 4 or 8 bits per pixel). Throws BmpError
// for anything that is not such a file or claims more pixels than it holds (a
// file short by no more than its last row's padding is read whole, the padding
// taken as zeros), and BitmapSizeError for sizes that cannot be held.
Bitmap DecodeBmp(const uint8_t* data, size_t size);

// Where DecodeBmpRows reads the file.
using BmpSource = ByteSource;

// Reads a BMP file as DecodeBmp does, but a band at a time, into a sink that
// is given the format exactly as DecodeBmp gives it (no pixels) and then each
// row, the same bytes DecodeBmp puts in Row(y), in the order the file stores
// them: bottom-up files from y = height-1 down to 0, top-down from 0 up. It
// never asks the source for more than kBmpReadPiece bytes (or one row's bytes when a row is
// longer) at once and never holds more than that plus one row (run-length
// files: the current row) of pixels. Throws what DecodeBmp throws for the same
// bytes, and throws it before Begin; a file that shrinks while it is read
// throws BmpError then. What the source or the sink throws passes through.
void DecodeBmpRows(BmpSource& source, PictureSink& sink);
// The same with pieces of `piece` bytes instead of kBmpReadPiece, so that tests
// and fuzzing cross the pieces' edges with small files.
void DecodeBmpRows(BmpSource& source, PictureSink& sink, size_t piece);
// Large enough that reading a file costs no more system calls than it must,
// small enough to stay in the processor's cache between reading and use.
inline constexpr size_t kBmpReadPiece = size_t(1) << 18;

// The size and depth a BMP file's headers claim, read without its pixels.
// Throws as DecodeBmp does for headers it does not accept.
struct BmpSize {
    int32_t width = 0;
    int32_t height = 0;  // positive for top-down files too
    int bitsPerPixel = 0;
};
BmpSize ReadBmpSize(const uint8_t* data, size_t size);

// The reader of BMP files in the one shape of picture readers: Header reads
// the headers and the palette (no pixels), Rows reads as DecodeBmpRows. The
// rows keep the file's own format; ReadOptions do not apply.
std::unique_ptr<PictureReader> MakeBmpReader(BmpSource& source);

// A bottom-up BMP file with an info header as EncodeBmp writes it, laid out
// for a format (width, height, depth, palette and masks; pixels are not
// looked at): its header bytes, which come first, and where each row stands.
struct BmpFileLayout {
    std::vector<uint8_t> header;  // file and info headers, masks, palette
    size_t stride = 0;            // bytes of one row
    int32_t height = 0;
    uint64_t FileSize() const { return header.size() + uint64_t(stride) * uint64_t(height); }
    // Row `y` from the top: the file stores the rows from the bottom.
    uint64_t RowOffset(int32_t y) const { return header.size() + uint64_t(stride) * uint64_t(height - 1 - y); }
};
// Throws BmpError for an empty format or one of 8 bits or fewer without a
// palette, and BitmapSizeError for sizes that cannot be held.
BmpFileLayout LayOutBmpFile(const PixelFormat& format);

// Writes `bitmap` as a bottom-up BMP file with an info header: BI_RGB, or
// BI_BITFIELDS for 16 and 32 bits with other than the default masks. The bytes
// are handed to `write` in order: the headers, then row by row.
void EncodeBmp(const Bitmap& bitmap, const std::function<void(const void*, size_t)>& write);
std::vector<uint8_t> EncodeBmp(const Bitmap& bitmap);

// One row of any bitmap as 24-bit blue-green-red pixels (3 × width bytes).
void RowToBgr24(const Bitmap& bitmap, int32_t y, uint8_t* out);
// The same for a row held elsewhere, in the format of `format` (whose pixels
// are not looked at).
void RowToBgr24(const PixelFormat& format, const uint8_t* row, uint8_t* out);
