// Turning one picture file into the wallpaper bitmap: fitting to a 1.3 : 1
// frame on the background colour, written to the BMP file as the picture is
// decoded (RenderWallpaper). Reading the picture within the bounds is
// PictureFile's.
#pragma once

#include <cstdint>
#include <string>

#include "engine/PictureFile.h"
#include "image/Bitmap.h"
#include "image/Rounding.h"  // RoundHalfEven, which the fit rounds with

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

struct RenderOptions {
    uint32_t background = 0;  // 0x00BBGGRR
    int displayBits = 24;     // 8 or fewer: JPEG pictures are quantised to 236 colours;
                              // 0: the display's, asked only once a JPEG is decoded
};

// Writes the wallpaper bitmap for `picture` (a file of a kind in
// kPictureKinds) to `output`: the picture decoded and fitted to the canvas, a
// picture in the band an exact copy in its own pixel format, a fitted canvas
// 24 bits per pixel with bars in the background colour. The file is written
// row by row as the picture is decoded, through a band of rows (kRenderBandBytes),
// never the whole canvas in memory: the header first, then each band of rows
// at its place (the file stores its rows bottom-up). A picture or canvas
// beyond the bounds (PictureFile.h) is refused from its header, before
// anything is written. The file is replaced only when it is complete: on any
// failure `output` keeps what it held, and the error is thrown.
void RenderWallpaper(const std::string& picture, const RenderOptions& options, const std::string& output);

// About how many bytes of rows RenderWallpaper holds before it writes them.
inline constexpr size_t kRenderBandBytes = size_t(1) << 20;
