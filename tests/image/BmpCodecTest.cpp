// The BMP reader against files laid out as Windows programs write them, and the
// writer against the reader.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <random>
#include <typeinfo>

#include "CraftedPictures.h"
#include "image/BmpCodec.h"

namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

struct BmpFile {
    uint32_t headerSize = 40;
    int32_t width = 0, height = 0;
    int bits = 24;
    uint32_t compression = 0;
    std::vector<PaletteEntry> palette;
    std::vector<uint32_t> masks;  // after a 40-byte header, or inside larger ones
    std::vector<uint8_t> pixels;  // as stored in the file

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> info;
        if (headerSize == 12) {
            Put(info, 12, 4);
            Put(info, width, 2);
            Put(info, height, 2);
            Put(info, 1, 2);
            Put(info, bits, 2);
        } else {
            Put(info, headerSize, 4);
            Put(info, width, 4);
            Put(info, height, 4);
            Put(info, 1, 2);
            Put(info, bits, 2);
            Put(info, compression, 4);
            Put(info, static_cast<uint32_t>(pixels.size()), 4);
            Put(info, 2835, 4);
            Put(info, 2835, 4);
            Put(info, static_cast<uint32_t>(palette.size()), 4);
            Put(info, 0, 4);
            for (size_t i = 0; headerSize > 40 && i < 4; ++i) Put(info, i < masks.size() ? masks[i] : 0, 4);
            info.resize(headerSize, 0);
        }
        if (headerSize == 40)
            for (uint32_t mask : masks) Put(info, mask, 4);
        for (const PaletteEntry& entry : palette) {
            info.push_back(entry.blue);
            info.push_back(entry.green);
            info.push_back(entry.red);
            if (headerSize != 12) info.push_back(0);
        }
        std::vector<uint8_t> file = {'B', 'M'};
        Put(file, static_cast<uint32_t>(14 + info.size() + pixels.size()), 4);
        Put(file, 0, 4);
        Put(file, static_cast<uint32_t>(14 + info.size()), 4);
        file.insert(file.end(), info.begin(), info.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
};

Bitmap Decode(const std::vector<uint8_t>& bytes) { return DecodeBmp(bytes.data(), bytes.size()); }

std::vector<uint8_t> Bgr(const Bitmap& bitmap, int32_t y) {
    std::vector<uint8_t> row(static_cast<size_t>(bitmap.width) * 3);
    RowToBgr24(bitmap, y, row.data());
    return row;
}

const std::vector<PaletteEntry> kFour = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};

}  // namespace

TEST(BmpReader, ReadsEveryHeaderKindToTheSamePicture) {
    // 3 × 2 at 4 bits: bottom row 1 2 3, top row 3 2 1; rows padded to 4 bytes.
    for (uint32_t header : {12u, 40u, 52u, 56u, 64u, 108u, 124u}) {
        BmpFile file;
        file.headerSize = header;
        file.width = 3;
        file.height = 2;
        file.bits = 4;
        file.palette = kFour;
        if (header == 12) file.palette.resize(16);  // a core palette always has every entry
        file.pixels = {0x12, 0x30, 0, 0, 0x32, 0x10, 0, 0};
        const Bitmap bitmap = Decode(file.Bytes());
        EXPECT_EQ(bitmap.width, 3) << header;
        EXPECT_EQ(bitmap.height, 2);
        EXPECT_EQ(bitmap.bitsPerPixel, 4);
        EXPECT_EQ(bitmap.palette[3], (PaletteEntry{0, 0, 255, 0})) << header;
        EXPECT_EQ(bitmap.Row(0)[0], 0x32) << header;  // the top row comes first
        EXPECT_EQ(bitmap.Row(1)[0], 0x12);
        EXPECT_EQ(Bgr(bitmap, 0), (std::vector<uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0})) << header;
    }
}

