// The sepia plugin's effects on every pixel format the program writes, its
// settings file, its command line, and the in-place rework of a bitmap file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Effects.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"

using testing_support::ReadTextFile;
using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

struct Bgr {
    int b, g, r;
    friend bool operator==(const Bgr&, const Bgr&) = default;
};

Bitmap Solid24(int32_t width, int32_t height, Bgr colour) {
    Bitmap picture;
    picture.Reset(width, height, 24);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = picture.Row(y) + 3 * x;
            p[0] = static_cast<uint8_t>(colour.b), p[1] = static_cast<uint8_t>(colour.g),
            p[2] = static_cast<uint8_t>(colour.r);
        }
    return picture;
}

Bgr At24(const Bitmap& picture, int32_t x, int32_t y) {
    const uint8_t* p = picture.Row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

uint16_t At16(const Bitmap& picture, int32_t x, int32_t y) {
    const uint8_t* p = picture.Row(y) + 2 * x;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

EffectOptions Options(Effect effect, int strength) {
    EffectOptions options;
    options.effect = effect;
    options.strength = strength;
    return options;
}

int Brightness(Bgr c) { return c.b + c.g + c.r; }

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace

TEST(SepiaEffect, TonesByTheSepiaMatrixBlendedByStrength) {
    Bitmap picture = Solid24(3, 2, {30, 20, 10});  // red 10, green 20, blue 30
    ApplyEffect(picture, Options(Effect::Sepia, 100));
    // red .393·10 + .769·20 + .189·30 = 24.98, green 22.25, blue 17.33
    EXPECT_EQ(At24(picture, 0, 0), (Bgr{17, 22, 25}));
    EXPECT_EQ(At24(picture, 2, 1), (Bgr{17, 22, 25}));  // no vignette: the same everywhere

    Bitmap white = Solid24(2, 2, {255, 255, 255});
    ApplyEffect(white, Options(Effect::Sepia, 100));
    EXPECT_EQ(At24(white, 1, 1), (Bgr{239, 255, 255}));  // red and green clipped at 255

    Bitmap half = Solid24(2, 2, {30, 20, 10});
    ApplyEffect(half, Options(Effect::Sepia, 50));
    EXPECT_EQ(At24(half, 0, 0), (Bgr{24, 21, 17}));

    for (Effect effect : {Effect::Sepia, Effect::Vignette, Effect::Both}) {
        Bitmap unchanged = Solid24(7, 5, {200, 100, 50});
        const std::vector<uint8_t> before = unchanged.pixels;
        ApplyEffect(unchanged, Options(effect, 0));
        EXPECT_EQ(unchanged.pixels, before);
    }
}

TEST(SepiaEffect, TheVignetteDarkensTowardsTheCornersSymmetrically) {
    const int32_t width = 101, height = 61;
    Bitmap picture = Solid24(width, height, {200, 200, 200});
    ApplyEffect(picture, Options(Effect::Vignette, 100));
    const Bgr centre = At24(picture, 50, 30), edge = At24(picture, 0, 30), corner = At24(picture, 0, 0);
    EXPECT_EQ(centre, (Bgr{200, 200, 200}));  // grey stays grey, the centre untouched
    EXPECT_LT(Brightness(edge), Brightness(centre));
    EXPECT_LT(Brightness(corner), Brightness(edge));
    EXPECT_GT(Brightness(corner), 0);  // soft: darker, not black
    EXPECT_EQ(corner.b, corner.r);
    for (int32_t y = 0; y < height; y += 7)
        for (int32_t x = 0; x < width; x += 9) {
            const Bgr here = At24(picture, x, y);
            EXPECT_EQ(here, At24(picture, width - 1 - x, y)) << x << "," << y;
            EXPECT_EQ(here, At24(picture, x, height - 1 - y)) << x << "," << y;
        }
}

TEST(SepiaEffect, KeepsTheMasksAndTheBitsOutsideThemOf16And32BitPixels) {
    // 5-5-5 with the default masks: white toned, the unused top bit kept.
    Bitmap rgb555;
    rgb555.Reset(2, 1, 16);
    rgb555.pixels[0] = 0xFF, rgb555.pixels[1] = 0xFF;  // 0xFFFF
    ApplyEffect(rgb555, Options(Effect::Sepia, 100));
    EXPECT_EQ(At16(rgb555, 0, 0), 0x8000 | 31 << 10 | 31 << 5 | 29);  // blue 239 of 255 -> 29 of 31
    EXPECT_EQ(At16(rgb555, 1, 0), 0);                                  // black stays black

    // 5-6-5 through explicit masks.
    Bitmap rgb565;
    rgb565.Reset(1, 1, 16);
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.pixels[0] = 0xFF, rgb565.pixels[1] = 0xFF;
    ApplyEffect(rgb565, Options(Effect::Sepia, 100));
    EXPECT_EQ(At16(rgb565, 0, 0), 31 << 11 | 63 << 5 | 29);
    EXPECT_EQ(rgb565.masks, (std::array<uint32_t, 3>{0xF800, 0x07E0, 0x001F}));

    // 32 bits: the alpha byte outside the default masks survives.
    Bitmap argb;
    argb.Reset(1, 1, 32);
    argb.pixels = {30, 20, 10, 0x7F};  // blue, green, red, alpha
    ApplyEffect(argb, Options(Effect::Sepia, 100));
    EXPECT_EQ(argb.pixels, (std::vector<uint8_t>{17, 22, 25, 0x7F}));
}

TEST(SepiaEffect, TonesThePaletteOrWidensToTrueColourForTheVignette) {
    Bitmap indexed;
    indexed.Reset(4, 3, 8);
    indexed.palette = {{30, 20, 10, 0}, {255, 255, 255, 0}};
    for (size_t i = 0; i < indexed.pixels.size(); ++i) indexed.pixels[i] = static_cast<uint8_t>(i % 2);
    const std::vector<uint8_t> indices = indexed.pixels;

    Bitmap toned = indexed;
    ApplyEffect(toned, Options(Effect::Sepia, 100));
    EXPECT_EQ(toned.bitsPerPixel, 8);
    EXPECT_EQ(toned.pixels, indices);
    EXPECT_EQ(toned.palette[0], (PaletteEntry{17, 22, 25, 0}));
    EXPECT_EQ(toned.palette[1], (PaletteEntry{239, 255, 255, 0}));

    Bitmap shaded = indexed;
    ApplyEffect(shaded, Options(Effect::Both, 100));
    ASSERT_EQ(shaded.bitsPerPixel, 24);
    ASSERT_EQ(shaded.width, 4);
    ASSERT_EQ(shaded.height, 3);
    // Equal to toning the 24-bit copy of the same picture.
    Bitmap expected;
    expected.Reset(4, 3, 24);
    for (int32_t y = 0; y < 3; ++y) RowToBgr24(indexed, y, expected.Row(y));
    ApplyEffect(expected, Options(Effect::Both, 100));
    EXPECT_EQ(shaded.pixels, expected.pixels);
}

TEST(SepiaSettings, ReadsWritesAndFallsBackToDefaults) {
    TempFolder folder;
    const std::string ini = folder / "settings.ini";
    EXPECT_EQ(ReadEffectOptions(ini), EffectOptions{});

    WriteEffectOptions(ini, Options(Effect::Vignette, 30));
    EXPECT_EQ(ReadEffectOptions(ini), Options(Effect::Vignette, 30));
    WriteEffectOptions(ini, Options(Effect::Sepia, 250));  // clamped when written
    EXPECT_EQ(ReadEffectOptions(ini), Options(Effect::Sepia, 100));

    WriteTextFile(ini, "[sepia]\r\neffect=BOTH\r\nstrength=150\r\n");
    EXPECT_EQ(ReadEffectOptions(ini), Options(Effect::Both, 100));
    WriteTextFile(ini, "[sepia]\r\neffect=blur\r\nstrength=-5\r\n");
    EXPECT_EQ(ReadEffectOptions(ini), EffectOptions{});

    // A folder that cannot be written to is reported, not ignored.
    EXPECT_NE(testing_support::ThrownText([&] { WriteEffectOptions(folder / "missing\\settings.ini", {}); }),
              "(nothing thrown)");
}

TEST(SepiaCommandLine, TakesEverythingAfterTheProgramsOwnPath) {
    const std::string self = "C:\\Program Files\\Tavrin\\plugins\\sepia\\plugin.exe";
    const std::string bitmap = "C:\\Documents and Settings\\Me\\My Documents\\Tavrin Wallpaper\\TavrinWP.bmp";
    EXPECT_EQ(BitmapPathFromCommandLine(self + " " + bitmap, self), bitmap);
    // The system may spell the program's path in another letter case, or quote it.
    EXPECT_EQ(BitmapPathFromCommandLine("c:\\program files\\TAVRIN\\plugins\\sepia\\PLUGIN.EXE " + bitmap, self),
              bitmap);
    EXPECT_EQ(BitmapPathFromCommandLine("\"" + self + "\" " + bitmap, self), bitmap);
    EXPECT_EQ(BitmapPathFromCommandLine("\"" + self + "\" \"" + bitmap + "\"", self), bitmap);
    // Another spelling of the folders (a short name): the program's file name ends its part.
    EXPECT_EQ(BitmapPathFromCommandLine("C:\\PROGRA~1\\Tavrin\\plugins\\sepia\\plugin.exe " + bitmap, self), bitmap);
    // No bitmap at all.
    EXPECT_EQ(BitmapPathFromCommandLine(self, self), "");
    EXPECT_EQ(BitmapPathFromCommandLine("", self), "");
}

TEST(SepiaRework, ReplacesTheFileOnlyWithACompleteResult) {
    TempFolder folder;
    const std::string path = folder / "Tavrin WP.bmp";
    const Bitmap picture = Solid24(40, 30, {30, 20, 10});
    WriteBytes(path, EncodeBmp(picture));

    ReworkBitmapFile(path, Options(Effect::Both, 100));
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, 1u << 20);
    const Bitmap written = DecodeBmp(bytes.data(), bytes.size());
    Bitmap expected = picture;
    ApplyEffect(expected, Options(Effect::Both, 100));
    EXPECT_EQ(written.bitsPerPixel, 24);
    EXPECT_EQ(written.pixels, expected.pixels);

    // Damaged, truncated or missing files: an error, and the file as it was.
    std::vector<uint8_t> truncated = EncodeBmp(picture);
    truncated.resize(truncated.size() / 2);
    for (const std::string& damaged : {std::string("not a bitmap"), std::string(truncated.begin(), truncated.end())}) {
        WriteTextFile(path, damaged);
        EXPECT_NE(testing_support::ThrownText([&] { ReworkBitmapFile(path, {}); }), "(nothing thrown)");
        EXPECT_EQ(ReadTextFile(path), damaged);
    }
    EXPECT_NE(testing_support::ThrownText([&] { ReworkBitmapFile(folder / "missing.bmp", {}); }),
              "(nothing thrown)");
    EXPECT_FALSE(platform::FileExists(folder / "missing.bmp"));
    EXPECT_FALSE(platform::FileExists(path + ".tmp"));
}
