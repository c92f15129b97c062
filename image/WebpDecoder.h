// WebP decoding through libwebp.
#pragma once

#include <memory>
#include <stdexcept>

#include "image/ByteSource.h"
#include "image/PictureReader.h"

class WebpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The reader of WebP files in the one shape of picture readers: lossy,
// lossless, with or without alpha, as 24-bit blue-green-red rows with
// transparent pixels blended over ReadOptions::background. An animation shows
// its first frame, placed on its canvas. libwebp decodes a picture whole: the
// file and the picture (3 or 4 bytes a pixel) are held whole, as
// PictureHeader::wholeBytes says. Throws WebpError for a file the library does
// not accept, cut or damaged anywhere; what the source or the sink throws
// passes through.
std::unique_ptr<PictureReader> MakeWebpReader(ByteSource& source);