TEST(BmpReader, TopDownAndBottomUpRowsGiveOnePicture) {
    BmpFile up;
    up.width = 1;
    up.height = 2;
    up.pixels = {1, 2, 3, 0, 4, 5, 6, 0};  // bottom row first
    BmpFile down = up;
    down.height = -2;
    down.pixels = {4, 5, 6, 0, 1, 2, 3, 0};  // top row first
    const Bitmap a = Decode(up.Bytes()), b = Decode(down.Bytes());
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(a.height, 2);
    EXPECT_EQ(Bgr(a, 0), (std::vector<uint8_t>{4, 5, 6}));
}

TEST(BmpReader, BitFieldsAndTheDefaultMasksGiveTheRightColours) {
    // 16 bits 5-6-5: pure red, pure green, pure blue, white.
    BmpFile file;
    file.width = 4;
    file.height = 1;
    file.bits = 16;
    file.compression = 3;
    file.masks = {0xF800, 0x07E0, 0x001F};
    file.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF};
    for (uint32_t header : {40u, 56u, 124u}) {
        file.headerSize = header;
        const Bitmap bitmap = Decode(file.Bytes());
        EXPECT_EQ(Bgr(bitmap, 0),
                  (std::vector<uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255}))
            << header;
        // Written back in its own format, masks included.
        const Bitmap again = Decode(EncodeBmp(bitmap));
        EXPECT_EQ(again.bitsPerPixel, 16);
        EXPECT_EQ(again.masks, bitmap.masks);
        EXPECT_EQ(again.pixels, bitmap.pixels);
    }
    // 16 bits without fields are 5-5-5; 32 bits without fields are 8-8-8.
    BmpFile plain;
    plain.width = 1;
    plain.height = 1;
    plain.bits = 16;
    plain.pixels = {0x00, 0x7C, 0, 0};
    EXPECT_EQ(Bgr(Decode(plain.Bytes()), 0), (std::vector<uint8_t>{0, 0, 255}));
    plain.bits = 32;
    plain.pixels = {0x11, 0x22, 0x33, 0x44};
    EXPECT_EQ(Bgr(Decode(plain.Bytes()), 0), (std::vector<uint8_t>{0x11, 0x22, 0x33}));
}

TEST(BmpReader, DecodesRunLengthPictures) {
    // RLE8, 5 × 3: bottom row a run of three 1s and a literal 7 8; then a delta
    // that skips the middle row; top row a run of two 9s; end of bitmap.
    BmpFile rle8;
    rle8.width = 5;
    rle8.height = 3;
    rle8.bits = 8;
    rle8.compression = 1;
    rle8.palette.resize(10);
    rle8.pixels = {3, 1, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 0, 1, 2, 9, 0, 1};
    const Bitmap eight = Decode(rle8.Bytes());
    ASSERT_EQ(eight.bitsPerPixel, 8);
    EXPECT_EQ(std::vector<uint8_t>(eight.Row(2), eight.Row(2) + 5), (std::vector<uint8_t>{1, 1, 1, 7, 8}));
    EXPECT_EQ(std::vector<uint8_t>(eight.Row(1), eight.Row(1) + 5), (std::vector<uint8_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(eight.Row(0), eight.Row(0) + 5), (std::vector<uint8_t>{9, 9, 0, 0, 0}));

    // RLE4, 6 × 1: a run of five alternating 1 2, then a literal of one 3
    // (padded), then a run wider than the row that is cut off.
    BmpFile rle4;
    rle4.width = 6;
    rle4.height = 1;
    rle4.bits = 4;
    rle4.compression = 2;
    rle4.palette = kFour;
    rle4.pixels = {5, 0x12, 0, 3, 0x33, 0x30, 20, 0xFF, 0, 1};
    const Bitmap four = Decode(rle4.Bytes());
    EXPECT_EQ(four.Row(0)[0], 0x12);
    EXPECT_EQ(four.Row(0)[1], 0x12);
    EXPECT_EQ(four.Row(0)[2], 0x13);
}

TEST(BmpWriter, EveryDepthSurvivesTheRoundTrip) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        Bitmap bitmap;
        bitmap.Reset(13, 5, bits);
        if (bits <= 8) bitmap.palette.assign(static_cast<size_t>(1) << bits, PaletteEntry{1, 2, 3, 0});
        std::mt19937 random(bits);
        for (int32_t y = 0; y < bitmap.height; ++y) {
            const size_t used = (static_cast<size_t>(bitmap.width) * bits + 7) / 8;
            for (size_t i = 0; i < used; ++i) bitmap.Row(y)[i] = static_cast<uint8_t>(random());
        }
        const std::vector<uint8_t> file = EncodeBmp(bitmap);
        EXPECT_EQ(file.size(), 14 + 40 + (bits <= 8 ? 4u << bits : 0) + bitmap.pixels.size()) << bits;
        const Bitmap again = Decode(file);
        EXPECT_EQ(again.bitsPerPixel, bits);
        EXPECT_EQ(again.pixels, bitmap.pixels) << bits;
        EXPECT_EQ(again.palette, bitmap.palette) << bits;
    }
}

