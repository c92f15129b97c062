// The readers against the reference tools on the same files: ImageMagick's
// -auto-orient for the Exif orientations, libjpeg-turbo's djpeg for CMYK and
// YCCK files. Host only: the tools run beside the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "TestSupport.h"
#include "engine/Thumbnail.h"
#include "image/Exif.h"
#include "image/JpegDecoder.h"
#include "image/Reduction.h"
#include "tests/image/JpegFixture.h"

using testing_support::JpegLayout;
using testing_support::MakeJpeg;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

std::string Posix(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// A binary PPM (P6, maxval 255) as a 24-bit blue-green-red bitmap.
Bitmap ReadPpm(const std::string& path) {
    std::ifstream in(Posix(path), std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    Bitmap bitmap;
    if (magic != "P6" || maxval != 255 || width <= 0 || height <= 0) return bitmap;
    bitmap.Reset(width, height, 24);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            char rgb[3];
            in.read(rgb, 3);
            uint8_t* p = bitmap.Row(y) + 3 * x;
            p[0] = uint8_t(rgb[2]), p[1] = uint8_t(rgb[1]), p[2] = uint8_t(rgb[0]);
        }
    return in ? bitmap : Bitmap();
}

// A reference tool's picture: `command` with IN and OUT standing for the files.
Bitmap Reference(const TempFolder& folder, const std::vector<uint8_t>& file, const std::string& command) {
    WriteBytes(folder / "in.jpg", file);
    std::string line = command;
    line.replace(line.find("IN"), 2, "'" + Posix(folder / "in.jpg") + "'");
    line.replace(line.find("OUT"), 3, "'" + Posix(folder / "out.ppm") + "'");
    if (std::system(line.c_str()) != 0) return Bitmap();
    return ReadPpm(folder / "out.ppm");
}

// An APP1 segment with an Exif block whose first directory holds `orientation`
// after a tag that comes before it, in either byte order.
std::vector<uint8_t> ExifSegment(int orientation, bool bigEndian) {
    std::vector<uint8_t> tiff = bigEndian ? std::vector<uint8_t>{'M', 'M', 0, 42, 0, 0, 0, 8}
                                          : std::vector<uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            tiff.push_back(uint8_t(value >> (8 * (bigEndian ? bytes - 1 - i : i))));
    };
    put(2, 2);                                                  // two entries
    put(0x010F, 2), put(2, 2), put(4, 4), put(0x41424300, 4);   // Make, ASCII "ABC"
    put(0x0112, 2), put(3, 2), put(1, 4), put(uint32_t(orientation) << (bigEndian ? 16 : 0), 4);
    put(0, 4);                                                  // no next directory
    std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = uint8_t((segment.size() - 2) >> 8), segment[3] = uint8_t(segment.size() - 2);
    return segment;
}

std::vector<uint8_t> WithSegment(std::vector<uint8_t> jpeg, const std::vector<uint8_t>& segment) {
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

struct WholeRows final : PictureSink {
    Bitmap bitmap;
    std::vector<int32_t> order;
    void Begin(const PixelFormat& format) override {
        static_cast<PixelFormat&>(bitmap) = format;
        bitmap.Reset(format.width, format.height, format.bitsPerPixel);
    }
    void Row(int32_t y, const uint8_t* row) override {
        order.push_back(y);
        std::memcpy(bitmap.Row(y), row, bitmap.Stride());
    }
};

uint32_t Colour(int x, int y) { return static_cast<uint32_t>((x * 9 % 256) << 16 | (y * 5 % 256) << 8 | (x * y) % 256); }

}  // namespace

