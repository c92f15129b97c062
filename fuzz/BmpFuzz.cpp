// libFuzzer target: reads whole BMP files as a change and the preview do
// (the size first, held to the picture bounds, then the pixels), turns every
// row to 24 bits and writes the picture back. What the writer wrote must read
// back as the same picture. Read a band at a time, through pieces of a size
// the input chooses, a file must give what DecodeBmp gives.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <typeinfo>
#include <vector>

#include "image/BmpCodec.h"
#include "engine/PictureFile.h"
#include "tests/engine/WholeCanvas.h"

namespace {
// For fuzzing only: pictures of more pixels are passed over. Within the
// program's bounds a few kilobytes may still claim millions of pixels, and
// clearing those took most of the time while the reader works alike at any size.
constexpr uint64_t kMaxFuzzPixels = uint64_t(1) << 16;

struct MemorySource final : BmpSource {
    MemorySource(const uint8_t* data, size_t size) : data(data), size(size) {}
    uint64_t Size() const override { return size; }
    size_t ReadAt(uint64_t offset, void* out, size_t count) override {
        if (offset > size) __builtin_trap();
        count = std::min<size_t>(count, size - offset);
        if (count) std::memcpy(out, data + offset, count);
        return count;
    }
    const uint8_t* data;
    size_t size;
};

// Checks each row against DecodeBmp's picture: every row once, in the order
// the file stores them, after the same format.
struct RowChecker final : PictureSink {
    explicit RowChecker(const Bitmap& expected) : expected(expected) {}
    void Begin(const PixelFormat& format) override {
        if (begun || expected.Empty() || format.width != expected.width || format.height != expected.height ||
            format.bitsPerPixel != expected.bitsPerPixel || format.palette != expected.palette ||
            format.masks != expected.masks)
            __builtin_trap();
        begun = true;
    }
    void Row(int32_t y, const uint8_t* row) override {
        if (rows == 0) step = (y == 0 && expected.height > 1) ? 1 : -1;
        const int32_t wanted = rows == 0 ? (step > 0 ? 0 : expected.height - 1) : last + step;
        if (!begun || y != wanted || std::memcmp(row, expected.Row(y), expected.Stride()) != 0) __builtin_trap();
        last = y;
        ++rows;
    }
    const Bitmap& expected;
    bool begun = false;
    int32_t rows = 0, step = 0, last = 0;
};

std::string ErrorKind(const std::exception& error) { return typeid(error).name(); }

void CompareRowByRow(const uint8_t* data, size_t size) {
    try {
        const BmpSize claimed = ReadBmpSize(data, size);
        if (uint64_t(claimed.width) * uint64_t(claimed.height) > kMaxFuzzPixels) return;
    } catch (const std::exception&) {
    }
    Bitmap expected;
    std::string expectedError, error;
    try {
        expected = DecodeBmp(data, size);
    } catch (const std::exception& e) {
        expectedError = ErrorKind(e);
    }
    MemorySource source(data, size);
    RowChecker checker(expected);
    const size_t piece = 1 + (size * 31 + (size ? data[size / 2] : 0)) % 300;
    try {
        DecodeBmpRows(source, checker, piece);
    } catch (const std::exception& e) {
        error = ErrorKind(e);
    }
    if (error != expectedError || (error.empty() && checker.rows != expected.height) ||
        (!error.empty() && checker.begun))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CompareRowByRow(data, size);
    // As a change reads it: the header held to the bounds, then the rows.
    testing_support::WholePicture whole;
    try {
        MemorySource source(data, size);
        const OpenedPicture opened = OpenPicture(PictureKind::Bmp, source);
        if (uint64_t(opened.header.width) * uint64_t(opened.header.height) > kMaxFuzzPixels) return 0;
        opened.reader->Rows(whole, ReadOptions{});
    } catch (const std::exception&) {
        return 0;
    }
    const Bitmap& picture = whole.bitmap;
    std::vector<uint8_t> row(size_t(picture.width) * 3);
    for (int32_t y = 0; y < picture.height; ++y) RowToBgr24(picture, y, row.data());
    const std::vector<uint8_t> written = EncodeBmp(picture);
    const Bitmap again = DecodeBmp(written.data(), written.size());
    if (again.width != picture.width || again.height != picture.height || again.pixels != picture.pixels ||
        again.palette != picture.palette || again.masks != picture.masks)
        __builtin_trap();
    return 0;
}