TEST(BmpReader, RefusesDamagedFilesWithoutReadingBeyondThem) {
    BmpFile good;
    good.width = 4;
    good.height = 4;
    good.pixels.assign(48, 0x55);
    const std::vector<uint8_t> bytes = good.Bytes();
    EXPECT_NO_THROW(Decode(bytes));

    // Every shortened copy fails cleanly.
    for (size_t size = 0; size < bytes.size(); ++size) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_ANY_THROW(Decode(cut)) << size;
    }
    auto with = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> copy = bytes;
        for (int i = 0; i < 4; ++i) copy[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return copy;
    };
    EXPECT_THROW(Decode(with(18, 0x7FFFFFFF)), std::length_error);  // a width no file can hold
    EXPECT_THROW(Decode(with(22, 100000)), BmpError);                // more rows than the file has
    EXPECT_THROW(Decode(with(22, 0)), BmpError);
    EXPECT_THROW(Decode(with(22, 0x80000000)), BmpError);  // top-down, with no row count that is positive
    EXPECT_THROW(Decode(with(18, 0)), BmpError);
    EXPECT_THROW(Decode(with(30, 4)), BmpError);  // embedded JPEG
    std::vector<uint8_t> text = bytes;
    text[0] = 'X';
    EXPECT_THROW(Decode(text), BmpError);

    // Random damage to the runs of a run-length file never reads outside it.
    BmpFile rle;
    rle.width = 9;
    rle.height = 7;
    rle.bits = 8;
    rle.compression = 1;
    rle.palette.resize(4);
    rle.pixels = {3, 1, 0, 3, 7, 8, 9, 0, 0, 2, 5, 5, 0, 0, 9, 2, 0, 1};
    const std::vector<uint8_t> original = rle.Bytes();
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> damaged = original;
        const size_t runs = original.size() - rle.pixels.size();
        for (int i = 0; i < 3; ++i) damaged[runs + random() % rle.pixels.size()] = static_cast<uint8_t>(random());
        try {
            Decode(damaged);
        } catch (const std::exception&) {
        }
    }
}

TEST(BmpReader, RunLengthMovesStopAtTheEndOfTheRow) {
    // Moves that would carry the column past 2^31 leave it at the row's end, so
    // the run after them is dropped instead of written before the row.
    const Bitmap crafted = Decode(testing_support::ColumnOverflowBmp());
    for (int32_t y = 0; y < 2; ++y)
        EXPECT_EQ(std::vector<uint8_t>(crafted.Row(y), crafted.Row(y) + 16), std::vector<uint8_t>(16)) << y;
    // A move past the end drops the rest of the line; the next line starts at column 0.
    const Bitmap moved = Decode(testing_support::RleBmp(4, 2, {0, 2, 200, 0, 2, 1, 0, 0, 2, 1, 0, 1}));
    EXPECT_EQ(std::vector<uint8_t>(moved.Row(1), moved.Row(1) + 4), std::vector<uint8_t>(4));
    EXPECT_EQ(std::vector<uint8_t>(moved.Row(0), moved.Row(0) + 4), (std::vector<uint8_t>{1, 1, 0, 0}));
}

