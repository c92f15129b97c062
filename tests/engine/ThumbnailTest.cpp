// Pictures made small for the preview box: placement and the reduced-scale
// JPEG decode (the reduction itself is tested with the pictures, in image/).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "tests/image/JpegFixture.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "image/JpegDecoder.h"
#include "engine/Thumbnail.h"
#include "platform/Platform.h"

using testing_support::MakeJpeg;
using testing_support::TempFolder;
using testing_support::WriteBytes;

TEST(PreviewPlacement, CentresAndReducesProportionallyButNeverEnlarges) {
    struct Case {
        int32_t w, h, x, y, pw, ph;
    } cases[] = {
        {150, 112, 10, 9, 150, 112},   // the default picture: smaller, centred
        {170, 130, 0, 0, 170, 130},    // exactly the box
        {6000, 4000, 0, 8, 170, 113},  // wide: the width decides
        {600, 800, 36, 0, 97, 130},    // tall: the height decides
        {171, 10, 0, 60, 170, 9},      // one pixel too wide
        {10, 1000, 84, 0, 1, 130},     // very thin: at least one pixel
        {1, 1, 84, 64, 1, 1},
    };
    for (const Case& c : cases) {
        const PreviewPlacement place = PlacePreview(c.w, c.h, 170, 130);
        EXPECT_EQ(place.width, c.pw) << c.w << "x" << c.h;
        EXPECT_EQ(place.height, c.ph) << c.w << "x" << c.h;
        EXPECT_EQ(place.x, c.x) << c.w << "x" << c.h;
        EXPECT_EQ(place.y, c.y) << c.w << "x" << c.h;
    }
}

TEST(PreviewPicture, AReducedScaleDecodeLooksLikeTheFullOneAtTheBoxSize) {
    TempFolder folder;
    auto photo = [](int x, int y) {
        return static_cast<uint32_t>((x * 255 / 2400) << 16 | (y * 255 / 1600) << 8 | ((x / 40 + y / 40) % 2) * 200);
    };
    const std::vector<uint8_t> jpeg = MakeJpeg(2400, 1600, photo);
    WriteBytes(folder / "big.jpg", jpeg);
    const Bitmap preview = LoadPreviewPicture(folder / "big.jpg", 170, 130);
    ASSERT_EQ(preview.width, 170);
    ASSERT_EQ(preview.height, 113);
    const Bitmap full = DecodeJpeg(jpeg.data(), jpeg.size(), false);
    const Bitmap reference = ReducePicture(full, 170, 113);
    long difference = 0;
    for (size_t i = 0; i < preview.pixels.size(); ++i) difference += std::abs(preview.pixels[i] - reference.pixels[i]);
    EXPECT_LT(static_cast<double>(difference) / static_cast<double>(preview.pixels.size()), 3.0);

    // Bitmaps and small pictures come at their own size, in 24 bits.
    Bitmap small;
    small.Reset(150, 112, 8);
    small.palette.assign(256, PaletteEntry{10, 20, 30, 0});
    WriteBytes(folder / "twp.BMP", EncodeBmp(small));
    const Bitmap kept = LoadPreviewPicture(folder / "twp.BMP", 170, 130);
    EXPECT_EQ(kept.width, 150);
    EXPECT_EQ(kept.bitsPerPixel, 24);
    EXPECT_EQ(kept.Row(5)[0], 10);

    EXPECT_ANY_THROW(LoadPreviewPicture(folder / "missing.jpg", 170, 130));
    EXPECT_ANY_THROW(LoadPreviewPicture(folder / "big.gif", 170, 130));
    testing_support::WriteTextFile(folder / "bad.jpg", "no");
    EXPECT_ANY_THROW(LoadPreviewPicture(folder / "bad.jpg", 170, 130));
}

// The preview reduces a BMP's rows as they are decoded, bottom-up or top-down
// as the file stores them: pixel for pixel the whole picture reduced.
TEST(PreviewPicture, RowsReducedAsTheyComeAreTheWholePictureReduced) {
    TempFolder folder;
    Bitmap picture;
    picture.Reset(613, 401, 24);  // 170 × 111 in the box: rows shared by two target rows
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = static_cast<uint8_t>(i * 131 ^ i >> 7);
    const std::vector<uint8_t> up = EncodeBmp(picture);
    std::vector<uint8_t> down(up.begin(), up.begin() + 54);
    const int32_t negative = -401;
    std::memcpy(&down[22], &negative, 4);
    for (int32_t y = 0; y < 401; ++y) down.insert(down.end(), picture.Row(y), picture.Row(y) + picture.Stride());
    WriteBytes(folder / "up.bmp", up);
    WriteBytes(folder / "down.bmp", down);
    const Bitmap expected = ReducePicture(picture, 170, 111);
    EXPECT_EQ(LoadPreviewPicture(folder / "up.bmp", 170, 130).pixels, expected.pixels);
    EXPECT_EQ(LoadPreviewPicture(folder / "down.bmp", 170, 130).pixels, expected.pixels);
}
