// libFuzzer target: the Exif parser. An input is the body of an APP1 segment;
// the orientation must be 1 to 8 and the same when the bytes sit in a larger
// buffer (nothing past the block is looked at, which AddressSanitizer checks
// for the exact copy). The same block is then put in a small JPEG, which must
// decode upright at the size its header gives.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "image/Exif.h"
#include "image/JpegDecoder.h"
#include "tests/image/JpegFixture.h"

namespace {

// A 16 × 8 baseline JPEG, made once by libjpeg's own compressor through the test fixture.
const std::vector<uint8_t>& SmallJpeg() {
    static const std::vector<uint8_t> jpeg =
        testing_support::MakeJpeg(16, 8, [](int x, int y) { return uint32_t(x * 16 + y) * 0x010101u; });
    return jpeg;
}

struct Rows final : PictureSink {
    PixelFormat format;
    int rows = 0;
    void Begin(const PixelFormat& f) override { format = f; }
    void Row(int32_t y, const uint8_t*) override {
        if (y < 0 || y >= format.height) __builtin_trap();
        ++rows;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> exact(data, data + size);
    const int orientation = ExifOrientation(exact.data(), exact.size());
    if (orientation < 1 || orientation > 8) __builtin_trap();
    std::vector<uint8_t> padded = exact;
    padded.resize(size + 64, 0x12);
    if (ExifOrientation(padded.data(), size) != orientation) __builtin_trap();
    if (size > 0xFFFF - 2) return 0;
    std::vector<uint8_t> jpeg = SmallJpeg();
    std::vector<uint8_t> segment = {0xFF, 0xE1, uint8_t((size + 2) >> 8), uint8_t(size + 2)};
    segment.insert(segment.end(), data, data + size);
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    try {
        const JpegSize header = ReadJpegSize(jpeg.data(), jpeg.size());
        Rows rows;
        DecodeJpeg(jpeg.data(), jpeg.size(), false, rows);
        if (rows.format.width != header.width || rows.format.height != header.height || rows.rows != header.height)
            __builtin_trap();
        if ((header.width == 8) != (header.orientation >= 5)) __builtin_trap();
    } catch (const std::exception&) {
    }
    return 0;
}
