// The size a BMP or JPEG file claims, as the program reads it before decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>

#include "engine/PictureFile.h"
#include "image/BmpCodec.h"
#include "image/JpegDecoder.h"

// The claimed size when the program would go on to decode the picture (its
// size keeps to the picture bounds); empty when the program refuses it there.
inline std::optional<PictureSize> ClaimedPictureSize(bool bmp, const uint8_t* data, size_t size) {
    try {
        PictureSize claimed;
        if (bmp) {
            const BmpSize header = ReadBmpSize(data, size);
            claimed = {header.width, header.height, header.bitsPerPixel};
        } else {
            const JpegSize header = ReadJpegSize(data, size);
            claimed = {header.width, header.height, 24};
        }
        CheckPictureBounds(claimed.width, claimed.height, claimed.bitsPerPixel, size);
        return claimed;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
