// One wallpaper bitmap over the whole virtual screen, a picture on each
// monitor: shown whole with bars of the background colour, or covering the
// monitor. Each picture is scaled (image/Resample) into its monitor's
// rectangle of the file as it is decoded, a row at a time; neither the
// virtual screen nor a picture is held whole.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ScreenLayout.h"

struct ComposeOptions {
    uint32_t background = 0;  // 0x00BBGGRR: bars and what no monitor covers
    ScreenFit fit = ScreenFit::Fit;
    // Laid out for tiling from the primary monitor's origin (Windows 7, which
    // cannot span): the part of virtual-screen point (x, y) stands at
    // (x mod width, y mod height) of the bitmap. Otherwise the bitmap is the
    // bounding rectangle, its top-left corner the rectangle's.
    bool tiled = false;
};

// Gives the picture for the next monitor; `retry` says that the last one it
// gave could not be drawn (another is wanted for the same monitor). Empty when
// there is none left.
using PictureSupply = std::function<std::optional<std::string>(bool retry)>;

// Writes `output` (a 24-bit BMP file of the layout's bounding rectangle,
// through platform::WriteFileReplacing) with one picture per monitor, in the
// layout's order. A picture that cannot be read or is past the bounds
// (PictureFile.h) is passed over for the next the supply gives. Returns the
// pictures drawn, one per monitor. Throws RenderError when the supply runs
// out or the layout is empty or too large, and platform::WriteError when the
// file cannot be written; `output` keeps what it held then.
std::vector<std::string> ComposeWallpaper(const ScreenLayout& layout, const ComposeOptions& options,
                                          const PictureSupply& next, const std::string& output);

// The JPEG scale, in eighths of the full size (1, 2, 4 or 8), a picture of
// width × height is decoded at to be scaled to scaledWidth × scaledHeight: the
// smallest of libjpeg's sizes 1/8, 1/4, 1/2 and 1 still at least that size.
int JpegScaleFor(int32_t width, int32_t height, int32_t scaledWidth, int32_t scaledHeight);
