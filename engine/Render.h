// Turning one picture file into the wallpaper bitmap: decoding, fitting to a
// 1.3 : 1 frame on the background colour, and writing the BMP file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "image/Bitmap.h"

class RenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where a picture of width × height stands on the wallpaper canvas.
struct Fit {
    enum Rule { Band, Tall, Wide } rule = Band;
    int32_t canvasWidth = 0;
    int32_t canvasHeight = 0;
    int32_t x = 0;  // the picture's top-left corner on the canvas
    int32_t y = 0;  // negative when rows are cut off at the top
};

// Pictures with 1.26 <= width / height <= 1.35 stay as they are; taller ones get
// bars at the sides, wider ones bars above and below, on a canvas
// of width / height = 1.3. Sizes and offsets are rounded to the nearest integer,
// exact halves to the even one. A square picture takes the tall rule: it keeps
// every row and gains side bars, where the wide rule would cut rows off.
// Width and height must be positive.
Fit ComputeFit(int32_t width, int32_t height);

// `numerator` / `denominator` (denominator > 0) rounded to the nearest integer,
// exact halves to the even neighbour.
int64_t RoundHalfEven(int64_t numerator, int64_t denominator);

// Bounds on pictures from outside: a picture that breaks one is passed over
// like one that does not decode, before any memory is asked for its pixels.
//
// A file holds at most this many pixels per byte. Real pictures stay far below
// it (a blank photo compresses to a few hundred pixels a byte, a blank
// run-length bitmap to half its width), while a header of a few dozen bytes
// can claim a hundred million pixels.
inline constexpr uint64_t kMaxPixelsPerFileByte = 4096;
// The largest picture, wallpaper canvas or picture file the program holds:
// 256 MiB, a 24-bit canvas of about 89 million pixels (10,900 × 8,200). A
// 32-bit program has 2 GiB of address space, and the system makes its own copy
// of the wallpaper on top.
inline constexpr size_t kMaxWallpaperBytes = size_t(1) << 28;
inline constexpr size_t kMaxPictureFileBytes = kMaxWallpaperBytes;

// Throws RenderError when a picture of width × height at `bitsPerPixel`, read
// from a file of `fileBytes`, breaks the bounds above.
void CheckPictureBounds(int32_t width, int32_t height, int bitsPerPixel, size_t fileBytes);

struct RenderOptions {
    uint32_t background = 0;  // 0x00BBGGRR
    int displayBits = 24;     // 8 or fewer: JPEG pictures are quantised to 236 colours
};

// The canvas for `picture` (a ".jpg", ".JPG", ".jpeg", ".JPEG", ".bmp" or
// ".BMP" file). A picture in the band is an exact copy in its own pixel format;
// a fitted canvas has 24 bits per pixel. Throws on any failure, and for a
// picture or canvas beyond the bounds above.
Bitmap RenderWallpaper(const std::string& picture, const RenderOptions& options);
// The same for the file's bytes, already read; `picture` names the kind only.
Bitmap RenderWallpaper(const std::string& picture, const uint8_t* data, size_t size, const RenderOptions& options);

// `canvas` written to `output` as a BMP file, replaced only when the new one is
// complete. Throws on any failure.
void WriteBitmapFile(const Bitmap& canvas, const std::string& output);

// RenderWallpaper written to `output` as a BMP file. The file is replaced only
// when the new one is complete. Throws on any failure.
void WriteWallpaperFile(const std::string& picture, const std::string& output, const RenderOptions& options);
