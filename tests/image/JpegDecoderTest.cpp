// The JPEG decoder reading its file by pieces: the same picture whatever the
// pieces, the header's sizes, and a source that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "image/JpegDecoder.h"
#include "tests/image/JpegFixture.h"

using testing_support::JpegLayout;
using testing_support::MakeJpeg;

namespace {

// A file's bytes that keeps the largest piece asked for and fails at its
// `failAt`-th read.
struct PieceSource final : ByteSource {
    explicit PieceSource(const std::vector<uint8_t>& bytes) : bytes(bytes) {}
    uint64_t Size() const override { return bytes.size(); }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override {
        if (++reads == failAt) throw std::runtime_error("the disk went away");
        largest = std::max(largest, size);
        const size_t count = offset < bytes.size() ? std::min<size_t>(size, bytes.size() - offset) : 0;
        std::memcpy(data, bytes.data() + offset, count);
        read += count;
        return count;
    }
    const std::vector<uint8_t>& bytes;
    size_t largest = 0, read = 0;
    int reads = 0, failAt = 0;
};

struct Whole final : JpegSink {
    Bitmap bitmap;
    void Begin(const JpegOutput& output) override { bitmap.Reset(output.width, output.height, output.bitsPerPixel); }
    uint8_t* RowBuffer(int32_t y) override { return bitmap.Row(y); }
};

}  // namespace

TEST(JpegReader, PiecesOfAnySizeGiveThePictureOfTheWholeFile) {
    const auto color = [](int x, int y) { return static_cast<uint32_t>((x * 7 ^ y * 13) * 0x010203); };
    // Three comments longer than a piece, which are skipped, not read.
    std::vector<uint8_t> commented = MakeJpeg(300, 200, color);
    for (uint8_t letter : {'a', 'b', 'c'}) {
        std::vector<uint8_t> comment = {0xFF, 0xFE, 0xFF, 0xFF};
        comment.resize(2 + 0xFFFF, letter);
        commented.insert(commented.begin() + 2, comment.begin(), comment.end());
    }
    std::vector<uint8_t> cut = MakeJpeg(300, 200, color);
    cut.resize(cut.size() / 2);
    std::vector<uint8_t> progressive = MakeJpeg(300, 200, color, JpegLayout{3, false, true, 0, 90});
    for (const std::vector<uint8_t>* file : {&commented, &cut, &progressive}) {
        PieceSource whole(*file);
        Whole expected;
        DecodeJpeg(whole, false, expected, file->size());
        ASSERT_EQ(whole.reads, 1);
        for (size_t piece : {size_t(1), size_t(7), size_t(4096), kJpegReadPiece}) {
            PieceSource source(*file);
            Whole decoded;
            DecodeJpeg(source, false, decoded, piece);
            EXPECT_EQ(decoded.bitmap.pixels, expected.bitmap.pixels) << piece;
            EXPECT_LE(source.largest, piece);
            if (file == &commented && piece < 0x8000) {
                EXPECT_LE(source.read, file->size() - 3 * (0xFFFD - piece));  // comments skipped, not read
            }
        }
    }

    // The header: a progressive file's coefficients are kept whole, 6 bytes a
    // pixel without subsampling (300 × 200: 38 × 25 blocks of 128 bytes, three
    // times), half that with it; a file of one scan keeps none.
    EXPECT_EQ(ReadJpegSize(progressive.data(), progressive.size()).wholeCoefficientBytes, 38u * 25 * 128 * 3);
    const std::vector<uint8_t> subsampled = MakeJpeg(300, 200, color, JpegLayout{3, true, true, 0, 90});
    EXPECT_EQ(ReadJpegSize(subsampled.data(), subsampled.size()).wholeCoefficientBytes, (38u * 26 + 2 * 19 * 13) * 128);
    EXPECT_EQ(ReadJpegSize(commented.data(), commented.size()).wholeCoefficientBytes, 0u);

    // What the source throws passes through as it is, the header's read too.
    for (int failAt : {1, 3}) {
        PieceSource failing(progressive);
        failing.failAt = failAt;
        Whole decoded;
        try {
            DecodeJpeg(failing, false, decoded, 4096);
            ADD_FAILURE() << "decoded from a failing source";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "the disk went away");
        }
    }
}
