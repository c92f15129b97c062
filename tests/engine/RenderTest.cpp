// Decoding, fitting and writing the wallpaper bitmap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "tests/image/CraftedPictures.h"
#include "tests/image/JpegFixture.h"
#include "tests/engine/RenderedCanvas.h"
#include "tests/engine/WholeCanvas.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "image/JpegDecoder.h"
#include "engine/Render.h"
#include "engine/Thumbnail.h"
#include "platform/Platform.h"

using testing_support::MakeJpeg;
using testing_support::RenderCanvas;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using testing_support::WriteTextFile;

namespace {

constexpr uint32_t kBlue = 0x00FF0000;  // 0x00BBGGRR

Bitmap ReadBmpFile(const std::string& path) {
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, 1u << 30);
    return DecodeBmp(bytes.data(), bytes.size());
}

std::vector<uint8_t> Pixel(const Bitmap& bitmap, int32_t x, int32_t y) {
    std::vector<uint8_t> row(static_cast<size_t>(bitmap.width) * 3);
    RowToBgr24(bitmap, y, row.data());
    return {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
}

const std::vector<uint8_t> kBlueBgr = {255, 0, 0};

bool NearRed(const std::vector<uint8_t>& bgr) { return bgr[2] > 230 && bgr[1] < 25 && bgr[0] < 25; }

}  // namespace

TEST(WallpaperFit, KeepsTheBandAndFitsEverythingElseWithEvenRounding) {
    struct Case {
        int32_t w, h;
        Fit::Rule rule;
        int32_t cw, ch, x, y;
    } cases[] = {
        {1024, 768, Fit::Band, 1024, 768, 0, 0},  {126, 100, Fit::Band, 126, 100, 0, 0},
        {135, 100, Fit::Band, 135, 100, 0, 0},    {125, 100, Fit::Wide, 125, 96, 0, -2},
        {136, 100, Fit::Wide, 136, 105, 0, 2},    {600, 800, Fit::Tall, 1040, 800, 220, 0},
        {1920, 1080, Fit::Wide, 1920, 1477, 0, 198}, {1280, 1024, Fit::Wide, 1280, 985, 0, -20},
        {1000, 1005, Fit::Tall, 1306, 1005, 153, 0}, {100, 100, Fit::Tall, 130, 100, 15, 0},
        {1, 1, Fit::Tall, 1, 1, 0, 0},            {1, 1000, Fit::Tall, 1300, 1000, 650, 0},
    };
    for (const Case& c : cases) {
        const Fit fit = ComputeFit(c.w, c.h);
        EXPECT_EQ(fit.rule, c.rule) << c.w << "x" << c.h;
        EXPECT_EQ(fit.canvasWidth, c.cw) << c.w << "x" << c.h;
        EXPECT_EQ(fit.canvasHeight, c.ch) << c.w << "x" << c.h;
        EXPECT_EQ(fit.x, c.x) << c.w << "x" << c.h;
        EXPECT_EQ(fit.y, c.y) << c.w << "x" << c.h;
    }
    EXPECT_EQ(RoundHalfEven(441, 2), 220);
    EXPECT_EQ(RoundHalfEven(443, 2), 222);
    EXPECT_EQ(RoundHalfEven(-39, 2), -20);
    EXPECT_EQ(RoundHalfEven(-41, 2), -20);
    EXPECT_EQ(RoundHalfEven(13065, 10), 1306);
    EXPECT_EQ(RoundHalfEven(19200, 13), 1477);
    // A picture too wide for any canvas is refused, not wrapped round.
    EXPECT_THROW(ComputeFit(1, 0x7FFFFFFF), std::length_error);
}

