// Pictures made smaller by area averaging, as the preview shows them.
#pragma once

#include <cstdint>

#include "image/Bitmap.h"

// `source` reduced to width × height by averaging the pixels each target pixel
// covers (24 bits per pixel). Width and height must not exceed the source's.
Bitmap ReducePicture(const Bitmap& source, int32_t width, int32_t height);
