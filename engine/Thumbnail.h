// Pictures made small for the preview box.
#pragma once

#include <cstdint>
#include <string>

#include "image/Bitmap.h"
#include "image/Reduction.h"  // ReducePicture, which the preview uses

// Where a picture of width × height stands in a box of boxWidth × boxHeight:
// centred, and reduced proportionally when it is larger than the box in either
// direction; never enlarged.
struct PreviewPlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};
PreviewPlacement PlacePreview(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight);

// The main window's preview box, and the colour transparent pixels are blended
// over there (0x00BBGGRR; the middle of the box's gradient).
inline constexpr int32_t kPreviewBoxWidth = 170, kPreviewBoxHeight = 130;
inline constexpr uint32_t kPreviewBackground = 0x00BFAF9A;

// The picture file (of a kind in kPictureKinds, by its extension) at the size
// it takes in the box, 24 bits per pixel, upright, transparent pixels blended
// over `background` (0x00BBGGRR). The file is read by pieces and its rows are
// reduced as they are decoded, never holding the picture. A large JPEG is
// decoded at 1/2, 1/4 or 1/8 of its size when that still covers the box, which
// looks the same once reduced. Throws on failure.
Bitmap LoadPreviewPicture(const std::string& path, int32_t boxWidth, int32_t boxHeight,
                          uint32_t background = kPreviewBackground);