namespace {

// A file served from memory; it keeps the largest read asked of it.
struct RecordingSource final : BmpSource {
    explicit RecordingSource(const std::vector<uint8_t>& bytes) : bytes(bytes) {}
    uint64_t Size() const override { return bytes.size(); }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override {
        largest = std::max(largest, size);
        const size_t count = offset < bytes.size() ? std::min<size_t>(size, bytes.size() - offset) : 0;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), count, static_cast<uint8_t*>(data));
        return count;
    }
    const std::vector<uint8_t>& bytes;
    size_t largest = 0;
};

// Puts the rows it is handed in a picture of the format it was given and keeps their order.
struct RowRecorder final : PictureSink {
    void Begin(const PixelFormat& format) override {
        EXPECT_TRUE(picture.Empty());  // the format comes once, and carries no pixels by its type
        static_cast<PixelFormat&>(picture) = format;
        picture.Reset(format.width, format.height, format.bitsPerPixel);
    }
    void Row(int32_t y, const uint8_t* row) override {
        order.push_back(y);
        std::memcpy(picture.Row(y), row, picture.Stride());
    }
    Bitmap picture;
    std::vector<int32_t> order;
};

// Empty for a picture, else the kind of error.
template <typename Read>
std::string Outcome(Read read) {
    try {
        read();
        return "";
    } catch (const std::exception& error) {
        return typeid(error).name();
    }
}

// Runs, moves, ends of line, padded literals and now and then an end of bitmap,
// the last record perhaps cut.
std::vector<uint8_t> RandomRuns(std::mt19937& random, bool four) {
    std::vector<uint8_t> runs;
    for (int record = 0; record < 60; ++record) {
        const unsigned kind = random() % 33 / 8, n = 3 + random() % 30, stored = four ? (n + 1) / 2 : n;
        const std::vector<std::vector<uint8_t>> records = {
            {static_cast<uint8_t>(1 + n), static_cast<uint8_t>(random())}, {0, 0}, {0, static_cast<uint8_t>(n)},
            {0, 2, static_cast<uint8_t>(random() % 9), static_cast<uint8_t>(random() % 3)}, {0, 1}};
        runs.insert(runs.end(), records[kind].begin(), records[kind].end());
        for (size_t i = 0; kind == 2 && i < stored + (stored & 1); ++i) runs.push_back(static_cast<uint8_t>(random()));
    }
    runs.resize(runs.size() - random() % 4);
    return runs;
}

}  // namespace

// Every kind of file, cut short anywhere and read through pieces of small odd
// sizes, gives DecodeBmp's rows, each once, in the order the file stores them,
// or DecodeBmp's error before any row; no read is larger than a piece, a row or
// the largest palette, and a file much larger than a piece is read a piece at a time.
TEST(BmpRowReader, HandsOverTheRowsDecodeBmpReadsInFileOrderABandAtATime) {
    std::mt19937 random(25);
    struct Kind {
        int bits;
        uint32_t header, compression;
        int32_t width, height;
    };
    for (const Kind kind : {Kind{1, 40, 0, 13, 9}, Kind{4, 12, 0, 14, 9}, Kind{8, 124, 0, 15, 9},
                            Kind{16, 40, 0, 16, 9}, Kind{16, 40, 3, 17, 9}, Kind{24, 40, 0, 18, -9},
                            Kind{32, 56, 3, 19, 9}, Kind{8, 40, 1, 20, 9}, Kind{4, 40, 2, 21, 9}, Kind{8, 40, 1, 13, 5},
                            Kind{4, 40, 2, 9, 7}, Kind{24, 40, 0, 1000, 400}}) {
        BmpFile file{kind.header, kind.width, kind.height, kind.bits, kind.compression, {}, {}, {}};
        if (kind.bits <= 8) file.palette.assign(size_t(1) << kind.bits, PaletteEntry{1, 2, 3, 0});
        if (kind.compression == 3) file.masks = {0xF800u << (kind.bits - 16), 0x07E0, 0x001F};
        if (kind.compression == 1 || kind.compression == 2)
            file.pixels = RandomRuns(random, kind.bits == 4);
        else
            file.pixels.resize(Bitmap::ByteCountFor(kind.width, std::abs(kind.height), kind.bits));
        for (size_t i = 0; !kind.compression && i < file.pixels.size(); i += 1 + kind.width / 100)
            file.pixels[i] = static_cast<uint8_t>(random());
        const std::vector<uint8_t> whole = file.Bytes();
        for (size_t cut : {whole.size(), whole.size() - 1, whole.size() * 2 / 3, size_t(70), size_t(20)}) {
            const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
            Bitmap expected;
            const std::string outcome = Outcome([&] { expected = Decode(bytes); });
            for (size_t piece : {size_t(1), size_t(7), size_t(13), size_t(61), kBmpReadPiece}) {
                RecordingSource source(bytes);
                RowRecorder rows;
                const std::string at = std::to_string(kind.width) + " wide, " + std::to_string(cut) + " bytes, " +
                                       std::to_string(piece) + " a piece";
                ASSERT_EQ(Outcome([&] { DecodeBmpRows(source, rows, piece); }), outcome) << at;
                const size_t stride = Bitmap::StrideFor(kind.width, kind.bits);
                EXPECT_LE(source.largest, std::max<size_t>({piece, stride, 1024})) << at;  // 1.2 MB for the widest
                if (!outcome.empty()) {
                    EXPECT_TRUE(rows.picture.Empty()) << at;
                    continue;
                }
                std::vector<int32_t> order(static_cast<size_t>(expected.height));
                std::iota(order.begin(), order.end(), 0);
                if (kind.height > 0) std::reverse(order.begin(), order.end());
                EXPECT_EQ(rows.order, order) << at;
                EXPECT_TRUE(rows.picture.pixels == expected.pixels && rows.picture.palette == expected.palette &&
                            rows.picture.masks == expected.masks) << at;
            }
        }
    }
}

