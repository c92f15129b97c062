// Composition of animated frames: the disposal rules, the start frame of a full
// recomposition, the cache, and the timer's frame delays.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "gif/GIFCompose.h"
#include "tests/gif/GifBuilder.h"

using namespace gif_test;

namespace {

// Table: 0 black, 1 red, 2 green, 3 blue.
const std::vector<Rgb> kColours = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
const TColor kBlack = RGBColor(0, 0, 0), kRed = RGBColor(255, 0, 0), kGreen = RGBColor(0, 255, 0),
             kBlue = RGBColor(0, 0, 255), kWindow = RGBColor(250, 250, 250);

std::vector<uint8_t> Solid(int width, int height, uint8_t index) { return std::vector<uint8_t>(size_t(width * height), index); }

// A square of `index` with a transparent (0) border one pixel wide.
std::vector<uint8_t> Framed(int size, uint8_t index) {
    std::vector<uint8_t> pixels(size_t(size * size), 0);
    for (int y = 1; y < size - 1; ++y)
        for (int x = 1; x < size - 1; ++x) pixels[size_t(y * size + x)] = index;
    return pixels;
}

TColor At(const Bitmap& bitmap, int x, int y) {
    return ColorOfPixel(reinterpret_cast<const uint32_t*>(bitmap.Row(y))[x] & 0xFFFFFF);
}

void Load(TGIFImage& image, const Bytes& bytes) { image.LoadFromMemory(bytes.data(), bytes.size()); }

}  // namespace

TEST(GIFTimerDelay, DelaysAreLimitedAndSingleFramesDoNotTick) {
    GifBuilder b;
    b.Screen(2, 2, kColours);
    for (unsigned hundredths : {0u, 2u, 2000u, 35u}) b.GraphicControl(hundredths).Image(0, 0, 2, 2, Solid(2, 2, 1), 2);
    b.Image(0, 0, 2, 2, Solid(2, 2, 1), 2);  // no graphic control block at all
    TGIFImage image;
    Load(image, b.Trailer().bytes);
    EXPECT_EQ(TimerDelayOfFrame(image, 0), 50u);
    EXPECT_EQ(TimerDelayOfFrame(image, 1), 50u);
    EXPECT_EQ(TimerDelayOfFrame(image, 2), 10000u);
    EXPECT_EQ(TimerDelayOfFrame(image, 3), 350u);
    EXPECT_EQ(TimerDelayOfFrame(image, 4), 50u);
    EXPECT_EQ(TimerDelayOfFrame(image, -1), 0u);
    EXPECT_EQ(TimerDelayOfFrame(image, 5), 0u);

    TGIFImage single;
    Load(single, GifBuilder().Screen(2, 2, kColours).GraphicControl(100).Image(0, 0, 2, 2, Solid(2, 2, 1), 2).Trailer().bytes);
    EXPECT_EQ(TimerDelayOfFrame(single, 0), 0u);
}

