// The readers against the reference tools on the same files: ImageMagick's
// -auto-orient for the Exif orientations, libjpeg-turbo's djpeg for CMYK and
// YCCK files. Host only: the tools run beside the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <utility>
#include <iterator>
#include <sstream>
#include <string>

#include "TestSupport.h"
#include "engine/Thumbnail.h"
#include "image/Exif.h"
#include "engine/PictureFile.h"
#include "engine/Render.h"
#include "tests/engine/WholeCanvas.h"
#include "image/JpegDecoder.h"
#include "image/PngDecoder.h"
#include "image/WebpDecoder.h"
#include "platform/Platform.h"
#include "image/Reduction.h"
#include "tests/image/JpegFixture.h"
#include "tools/Crc32.h"

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

namespace {

int Shell(const std::string& command) { return std::system(("{ " + command + "; } 2>/dev/null").c_str()); }

// The picture a reader gives for the file at `path` (by kind), blended over `background`.
Bitmap ReadThrough(std::unique_ptr<PictureReader> (*make)(ByteSource&), const std::string& path, uint32_t background) {
    const std::unique_ptr<platform::InputFile> input = platform::OpenInputFile(path);
    PictureFileSource source(*input);
    const std::unique_ptr<PictureReader> reader = make(source);
    const PictureHeader header = reader->Header();
    WholeRows rows;
    ReadOptions options;
    options.background = background;
    reader->Rows(rows, options);
    EXPECT_TRUE(rows.bitmap.width == header.width && rows.bitmap.height == header.height) << path;
    return rows.bitmap;
}

// Pixels that differ by more than one level (the last rounding of a blend may
// fall either way), and the largest difference.
std::pair<int, int> Differences(const Bitmap& a, const Bitmap& b) {
    if (a.width != b.width || a.height != b.height) return {-1, -1};
    int beyond = 0, largest = 0;
    for (int32_t y = 0; y < a.height; ++y)
        for (size_t i = 0; i < size_t(a.width) * 3; ++i) {
            const int d = std::abs(int(a.Row(y)[i]) - int(b.Row(y)[i]));
            largest = std::max(largest, d);
            beyond += d > 1;
        }
    return {beyond, largest};
}

// Red, green and blue ramps and an alpha pattern, 16 bits deep.
const char* const kRgbaSource =
    "convert -size 37x23 xc:red -alpha set -depth 16 -channel R -fx 'i/w' -channel G -fx 'j/h' "
    "-channel B -fx '(i*j%7)/7' -channel A -fx '0.25+0.75*((i+j)%5)/4'";

}  // namespace