// A file that lacks only its last row's padding, as some writers leave it, is
// read whole, in memory and by pieces, bottom-up and top-down; one byte of
// pixels more missing and it is refused as before.
TEST(BmpReader, AFileShortOnlyOfItsLastRowsPaddingIsReadWhole) {
    std::mt19937 random(41);
    struct Kind {
        int bits;
        int32_t width, height;
    };
    for (const Kind kind : {Kind{24, 3, 5}, Kind{24, 5, -4}, Kind{8, 13, 6}, Kind{4, 3, 3}, Kind{1, 9, -7},
                            Kind{16, 1, 2}, Kind{24, 1001, 3}}) {
        BmpFile file{40, kind.width, kind.height, kind.bits, 0, {}, {}, {}};
        if (kind.bits <= 8) file.palette.assign(size_t(1) << kind.bits, PaletteEntry{1, 2, 3, 0});
        const size_t stride = Bitmap::StrideFor(kind.width, kind.bits);
        const size_t used = (size_t(kind.width) * size_t(kind.bits) + 7) / 8, padding = stride - used;
        file.pixels.assign(stride * size_t(std::abs(kind.height)), 0);
        for (size_t i = 0; i < file.pixels.size(); ++i)
            if (i % stride < used) file.pixels[i] = static_cast<uint8_t>(random());
        const std::vector<uint8_t> whole = file.Bytes();
        const Bitmap expected = Decode(whole);
        const std::string at = std::to_string(kind.bits) + " bits, " + std::to_string(kind.width) + " wide";
        for (size_t missing = 1; missing <= padding + 1; ++missing) {
            const std::vector<uint8_t> bytes(whole.begin(), whole.end() - static_cast<std::ptrdiff_t>(missing));
            if (missing > padding) {
                EXPECT_THROW(Decode(bytes), BmpError) << at;
                RecordingSource source(bytes);
                RowRecorder rows;
                EXPECT_THROW(DecodeBmpRows(source, rows, 7), BmpError) << at;
                continue;
            }
            EXPECT_EQ(Decode(bytes).pixels, expected.pixels) << at << ", " << missing << " missing";
            for (size_t piece : {size_t(7), kBmpReadPiece}) {
                RecordingSource source(bytes);
                RowRecorder rows;
                DecodeBmpRows(source, rows, piece);
                EXPECT_EQ(rows.picture.pixels, expected.pixels) << at << ", " << missing << " missing, " << piece;
            }
        }
    }
}