TEST(WallpaperRender, ATallJpegGetsSideBarsInTheBackgroundColour) {
    TempFolder folder;
    WriteBytes(folder / "tall.jpg", MakeJpeg(600, 800, [](int, int) { return 0xFF0000u; }));
    const Bitmap canvas = RenderCanvas(folder / "tall.jpg", {kBlue, 24});
    ASSERT_EQ(canvas.width, 1040);
    ASSERT_EQ(canvas.height, 800);
    EXPECT_EQ(canvas.bitsPerPixel, 24);
    for (int32_t y : {0, 399, 799}) {
        EXPECT_EQ(Pixel(canvas, 0, y), kBlueBgr);
        EXPECT_EQ(Pixel(canvas, 219, y), kBlueBgr);
        EXPECT_TRUE(NearRed(Pixel(canvas, 220, y)));
        EXPECT_TRUE(NearRed(Pixel(canvas, 819, y)));
        EXPECT_EQ(Pixel(canvas, 820, y), kBlueBgr);
        EXPECT_EQ(Pixel(canvas, 1039, y), kBlueBgr);
    }
}

TEST(WallpaperRender, AWideJpegIsCentredAndTooHighOnesLoseRowsEquallyAtTopAndBottom) {
    TempFolder folder;
    auto stripes = [](int x, int y) { return static_cast<uint32_t>((y * 7 % 256) << 16 | (x % 256) << 8 | 0x40); };
    const std::vector<uint8_t> jpeg = MakeJpeg(1280, 1024, stripes);
    WriteBytes(folder / "cut.JPEG", jpeg);
    const Bitmap whole = DecodeJpeg(jpeg.data(), jpeg.size(), false);
    const Bitmap canvas = RenderCanvas(folder / "cut.JPEG", {kBlue, 24});
    ASSERT_EQ(canvas.width, 1280);
    ASSERT_EQ(canvas.height, 985);
    // 20 rows are cut at the top and 19 at the bottom.
    for (int32_t y : {0, 500, 984})
        EXPECT_EQ(0, std::memcmp(canvas.Row(y), whole.Row(y + 20), 1280 * 3)) << y;

    WriteBytes(folder / "wide.jpg", MakeJpeg(1920, 1080, [](int, int) { return 0xFF0000u; }));
    const Bitmap wide = RenderCanvas(folder / "wide.jpg", {kBlue, 24});
    ASSERT_EQ(wide.height, 1477);
    EXPECT_EQ(Pixel(wide, 5, 197), kBlueBgr);
    EXPECT_TRUE(NearRed(Pixel(wide, 5, 198)));
    EXPECT_TRUE(NearRed(Pixel(wide, 5, 1277)));
    EXPECT_EQ(Pixel(wide, 5, 1278), kBlueBgr);  // 199 rows of background below
}

TEST(WallpaperRender, APictureInTheBandIsCopiedExactlyInItsOwnFormat) {
    TempFolder folder;
    Bitmap paletted;
    paletted.Reset(130, 100, 8);
    paletted.palette = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 130; ++x) paletted.Row(y)[x] = static_cast<uint8_t>((x + y) % 3);
    WriteBytes(folder / "band.BMP", EncodeBmp(paletted));
    RenderWallpaper(folder / "band.BMP", {kBlue, 24}, folder / "out.bmp");
    const Bitmap written = ReadBmpFile(folder / "out.bmp");
    EXPECT_EQ(written.bitsPerPixel, 8);
    EXPECT_EQ(written.palette, paletted.palette);
    EXPECT_EQ(written.pixels, paletted.pixels);

    // A JPEG in the band is written as decoded, 24 bits per pixel.
    const std::vector<uint8_t> jpeg = MakeJpeg(1024, 768, [](int x, int y) { return static_cast<uint32_t>(x ^ y); });
    WriteBytes(folder / "band.jpg", jpeg);
    RenderWallpaper(folder / "band.jpg", {kBlue, 24}, folder / "out.bmp");
    EXPECT_EQ(ReadBmpFile(folder / "out.bmp").pixels, DecodeJpeg(jpeg.data(), jpeg.size(), false).pixels);
}

