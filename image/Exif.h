// The orientation an Exif block gives a photo, read by a bounded parser of our
// own: a block that is malformed, hostile or silent means orientation 1.
#pragma once

#include <cstddef>
#include <cstdint>

// `data` is the body of a JPEG APP1 segment ("Exif\0\0" and a TIFF structure).
// Returns the Orientation tag (0x0112) of the first image file directory, 1 to
// 8 (1: upright; 2: mirrored; 3: turned half round; 4: mirrored top to bottom;
// 5: mirrored along the main diagonal; 6: to be turned a quarter clockwise;
// 7: mirrored along the other diagonal; 8: to be turned a quarter
// anticlockwise), or 1 for anything else. Reads only inside [data, data + size)
// and looks at no more than one directory's entries.
int ExifOrientation(const uint8_t* data, size_t size);
