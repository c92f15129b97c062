// libFuzzer target: reads whole BMP files as a change and the preview do
// (the size first, held to the picture bounds, then the pixels), turns every
// row to 24 bits and writes the picture back. What the writer wrote must read
// back as the same picture.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "image/BmpCodec.h"
#include "engine/PictureFile.h"

namespace {
// For fuzzing only: pictures of more pixels are passed over. Within the
// program's bounds a few kilobytes may still claim millions of pixels, and
// clearing those took most of the time while the reader works alike at any size.
constexpr uint64_t kMaxFuzzPixels = uint64_t(1) << 16;
struct TooManyPixels {};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bitmap picture;
    try {
        PictureDecoding decoding;
        decoding.plan = [](const PictureSize& claimed) {
            if (uint64_t(claimed.width) * uint64_t(claimed.height) > kMaxFuzzPixels) throw TooManyPixels();
            return 1;
        };
        picture = DecodePicture(PictureKind::Bmp, data, size, decoding);
    } catch (const TooManyPixels&) {
        return 0;
    } catch (const std::exception&) {
        return 0;
    }
    std::vector<uint8_t> row(size_t(picture.width) * 3);
    for (int32_t y = 0; y < picture.height; ++y) RowToBgr24(picture, y, row.data());
    const std::vector<uint8_t> written = EncodeBmp(picture);
    const Bitmap again = DecodeBmp(written.data(), written.size());
    if (again.width != picture.width || again.height != picture.height || again.pixels != picture.pixels ||
        again.palette != picture.palette || again.masks != picture.masks)
        __builtin_trap();
    return 0;
}
