// PNG decoding through libspng, row by row from a file read a piece at a time.
#pragma once

#include <memory>
#include <stdexcept>

#include "image/ByteSource.h"
#include "image/PictureReader.h"

class PngError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The reader of PNG files in the one shape of picture readers. Every colour
// type and depth (palette with or without tRNS, grey, grey with alpha, RGB,
// RGBA; 1 to 16 bits, 16 rounded to 8) comes out as 24-bit blue-green-red
// rows, transparent pixels blended over ReadOptions::background. A file that
// is not interlaced streams row by row; an interlaced (Adam7) one is decoded
// whole first, 4 or 8 bytes a pixel, as PictureHeader::wholeBytes says. gAMA,
// iCCP and sRGB are not applied; an APNG shows its default image. A bad CRC in
// a critical chunk refuses the file, one in an ancillary chunk drops that
// chunk. Throws PngError for a file the library does not accept, cut or
// damaged anywhere; what the source or the sink throws passes through.
std::unique_ptr<PictureReader> MakePngReader(ByteSource& source);