TEST(GIFCompose, OverlaysAreDrawnOntoTheCachedCompositeAndWrapRecomposes) {
    // The banner's shape: an opaque full first frame, then small transparent overlays.
    GifBuilder b;
    b.Screen(12, 6, kColours);
    b.GraphicControl(100).Image(0, 0, 12, 6, Solid(12, 6, 1), 2);
    b.GraphicControl(50, 0).Image(0, 0, 4, 4, Framed(4, 2), 2);
    b.GraphicControl(50, 0).Image(4, 1, 4, 4, Framed(4, 3), 2);
    b.GraphicControl(50, 0).Image(8, 2, 4, 4, Framed(4, 2), 2);
    TGIFImage image;
    Load(image, b.Trailer().bytes);
    TGIFComposer composer;
    TColor transparent = 0;

    const Bitmap& first = composer.Compose(image, 0, kWindow, true, transparent);
    EXPECT_TRUE(composer.LastWasFull());
    EXPECT_EQ(transparent, clNone) << "the current frame (0) has no transparent colour";
    EXPECT_EQ(At(first, 0, 0), kRed);

    for (int n = 1; n <= 3; ++n) {
        composer.Compose(image, n, kWindow, true, transparent);
        EXPECT_FALSE(composer.LastWasFull()) << n;
        EXPECT_EQ(composer.LastDrawnFrames(), std::vector<int>{n});
    }
    const Bitmap& last = composer.Compose(image, 3, kWindow, true, transparent);  // a repeat is no step
    EXPECT_TRUE(composer.LastWasFull());
    EXPECT_EQ(composer.LastDrawnFrames(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(At(last, 0, 0), kRed) << "the overlay's transparent border shows what is under it";
    EXPECT_EQ(At(last, 1, 1), kGreen);
    EXPECT_EQ(At(last, 5, 2), kBlue);
    EXPECT_EQ(At(last, 9, 3), kGreen);
    EXPECT_EQ(At(last, 11, 0), kRed);

    const Bitmap& wrapped = composer.Compose(image, 0, kWindow, true, transparent);
    EXPECT_TRUE(composer.LastWasFull());
    EXPECT_EQ(At(wrapped, 1, 1), kRed);
    EXPECT_EQ(At(wrapped, 5, 2), kRed);
}

TEST(GIFCompose, DisposalRestoresTheBackgroundOrIsSkipped) {
    GifBuilder b;
    b.Screen(8, 4, kColours, 3);  // background: blue
    b.GraphicControl(10).Image(0, 0, 8, 4, Solid(8, 4, 1), 2);
    b.GraphicControl(10, 0, 2).Image(0, 0, 4, 4, Solid(4, 4, 2), 2);  // then restore to background
    b.GraphicControl(10, 0).Image(4, 0, 4, 4, Framed(4, 2), 2);
    b.GraphicControl(10, 0, 3).Image(2, 1, 2, 2, Solid(2, 2, 3), 2);  // then restore to previous
    b.GraphicControl(10, 0).Image(6, 0, 2, 2, Solid(2, 2, 2), 2);
    TGIFImage image;
    Load(image, b.Trailer().bytes);
    TGIFComposer composer;
    TColor transparent = 0;

    composer.Compose(image, 0, kWindow, true, transparent);
    composer.Compose(image, 1, kWindow, true, transparent);
    const Bitmap& second = composer.Compose(image, 2, kWindow, true, transparent);
    EXPECT_FALSE(composer.LastWasFull());
    // Frame 1's rectangle was cleared with the fill before frame 2 was drawn.
    // The picture is transparent and has a background colour: that is the fill.
    EXPECT_EQ(At(second, 0, 0), kBlue);
    EXPECT_EQ(At(second, 5, 1), kGreen);
    EXPECT_EQ(At(second, 4, 0), kRed);

    composer.Compose(image, 3, kWindow, true, transparent);
    composer.Compose(image, 4, kWindow, true, transparent);
    EXPECT_TRUE(composer.LastWasFull()) << "after disposal 3 the composite is made anew";
    const Bitmap& recomposed = composer.Compose(image, 4, kWindow, true, transparent);
    // From frame 0: frame 1 cleared, frame 2 drawn, frame 3 skipped, frame 4 drawn.
    EXPECT_EQ(composer.LastDrawnFrames(), (std::vector<int>{0, 1, 2, 4}));
    EXPECT_EQ(At(recomposed, 2, 1), kBlue);
    EXPECT_EQ(At(recomposed, 6, 0), kGreen);
    EXPECT_EQ(At(recomposed, 7, 3), kRed);
}

TEST(GIFCompose, AJumpStartsFromTheNearestFullOpaqueFrame) {
    GifBuilder b;
    b.Screen(4, 4, kColours);
    b.GraphicControl(10).Image(0, 0, 4, 4, Solid(4, 4, 1), 2);
    b.GraphicControl(10, 0).Image(0, 0, 2, 2, Solid(2, 2, 3), 2);
    b.GraphicControl(10).Image(0, 0, 4, 4, Solid(4, 4, 2), 2);  // covers all, opaque
    b.GraphicControl(10, 0).Image(2, 2, 2, 2, Solid(2, 2, 3), 2);
    TGIFImage image;
    Load(image, b.Trailer().bytes);
    TGIFComposer composer;
    TColor transparent = 0;
    const Bitmap& bitmap = composer.Compose(image, 3, kWindow, true, transparent);
    EXPECT_EQ(composer.LastDrawnFrames(), (std::vector<int>{2, 3}));
    EXPECT_EQ(At(bitmap, 0, 0), kGreen);
    EXPECT_EQ(At(bitmap, 3, 3), kBlue);
    // An index past the last frame shows the last frame.
    composer.Clear();
    composer.Compose(image, 99, kWindow, true, transparent);
    EXPECT_EQ(composer.CachedIndex(), 3);
}

TEST(GIFCompose, UncoveredAreasShowTheFillAndTheTransparentColourOnlyWhenWanted) {
    // The current frame is transparent: its transparent colour is the fill and
    // the composite's transparent colour.
    GifBuilder b;
    b.Screen(6, 6, kColours);
    b.GraphicControl(10, 0).Image(2, 2, 2, 2, Solid(2, 2, 1), 2);
    b.GraphicControl(10, 0).Image(0, 0, 2, 2, Solid(2, 2, 2), 2);
    TGIFImage image;
    Load(image, b.Trailer().bytes);
    TGIFComposer composer;
    TColor transparent = 0;
    const Bitmap& on = composer.Compose(image, 0, kWindow, true, transparent);
    EXPECT_EQ(transparent, kBlack);
    EXPECT_EQ(At(on, 0, 0), kBlack);
    EXPECT_EQ(At(on, 2, 2), kRed);

    composer.Clear();
    const Bitmap& off = composer.Compose(image, 0, kWindow, false, transparent);
    EXPECT_EQ(transparent, clNone) << "with Transparent off nothing is left out";
    EXPECT_EQ(At(off, 0, 0), kBlack) << "the fill colour, not the parent";

    // No transparent current frame and no background colour: the window colour.
    TGIFImage plain;
    Load(plain, GifBuilder().Screen(4, 4, kColours).Image(1, 1, 2, 2, Solid(2, 2, 3), 2).Image(0, 0, 1, 1, {3}, 2).Trailer().bytes);
    composer.Clear();
    const Bitmap& window = composer.Compose(plain, 0, kWindow, true, transparent);
    EXPECT_EQ(At(window, 0, 0), kWindow);
    EXPECT_EQ(At(window, 1, 1), kBlue);
}

TEST(GIFStretch, ClipsToTheTargetAndLeavesTheKeyColourOut) {
    Bitmap source;
    source.Reset(2, 2, 32);
    FillBitmapRect(source, 0, 0, 2, 2, kRed);
    FillBitmapRect(source, 1, 1, 1, 1, kBlack);
    Bitmap target;
    target.Reset(5, 5, 32);
    FillBitmapRect(target, 0, 0, 5, 5, kWindow);

    // Doubled, placed partly outside the target.
    StretchBitmapInto(target, -1, -1, 4, 4, source, kBlack);
    EXPECT_EQ(At(target, 0, 0), kRed);
    EXPECT_EQ(At(target, 1, 1), kWindow) << "the key colour is left out";
    EXPECT_EQ(At(target, 2, 2), kWindow);
    EXPECT_EQ(At(target, 3, 3), kWindow) << "outside the destination";
    StretchBitmapInto(target, 3, 3, 4, 4, source, clNone);
    EXPECT_EQ(At(target, 3, 3), kRed);
    EXPECT_EQ(At(target, 4, 4), kRed);
    StretchBitmapInto(target, 2, 2, 6, 6, source, clNone);
    EXPECT_EQ(At(target, 4, 4), kRed) << "(4,4) is source pixel (0,0) at a scale of 3";
}

TEST(GIFCompose, ADisposedFrameBeyondTheScreenClearsNothing) {
    // A 20 × 20 screen whose first frame (disposal 2) stands at column 238;
    // the second frame covers the screen.
    const Bytes file = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x14, 0x00, 0x14, 0x00, 0xf0, 0x00, 0x00,
                        0x00, 0x00, 0xff, 0x00, 0x00, 0x93, 0x21, 0xf9, 0x04, 0x0b, 0x03, 0x01, 0x00,
                        0x00, 0x2c, 0xee, 0x00, 0x00, 0x00, 0x14, 0x27, 0x05, 0x00, 0x21, 0x01, 0x00,
                        0x2c, 0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x14, 0x00, 0x15, 0x00};
    TGIFImage image;
    try {
        Load(image, file);
    } catch (const std::exception&) {
    }
    ASSERT_EQ(image.FrameCount(), 2);
    TGIFComposer cached, full;
    TColor transparent;
    cached.Compose(image, 0, kWindow, true, transparent);
    const Bitmap& stepped = cached.Compose(image, 1, kWindow, true, transparent);
    ASSERT_FALSE(cached.LastWasFull());
    const Bitmap& whole = full.Compose(image, 1, kWindow, true, transparent);
    ASSERT_TRUE(full.LastWasFull());
    EXPECT_EQ(stepped.pixels, whole.pixels);
    EXPECT_EQ(stepped.width, 20);
}

TEST(GIFCompose, AFrameDrawnAnywhereIsClippedAndLeavesItsTransparentColourOut) {
    // 3 × 3: red, green, blue columns; the centre is the transparent black.
    const std::vector<uint8_t> indices = {1, 2, 3, 1, 0, 3, 1, 2, 3};
    TGIFImage image;
    Load(image, GifBuilder().Screen(3, 3, kColours).GraphicControl(10, 0).Image(0, 0, 3, 3, indices, 2).Trailer().bytes);
    const TColor colours[] = {kBlack, kRed, kGreen, kBlue};
    for (const auto& [left, top] : std::vector<std::pair<int, int>>{{-1, -2}, {2, 1}, {-2, 3}, {0, 0}, {4, 0}, {-3, 1}}) {
        Bitmap target;
        target.Reset(4, 4, 32);
        FillBitmapRect(target, 0, 0, 4, 4, kWindow);
        DrawFrameAt(target, image.Frame(0), true, left, top);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const int fx = x - left, fy = y - top;
                const bool inside = fx >= 0 && fx < 3 && fy >= 0 && fy < 3;
                const uint8_t index = inside ? indices[size_t(fy * 3 + fx)] : 0;
                EXPECT_EQ(At(target, x, y), index != 0 ? colours[index] : kWindow)
                    << "frame at " << left << "," << top << ", pixel " << x << "," << y;
            }
    }
}
