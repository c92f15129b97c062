// The JPEG decoder reading its file by pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "image/JpegDecoder.h"
#include "tests/image/JpegFixture.h"

using testing_support::MakeJpeg;

namespace {

struct DiskGone {};

// A file's bytes that counts what it hands out and fails at its `failAt`-th read.
struct PieceSource final : ByteSource {
    explicit PieceSource(const std::vector<uint8_t>& bytes, int failAt = 0) : bytes(bytes), failAt(failAt) {}
    uint64_t Size() const override { return bytes.size(); }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override {
        if (--failAt == 0) throw DiskGone{};
        const size_t count = std::min<size_t>(size, bytes.size() - std::min<uint64_t>(offset, bytes.size()));
        std::memcpy(data, bytes.data() + offset, count);
        read += count;
        return count;
    }
    const std::vector<uint8_t>& bytes;
    int failAt;
    size_t read = 0;
};

struct Whole final : PictureSink {
    Bitmap bitmap;
    void Begin(const PixelFormat& output) override { bitmap.Reset(output.width, output.height, output.bitsPerPixel); }
    uint8_t* RowBuffer(int32_t y) override { return bitmap.Row(y); }
    void Row(int32_t y, const uint8_t* row) override {
        if (row != bitmap.Row(y)) std::memcpy(bitmap.Row(y), row, bitmap.Stride());
    }
};

}  // namespace

// Pieces of any size give the picture of the whole file read at once, for a
// progressive file and a cut one too; comments longer than a piece are
// skipped, not read; what the source throws passes through as it is.
TEST(JpegReader, PiecesOfAnySizeGiveThePictureOfTheWholeFile) {
    const auto color = [](int x, int y) { return static_cast<uint32_t>((x * 7 ^ y * 13) * 0x010203); };
    std::vector<uint8_t> commented = MakeJpeg(300, 200, color), cut = commented;
    cut.resize(cut.size() / 2);
    for (uint8_t letter : {'a', 'b', 'c'}) {
        std::vector<uint8_t> comment = {0xFF, 0xFE, 0xFF, 0xFF};
        comment.resize(2 + 0xFFFF, letter);
        commented.insert(commented.begin() + 2, comment.begin(), comment.end());
    }
    std::vector<uint8_t> progressive = MakeJpeg(300, 200, color, {3, false, true, 0, 90});
    for (std::vector<uint8_t>* file : {&commented, &cut, &progressive}) {
        PieceSource whole(*file);
        Whole expected, decoded;
        DecodeJpeg(whole, false, expected, file->size());
        for (size_t piece : {size_t(1), size_t(4093)}) {
            PieceSource source(*file);
            DecodeJpeg(source, false, decoded, piece);
            EXPECT_EQ(decoded.bitmap.pixels, expected.bitmap.pixels) << piece;
            if (file == &commented) {
                EXPECT_LE(source.read, file->size() - 3 * (0xFFFD - piece)) << piece;
            }
        }
    }
    for (int failAt : {1, 3}) {
        PieceSource failing(progressive, failAt);
        Whole decoded;
        EXPECT_THROW(DecodeJpeg(failing, false, decoded, 4096), DiskGone) << failAt;
    }
}