// Each orientation, in both byte orders, comes out as ImageMagick turns it,
// pixel for pixel, with its rows in one order and the header's size upright;
// the preview shows the same upright picture, reduced.
TEST(ExifOrientation, EachOrientationComesOutAsTheReferenceTurnsIt) {
    TempFolder folder;
    const std::vector<uint8_t> plain = MakeJpeg(37, 23, Colour, JpegLayout{.subsampled = false});
    const std::vector<uint8_t> large = MakeJpeg(640, 400, Colour);
    for (int orientation = 1; orientation <= 8; ++orientation)
        for (bool bigEndian : {false, true}) {
            const std::vector<uint8_t> file = WithSegment(plain, ExifSegment(orientation, bigEndian));
            const std::string at = "orientation " + std::to_string(orientation) + (bigEndian ? " MM" : " II");
            const Bitmap expected = Reference(folder, file, "convert IN -auto-orient OUT");
            ASSERT_FALSE(expected.Empty()) << at;
            WholeRows rows;
            DecodeJpeg(file.data(), file.size(), false, rows);
            EXPECT_EQ(rows.bitmap.width, expected.width) << at;
            EXPECT_EQ(rows.bitmap.pixels, expected.pixels) << at;
            const bool bottomUp = orientation == 3 || orientation == 4;
            EXPECT_EQ(rows.order.front(), bottomUp ? rows.bitmap.height - 1 : 0) << at;
            const JpegSize size = ReadJpegSize(file.data(), file.size());
            EXPECT_TRUE(size.width == expected.width && size.height == expected.height && size.orientation == orientation)
                << at;
            // The preview decodes at the smallest scale that covers the box and
            // turns that (1/2 upright, 1/4 for the turned portrait, 400 x 640 in
            // a box of 170 x 130): djpeg's scaled picture turned by
            // ImageMagick's own operation, then reduced.
            static const char* const kTurns[] = {"", "-flop", "-rotate 180", "-flip",
                                                 "-transpose", "-rotate 90", "-transverse", "-rotate 270"};
            WriteBytes(folder / "big.jpg", WithSegment(large, ExifSegment(orientation, bigEndian)));
            const Bitmap preview = LoadPreviewPicture(folder / "big.jpg", 170, 130);
            const Bitmap half = Reference(folder, large, std::string("djpeg -pnm -scale 1/") +
                                                             (orientation >= 5 ? "4" : "2") + " IN | convert - " +
                                                             kTurns[orientation - 1] + " OUT");
            ASSERT_FALSE(half.Empty()) << at;
            const bool tall = half.height > half.width;
            EXPECT_EQ(preview.pixels, ReducePicture(half, tall ? 81 : 170, tall ? 130 : 106).pixels) << at;
        }
}

// Hostile and malformed Exif blocks mean orientation 1 and never a read
// outside the block: every cut of a good block, a directory pointing out of
// it, a count beyond it, a wrong type, a value out of range.
TEST(ExifOrientation, MalformedBlocksMeanUpright) {
    std::vector<uint8_t> good = ExifSegment(6, false);
    good.erase(good.begin(), good.begin() + 4);  // the block without the marker and length
    EXPECT_EQ(ExifOrientation(good.data(), good.size()), 6);
    for (size_t cut = 0; cut < good.size() - 4; ++cut) {
        const std::vector<uint8_t> part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(ExifOrientation(part.data(), part.size()), 1) << cut;
    }
    const auto changed = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = good;
        bytes[at] = value;
        return ExifOrientation(bytes.data(), bytes.size());
    };
    EXPECT_EQ(changed(6 + 4, 0xFF), 1);    // the directory beyond the block
    EXPECT_EQ(changed(6 + 8, 0xFF), 1);    // more entries than the block holds
    EXPECT_EQ(changed(6 + 24, 4), 1);      // the orientation as a LONG
    EXPECT_EQ(changed(6 + 30, 9), 1);      // orientation 9
    EXPECT_EQ(changed(6 + 30, 0), 1);      // orientation 0
    EXPECT_EQ(changed(6 + 2, 43), 1);      // not a TIFF structure
    EXPECT_EQ(changed(0, 'e'), 1);         // not an Exif block
    EXPECT_EQ(ExifOrientation(nullptr, 0), 1);
}

// CMYK and YCCK files, with Adobe's marker as libjpeg writes them, come out as
// djpeg's colour output, at full size and at the preview's reduced scales.
TEST(CmykJpeg, CmykAndYcckComeOutAsDjpegShowsThem) {
    TempFolder folder;
    const auto ink = [](int x, int y) {
        return static_cast<uint32_t>((x * 5 % 256) | (y * 7 % 256) << 8 | ((x + y) * 3 % 256) << 16 | (x * y % 200) << 24);
    };
    for (bool ycck : {false, true})
        for (bool progressive : {false, true}) {
            const std::vector<uint8_t> file =
                MakeJpeg(61, 45, ink, JpegLayout{.components = 4, .progressive = progressive, .ycck = ycck});
            const std::string at = std::string(ycck ? "YCCK" : "CMYK") + (progressive ? " progressive" : "");
            for (int scale : {1, 2, 8}) {
                const Bitmap expected =
                    Reference(folder, file, "djpeg -pnm -scale 1/" + std::to_string(scale) + " -outfile OUT IN");
                ASSERT_FALSE(expected.Empty()) << at;
                WholeRows rows;
                DecodeJpegScaled(file.data(), file.size(), scale, rows);
                EXPECT_EQ(rows.bitmap.pixels, expected.pixels) << at << " 1/" << scale;
            }
            // On a display of 8 bits a CMYK picture stays 24-bit rather than failing.
            WholeRows quantised;
            DecodeJpeg(file.data(), file.size(), true, quantised);
            EXPECT_EQ(quantised.bitmap.bitsPerPixel, 24) << at;
        }
}