TEST(WallpaperRender, FittedBitmapsOfEveryDepthBecomeTrueColour) {
    TempFolder folder;
    Bitmap sixteen;
    sixteen.Reset(10, 20, 16);
    sixteen.masks = {0xF800, 0x07E0, 0x001F};
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 10; ++x) sixteen.Row(y)[2 * x + 1] = 0xF8;  // pure red
    WriteBytes(folder / "tall.bmp", EncodeBmp(sixteen));
    const Bitmap canvas = RenderCanvas(folder / "tall.bmp", {0x00336699, 24});
    ASSERT_EQ(canvas.width, 26);
    EXPECT_EQ(canvas.bitsPerPixel, 24);
    EXPECT_EQ(Pixel(canvas, 7, 0), (std::vector<uint8_t>{0x33, 0x66, 0x99}));
    EXPECT_EQ(Pixel(canvas, 8, 0), (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ(Pixel(canvas, 17, 19), (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ(Pixel(canvas, 18, 19), (std::vector<uint8_t>{0x33, 0x66, 0x99}));
}

TEST(WallpaperRender, EightBitDisplaysGetAtMost236Colours) {
    TempFolder folder;
    auto rainbow = [](int x, int y) { return static_cast<uint32_t>((x * 3 % 256) << 16 | (y * 5 % 256) << 8 | 0x80); };
    WriteBytes(folder / "band.jpg", MakeJpeg(130, 100, rainbow));
    const Bitmap band = RenderCanvas(folder / "band.jpg", {kBlue, 8});
    EXPECT_EQ(band.bitsPerPixel, 8);
    EXPECT_LE(band.palette.size(), 236u);
    EXPECT_GT(band.palette.size(), 16u);

    WriteBytes(folder / "tall.jpg", MakeJpeg(100, 200, rainbow));
    const Bitmap fitted = RenderCanvas(folder / "tall.jpg", {kBlue, 8});
    EXPECT_EQ(fitted.bitsPerPixel, 24);
    EXPECT_EQ(fitted.width, 260);
    EXPECT_EQ(Pixel(fitted, 79, 50), kBlueBgr);
    std::set<std::vector<uint8_t>> colours;
    for (int32_t x = 80; x < 180; ++x) colours.insert(Pixel(fitted, x, 100));
    EXPECT_GT(colours.size(), 8u);
}

TEST(WallpaperRender, BadPicturesFailAndLeaveTheOldWallpaperFile) {
    TempFolder folder;
    const std::string output = folder / "TavrinWP.bmp";
    WriteTextFile(output, "the previous wallpaper");
    WriteTextFile(folder / "text.jpg", "this is not a picture");
    Bitmap small;
    small.Reset(13, 10, 24);
    WriteBytes(folder / "bitmap.jpg", EncodeBmp(small));
    WriteBytes(folder / "jpeg.bmp", MakeJpeg(13, 10, [](int, int) { return 0u; }));
    WriteBytes(folder / "photo.png", MakeJpeg(13, 10, [](int, int) { return 0u; }));
    std::vector<uint8_t> truncated = MakeJpeg(64, 48, [](int, int) { return 0u; });
    truncated.resize(40);
    WriteBytes(folder / "truncated.jpg", truncated);
    // A header claiming 65000 × 65000 pixels in a file of a few hundred bytes.
    std::vector<uint8_t> huge = MakeJpeg(16, 16, [](int, int) { return 0u; });
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFD;
            huge[i + 6] = huge[i + 8] = 0xE8;
            break;
        }
    WriteBytes(folder / "huge.jpg", huge);

    for (const char* name : {"text.jpg", "bitmap.jpg", "jpeg.bmp", "photo.png", "truncated.jpg", "huge.jpg",
                             "missing.jpg", ""}) {
        EXPECT_ANY_THROW(RenderWallpaper(*name ? folder / name : "", {kBlue, 24}, output)) << name;
        EXPECT_EQ(testing_support::ReadTextFile(output), "the previous wallpaper") << name;
    }
    EXPECT_FALSE(platform::FileExists(output + ".tmp"));

    // An output folder that has gone: the write fails.
    WriteBytes(folder / "ok.jpg", MakeJpeg(130, 100, [](int, int) { return 0u; }));
    EXPECT_THROW(RenderWallpaper(folder / "ok.jpg", {kBlue, 24}, folder / "gone\\TavrinWP.bmp"), platform::Error);
}

TEST(WallpaperRender, TinyFilesClaimingHugePicturesArePassedOverButCutPicturesShow) {
    TempFolder folder;
    const std::string output = folder / "TavrinWP.bmp";
    WriteTextFile(output, "the previous wallpaper");
    // 64 bytes claiming 13000 × 10000 pixels; 83 bytes claiming 18432 × 3,
    // whose fitted canvas would take 784 MB.
    const std::vector<uint8_t> claims = testing_support::RleBmp(13000, 10000, {0, 1});
    const std::vector<uint8_t> wide = testing_support::RleBmp(18432, 3, std::vector<uint8_t>(21, 1));
    ASSERT_EQ(claims.size() + wide.size(), 64u + 83u);
    WriteBytes(folder / "claims.bmp", claims);
    WriteBytes(folder / "wide.bmp", wide);
    for (const char* name : {"claims.bmp", "wide.bmp"}) {
        EXPECT_THROW(RenderWallpaper(folder / name, {kBlue, 24}, output), RenderError) << name;
        EXPECT_EQ(testing_support::ReadTextFile(output), "the previous wallpaper") << name;
    }
    EXPECT_THROW(LoadPreviewPicture(folder / "claims.bmp", 170, 130), RenderError);

    // A progressive JPEG whose header says 9000 × 6000, with a comment to make
    // the file large enough: 162 MB of pixels, but 324 MB of coefficients.
    std::vector<uint8_t> jpeg = MakeJpeg(16, 16, [](int, int) { return 0u; }, {3, false, true, 0, 90});
    const uint8_t frame[] = {0xFF, 0xC2}, size[] = {0x17, 0x70, 0x23, 0x28};  // height, width
    std::copy(size, size + 4, std::search(jpeg.begin(), jpeg.end(), frame, frame + 2) + 5);
    jpeg.insert(jpeg.begin() + 2, {0xFF, 0xFE, 0x4E, 0x22});  // a comment of 20000 bytes
    jpeg.insert(jpeg.begin() + 6, 20000, 'x');
    WriteBytes(folder / "progressive.jpg", jpeg);
    EXPECT_THROW(RenderWallpaper(folder / "progressive.jpg", {kBlue, 24}, output), RenderError);
    EXPECT_EQ(testing_support::ReadTextFile(output), "the previous wallpaper");
    EXPECT_THROW(LoadPreviewPicture(folder / "progressive.jpg", 170, 130), RenderError);

    // A real run-length picture cut after 50 of its 1000 lines, and a JPEG cut
    // in half, still show as far as they go.
    std::vector<uint8_t> lines;
    for (int line = 0; line < 50; ++line) lines.insert(lines.end(), {255, 1, 255, 1, 0, 0});
    WriteBytes(folder / "cut.bmp", testing_support::RleBmp(1300, 1000, lines));
    const Bitmap cut = RenderCanvas(folder / "cut.bmp", {kBlue, 24});
    ASSERT_EQ(cut.width, 1300);
    EXPECT_EQ(Pixel(cut, 509, 999), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(Pixel(cut, 510, 999), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(Pixel(cut, 0, 949), (std::vector<uint8_t>{0, 0, 0}));
    std::vector<uint8_t> half = MakeJpeg(260, 200, [](int, int) { return 0xFF0000u; });
    half.resize(half.size() / 2);
    WriteBytes(folder / "half.jpg", half);
    EXPECT_TRUE(NearRed(Pixel(RenderCanvas(folder / "half.jpg", {kBlue, 24}), 10, 10)));
}

// The bitmap written row by row is byte for byte the canvas made whole, for
// every depth and layout of BMP file, JPEG pictures, every fitting rule, bars
// and bands longer than the rows RenderWallpaper holds at once, and displays
// of 24 and 8 bits; a picture one way refuses, the other refuses too.
TEST(WallpaperRender, TheBitmapWrittenRowByRowIsTheCanvasMadeWhole) {
    TempFolder folder;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> pictures;
    auto bmp = [&](const char* name, int32_t w, int32_t h, int bits, std::array<uint32_t, 3> masks = {}) {
        Bitmap b;
        b.Reset(w, h, bits);
        b.masks = masks;
        for (int i = 0; bits <= 8 && i < (bits == 1 ? 2 : 11); ++i) b.palette.push_back({uint8_t(i * 20), uint8_t(i), 90, 0});
        for (size_t i = 0; i < b.pixels.size(); ++i) b.pixels[i] = static_cast<uint8_t>(i * 131 ^ i >> 9);
        pictures.emplace_back(name, EncodeBmp(b));
    };
    bmp("wide1.bmp", 37, 9, 1), bmp("tall4.bmp", 13, 40, 4), bmp("band8.bmp", 130, 100, 8);
    bmp("cut16.bmp", 125, 100, 16), bmp("fields16.bmp", 41, 77, 16, {0xF800, 0x07E0, 0x001F});
    bmp("tall24.bmp", 1000, 800, 24), bmp("wide24.bmp", 2000, 700, 24), bmp("odd32.bmp", 7, 3, 32);
    bmp("fields32.bmp", 30, 23, 32, {0xFF000000, 0x00FF0000, 0x0000FF00});
    // Top-down: the height negative and the rows in the other order.
    std::vector<uint8_t> down = pictures[6].second;
    const size_t head = down[10] | down[11] << 8, stride = 6000;
    for (size_t top = head, bottom = down.size() - stride; top < bottom; top += stride, bottom -= stride)
        std::swap_ranges(down.begin() + top, down.begin() + top + stride, down.begin() + bottom);
    const int32_t up = -700;
    std::memcpy(&down[22], &up, 4);
    pictures.emplace_back("down24.bmp", down);
    std::vector<uint8_t> lines;
    for (int line = 0; line < 50; ++line) lines.insert(lines.end(), {255, 1, 100, 0, 0, 2, 3, 4, 0, 0});
    pictures.emplace_back("rle8.bmp", testing_support::RleBmp(1300, 1000, lines));
    pictures.emplace_back("rle8wide.bmp", testing_support::RleBmp(200, 60, lines));
    std::vector<uint8_t> rle4 = testing_support::RleBmp(60, 90, lines);
    rle4[28] = 4, rle4[30] = 2;  // the same records as 4-bit run-length
    pictures.emplace_back("rle4.bmp", rle4);
    auto colour = [](int x, int y) { return static_cast<uint32_t>((x * 7 % 256) << 16 | (y * 3 % 256) << 8 | (x ^ y) % 256); };
    pictures.emplace_back("cut.jpg", MakeJpeg(1280, 1024, colour));
    pictures.emplace_back("tall.jpg", MakeJpeg(600, 800, colour));
    pictures.emplace_back("band.jpg", MakeJpeg(130, 100, colour));
    pictures.emplace_back("wide.jpg", MakeJpeg(2000, 900, colour, {.progressive = true}));
    pictures.emplace_back("grey.jpg", MakeJpeg(333, 101, colour, {.components = 1}));
    pictures.emplace_back("cmyk.jpg", MakeJpeg(40, 30, colour, {.components = 4}));

    const std::string output = folder / "TavrinWP.bmp";
    for (const auto& [name, bytes] : pictures) {
        WriteBytes(folder / name, bytes);
        for (int bits : {24, 8}) {
            WriteTextFile(output, "old");
            std::vector<uint8_t> expected = {'o', 'l', 'd'};
            try {
                expected = testing_support::WholeCanvasBmp(folder / name, {0x00336699, bits});
            } catch (const std::exception&) {
                EXPECT_ANY_THROW(RenderWallpaper(folder / name, {0x00336699, bits}, output)) << name << bits;
            }
            if (expected.size() > 3) RenderWallpaper(folder / name, {0x00336699, bits}, output);
            EXPECT_TRUE(platform::ReadFileBytes(output, 1u << 30) == expected) << name << " " << bits;
        }
    }
    // A picture that is the bitmap itself is replaced by its own wallpaper.
    const std::vector<uint8_t> own = testing_support::WholeCanvasBmp(folder / "rle4.bmp", {0x00336699, 24});
    RenderWallpaper(folder / "rle4.bmp", {0x00336699, 24}, folder / "rle4.bmp");
    EXPECT_TRUE(platform::ReadFileBytes(folder / "rle4.bmp", 1u << 30) == own);
}
