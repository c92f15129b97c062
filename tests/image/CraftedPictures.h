// Hostile picture files made by the tests themselves: run-length bitmaps whose
// headers and records say what an attacker wants them to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testing_support {

// An 8-bit run-length (RLE8) BMP file of width × height with a two-colour
// palette (0 black, 1 white) and `runs` as its pixel data.
std::vector<uint8_t> RleBmp(int32_t width, int32_t height, const std::vector<uint8_t>& runs);

// A 16 × 2 RLE8 file of about 34 MB: enough "move right 255" records to carry
// a column past 2^31, then a run of eight white pixels and end of bitmap.
// A reader that lets the column wrap writes the run before its row.
std::vector<uint8_t> ColumnOverflowBmp();

}  // namespace testing_support