// A PNG of every colour type and depth, interlaced or not, against
// ImageMagick's decode of the same file with alpha removed over the same
// background, within one level (the rounding of a blend or of 16 bits to 8),
// and opaque ones pixel for pixel against netpbm's.
TEST(PngReader, EveryColourTypeAndDepthAsTheReferenceDecodesIt) {
    TempFolder folder;
    const std::string dir = Posix(folder.Path());
    ASSERT_EQ(Shell(std::string(kRgbaSource) + " '" + dir + "/source.png'"), 0);
    struct Kind {
        int type, depth;
        bool trns;
    };
    const uint32_t background = 0x00336699;  // 0x00BBGGRR: red 0x99, green 0x66, blue 0x33
    for (const Kind kind : {Kind{0, 1, false}, Kind{0, 2, false}, Kind{0, 4, false}, Kind{0, 8, false},
                            Kind{0, 16, false}, Kind{2, 8, false}, Kind{2, 16, false}, Kind{3, 1, false},
                            Kind{3, 2, false}, Kind{3, 4, false}, Kind{3, 8, false}, Kind{3, 2, true},
                            Kind{3, 4, true}, Kind{3, 8, true}, Kind{4, 8, false}, Kind{4, 16, false},
                            Kind{6, 8, false}, Kind{6, 16, false}})
        for (bool interlaced : {false, true}) {
            const std::string depth = std::to_string(kind.depth), type = std::to_string(kind.type);
            const std::string at = "type " + type + ", " + depth + " bits" + (kind.trns ? ", tRNS" : "") +
                                   (interlaced ? ", Adam7" : "");
            const std::string png = dir + "/t.png";
            std::string options = (kind.type == 0 || kind.type == 2 || (kind.type == 3 && !kind.trns)) ? "-alpha off " : "";
            if (kind.type == 0 || kind.type == 4) options += "-colorspace gray ";
            if (kind.type == 3)
                options += kind.trns ? "-channel A -fx '(i+j)%3==0?0:1' +channel -colors " +
                                           std::to_string(std::max(1, (1 << kind.depth) - 1)) + " "
                                     : "-colors " + std::to_string(std::max(1, 1 << (kind.depth - 1))) + " ";
            options += "-define png:bit-depth=" + depth + (interlaced ? " -interlace PNG " : " -interlace none ");
            options += kind.trns ? "PNG8:" : "-define png:color-type=" + type + " ";
            ASSERT_EQ(Shell("convert '" + dir + "/source.png' " + options + "'" + png + "'"), 0) << at;
            std::ifstream in(png, std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ASSERT_GT(bytes.size(), 29u) << at;
            const bool trns = bytes.end() != std::search(bytes.begin(), bytes.end(), "tRNS", "tRNS" + 4);
            EXPECT_TRUE(bytes[24] == kind.depth && bytes[25] == kind.type && bytes[28] == (interlaced ? 1 : 0) &&
                        trns == kind.trns)
                << at << ": written as type " << int(bytes[25]) << ", " << int(bytes[24]) << " bits";
            ASSERT_EQ(Shell("convert '" + png + "' -colorspace sRGB -background '#996633' -alpha remove -alpha off -depth 8 '" + dir +
                          "/ref.ppm'"),
                      0);
            const Bitmap expected = ReadPpm(dir + "/ref.ppm");
            const Bitmap decoded = ReadThrough(MakePngReader, png, background);
            const auto [beyond, largest] = Differences(decoded, expected);
            EXPECT_EQ(beyond, 0) << at << ", largest difference " << largest;
            // Opaque pictures pixel for pixel as netpbm decodes them through
            // libpng (ImageMagick's reading of 16-bit files is a level off in places).
            if (kind.type < 4 && !kind.trns) {
                ASSERT_EQ(Shell("pngtopnm '" + png + "' | ppmtoppm | pnmdepth 255 > '" + dir + "/netpbm.ppm'"), 0);
                EXPECT_EQ(decoded.pixels, ReadPpm(dir + "/netpbm.ppm").pixels) << at;
            }
        }
}

// A damaged PNG is refused: a bad CRC in a critical chunk, a cut anywhere, a
// header that is not PNG; a bad CRC in an ancillary chunk drops only that
// chunk; an APNG shows its default image.
TEST(PngReader, RefusesDamageButPassesOverABadAncillaryChecksum) {
    TempFolder folder;
    const std::string dir = Posix(folder.Path());
    ASSERT_EQ(Shell(std::string(kRgbaSource) + " -set comment hello -depth 8 '" + dir + "/good.png'"), 0);
    std::ifstream in(dir + "/good.png", std::ios::binary);
    const std::vector<uint8_t> good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Bitmap whole = ReadThrough(MakePngReader, dir + "/good.png", 0);
    const auto chunk = [&](const char* name) {
        return size_t(std::search(good.begin(), good.end(), name, name + 4) - good.begin());
    };
    const auto outcome = [&](const std::vector<uint8_t>& bytes) {
        WriteBytes(folder / "bad.png", bytes);
        try {
            return ReadThrough(MakePngReader, dir + "/bad.png", 0).pixels == whole.pixels ? "same" : "other";
        } catch (const PngError&) {
            return "refused";
        }
    };
    for (const char* critical : {"IHDR", "IDAT"}) {
        std::vector<uint8_t> bytes = good;
        const size_t at = chunk(critical);
        const uint32_t length = uint32_t(bytes[at - 4]) << 24 | bytes[at - 3] << 16 | bytes[at - 2] << 8 | bytes[at - 1];
        bytes[at + 4 + length] ^= 1;  // the CRC's first byte
        EXPECT_STREQ(outcome(bytes), "refused") << critical;
    }
    std::vector<uint8_t> text = good;
    const size_t at = chunk("tEXt");
    ASSERT_LT(at, good.size());
    text[at + 5] ^= 1;  // the chunk's data, its CRC left as it was
    EXPECT_STREQ(outcome(text), "same");
    for (size_t cut : {size_t(0), size_t(7), size_t(30), good.size() / 2, good.size() - 13})
        EXPECT_STREQ(outcome(std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(cut))), "refused") << cut;

    // An APNG (acTL and a frame control before the image data, a second frame
    // after it, made of the first one's data) shows its default image.
    const auto made = [](const char* name, const std::vector<uint8_t>& data) {
        std::vector<uint8_t> chunk = {uint8_t(data.size() >> 24), uint8_t(data.size() >> 16), uint8_t(data.size() >> 8),
                                      uint8_t(data.size())};
        chunk.insert(chunk.end(), name, name + 4);
        chunk.insert(chunk.end(), data.begin(), data.end());
        Crc32 crc;
        crc.Add(chunk.data() + 4, chunk.size() - 4);
        for (int i = 3; i >= 0; --i) chunk.push_back(uint8_t(crc.Value() >> (8 * i)));
        return chunk;
    };
    const auto u32 = [](uint32_t v) { return std::vector<uint8_t>{uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; };
    const auto frame = [&](uint32_t sequence) {
        std::vector<uint8_t> control = u32(sequence);
        for (uint32_t v : {uint32_t(whole.width), uint32_t(whole.height), 0u, 0u}) {
            const std::vector<uint8_t> bytes = u32(v);
            control.insert(control.end(), bytes.begin(), bytes.end());
        }
        control.insert(control.end(), {0, 1, 0, 10, 0, 0});  // 1/10 s, no disposal, source
        return made("fcTL", control);
    };
    const size_t idat = chunk("IDAT") - 4, idatLength = size_t(good[idat]) << 24 | good[idat + 1] << 16 |
                                                         good[idat + 2] << 8 | good[idat + 3];
    std::vector<uint8_t> second = u32(2);
    second.insert(second.end(), good.begin() + std::ptrdiff_t(idat + 8), good.begin() + std::ptrdiff_t(idat + 8 + idatLength));
    std::vector<uint8_t> apng(good.begin(), good.begin() + std::ptrdiff_t(idat));
    for (const std::vector<uint8_t>& part : {made("acTL", {0, 0, 0, 2, 0, 0, 0, 0}), frame(0)})
        apng.insert(apng.end(), part.begin(), part.end());
    apng.insert(apng.end(), good.begin() + std::ptrdiff_t(idat), good.begin() + std::ptrdiff_t(idat + 12 + idatLength));
    for (const std::vector<uint8_t>& part : {frame(1), made("fdAT", second)}) apng.insert(apng.end(), part.begin(), part.end());
    apng.insert(apng.end(), good.begin() + std::ptrdiff_t(idat + 12 + idatLength), good.end());
    EXPECT_STREQ(outcome(apng), "same");
}

// WebP files, lossy and lossless, with and without alpha, and an animation's
// first frame, against dwebp's decode of the same file with alpha removed by
// ImageMagick over the same background.
TEST(WebpReader, LossyLosslessAlphaAndAnimationAsDwebpDecodesThem) {
    TempFolder folder;
    const std::string dir = Posix(folder.Path());
    ASSERT_EQ(Shell(std::string(kRgbaSource) + " -depth 8 '" + dir + "/alpha.png'"), 0);
    ASSERT_EQ(Shell("convert '" + dir + "/alpha.png' -alpha off '" + dir + "/opaque.png'"), 0);
    ASSERT_EQ(Shell("convert '" + dir + "/opaque.png' -negate '" + dir + "/second.png'"), 0);
    const std::string cwebp = "cwebp -quiet ";
    struct Case {
        const char* name;
        std::string make;
        const char* reference;  // the file dwebp decodes
    } cases[] = {
        {"lossy", cwebp + "-q 80 opaque.png -o lossy.webp", "lossy.webp"},
        {"lossy-alpha", cwebp + "-q 80 alpha.png -o lossy-alpha.webp", "lossy-alpha.webp"},
        {"lossless", cwebp + "-lossless opaque.png -o lossless.webp", "lossless.webp"},
        {"lossless-alpha", cwebp + "-lossless -exact alpha.png -o lossless-alpha.webp", "lossless-alpha.webp"},
        {"animation", "img2webp -lossless alpha.png second.png -o animation.webp", "lossless-alpha.webp"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Shell("cd '" + dir + "' && " + c.make), 0) << c.name;
        ASSERT_EQ(Shell("cd '" + dir + "' && dwebp -pam " + c.reference + " -o ref.pam && convert ref.pam -background "
                      "'#996633' -alpha remove -alpha off ref.ppm"),
                  0)
            << c.name;
        const Bitmap expected = ReadPpm(dir + "/ref.ppm");
        const Bitmap decoded = ReadThrough(MakeWebpReader, dir + "/" + c.name + ".webp", 0x00336699);
        const auto [beyond, largest] = Differences(decoded, expected);
        EXPECT_EQ(beyond, 0) << c.name << ", largest difference " << largest;
        if (std::string(c.name).find("alpha") == std::string::npos && std::string(c.name) != "animation") {
            EXPECT_EQ(decoded.pixels, expected.pixels) << c.name;
        }
    }
    // A cut file is refused from its header or its data.
    std::ifstream in(dir + "/lossy.webp", std::ios::binary);
    std::vector<uint8_t> cut((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    cut.resize(cut.size() / 2);
    WriteBytes(folder / "cut.webp", cut);
    EXPECT_THROW(ReadThrough(MakeWebpReader, dir + "/cut.webp", 0), WebpError);
    // So is a bare VP8 stream without its RIFF container (a 9 x 6 key frame that
    // libwebp and dwebp alone would take).
    WriteBytes(folder / "bare.webp", {0xf0, 0, 0, 0x9d, 0x01, 0x2a, 9, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_THROW(ReadThrough(MakeWebpReader, dir + "/bare.webp", 0), WebpError);
}

// A change of a PNG, a WebP and a turned JPEG writes, row by row, the bitmap
// the canvas made whole in memory gives, for each fit rule and display depth:
// the new readers stream into the wallpaper as the old ones do.
TEST(NewReadersInAChange, TheBitmapWrittenRowByRowIsTheCanvasMadeWhole) {
    TempFolder folder;
    const std::string dir = Posix(folder.Path());
    struct Picture {
        std::string name, make;
    };
    const std::string rgba = std::string(kRgbaSource).substr(std::string("convert -size 37x23 ").size());
    std::vector<Picture> pictures;
    for (const char* size : {"130x100", "90x160", "400x120"}) {  // band, tall, wide
        const std::string s = size;
        pictures.push_back({"a" + s + ".png", "convert -size " + s + " " + rgba + " a" + s + ".png"});
        pictures.push_back({"i" + s + ".png", "convert -size " + s + " " + rgba + " -interlace PNG i" + s + ".png"});
        pictures.push_back({"p" + s + ".png", "convert -size " + s + " " + rgba + " -alpha off -colors 5 -define png:bit-depth=4 -define png:color-type=3 p" + s + ".png"});
        pictures.push_back({"w" + s + ".webp", "convert -size " + s + " " + rgba + " -depth 8 w.png && cwebp -quiet w.png -o w" + s + ".webp"});
    }
    for (const Picture& picture : pictures) ASSERT_EQ(Shell("cd '" + dir + "' && " + picture.make), 0) << picture.name;
    for (int orientation : {3, 6}) {
        const std::string name = "o" + std::to_string(orientation) + ".jpg";
        WriteBytes(folder / name, WithSegment(MakeJpeg(400, 120, Colour), ExifSegment(orientation, false)));
        pictures.push_back({name, ""});
    }
    for (const Picture& picture : pictures)
        for (int bits : {24, 8}) {
            RenderOptions options;
            options.background = 0x00336699;
            options.displayBits = bits;
            RenderWallpaper(folder / picture.name, options, folder / "wallpaper.bmp");
            const std::vector<uint8_t> written = platform::ReadFileBytes(folder / "wallpaper.bmp", 1u << 24);
            EXPECT_EQ(written, testing_support::WholeCanvasBmp(folder / picture.name, options))
                << picture.name << " at " << bits << " bits";
        }
}
