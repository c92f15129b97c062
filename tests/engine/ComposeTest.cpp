// The whole picture on every monitor: where a picture stands on a monitor,
// the order of the monitors, and the one bitmap over the virtual screen for
// one monitor, two side by side of mixed sizes, a portrait one, one left of
// or above the primary, the tiled layout, and pictures passed over.
#include <gtest/gtest.h>

#include <map>

#include "tests/image/JpegFixture.h"
#include "TestSupport.h"
#include "engine/Compose.h"
#include "engine/PictureFile.h"
#include "image/BmpCodec.h"

using testing_support::MakeJpeg;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

using Bgr = std::array<uint8_t, 3>;
constexpr uint32_t kBackground = 0x00204060;  // 0x00BBGGRR
constexpr Bgr kBackgroundBgr = {0x20, 0x40, 0x60};

Bitmap ReadBmpFile(const std::string& path) {
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, 1u << 30);
    return DecodeBmp(bytes.data(), bytes.size());
}

Bgr At(const Bitmap& bitmap, int32_t x, int32_t y) {
    const uint8_t* p = bitmap.Row(y) + 3 * size_t(x);
    return {p[0], p[1], p[2]};
}

// A flat BMP picture: scaling keeps its colour exactly, so every pixel of the
// bitmap tells which picture, bar or gap it belongs to.
std::string FlatBmp(const TempFolder& folder, const std::string& name, int32_t w, int32_t h, Bgr colour) {
    Bitmap b;
    b.Reset(w, h, 24);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) std::copy(colour.begin(), colour.end(), b.Row(y) + 3 * size_t(x));
    const std::string path = folder / name;
    WriteBytes(path, EncodeBmp(b));
    return path;
}

PictureSupply InOrder(const std::vector<std::string>& pictures, std::vector<bool>* retries = nullptr) {
    auto at = std::make_shared<size_t>(0);
    return [=](bool retry) -> std::optional<std::string> {
        if (retries) retries->push_back(retry);
        if (*at >= pictures.size()) return std::nullopt;
        return pictures[(*at)++];
    };
}

}  // namespace

TEST(ScreenGeometry, FitAndFillScaleCentreAndRoundHalvesToEven) {
    const struct {
        int32_t w, h, mw, mh;
        ScreenFit fit;
        Placement place;
    } cases[] = {
        {1000, 500, 1920, 1080, ScreenFit::Fit, {1920, 960, 0, 60}},
        {1000, 500, 1920, 1080, ScreenFit::Fill, {2160, 1080, -120, 0}},
        {4000, 3000, 1080, 1920, ScreenFit::Fit, {1080, 810, 0, 555}},      // a portrait monitor
        {4000, 3000, 1080, 1920, ScreenFit::Fill, {2560, 1920, -740, 0}},
        {100, 50, 1920, 1080, ScreenFit::Fit, {1920, 960, 0, 60}},          // enlarged
        {10, 5, 10, 8, ScreenFit::Fit, {10, 5, 0, 2}},                      // offset 1.5 -> 2
        {10, 5, 10, 10, ScreenFit::Fit, {10, 5, 0, 2}},                     // offset 2.5 -> 2
        {4, 3, 10, 20, ScreenFit::Fit, {10, 8, 0, 6}},                      // height 7.5 -> 8
        {4, 5, 10, 20, ScreenFit::Fit, {10, 12, 0, 4}},                     // height 12.5 -> 12
        {4, 3, 10, 10, ScreenFit::Fill, {13, 10, -2, 0}},                   // offset -1.5 -> -2
        {1920, 1080, 1920, 1080, ScreenFit::Fill, {1920, 1080, 0, 0}},
        {1, 100000, 1920, 1080, ScreenFit::Fit, {1, 1080, 960, 0}},         // never narrower than a pixel
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlacePicture(c.w, c.h, c.mw, c.mh, c.fit), c.place)
            << c.w << "x" << c.h << " on " << c.mw << "x" << c.mh << " fit " << int(c.fit);
    EXPECT_THROW(PlacePicture(0, 10, 10, 10, ScreenFit::Fit), std::invalid_argument);
}

TEST(ScreenGeometry, PrimaryFirstThenLeftToRightAndTopToBottom) {
    const ScreenLayout layout({{1920, 0, 1280, 1024, false},
                               {-1280, 200, 1280, 720, false},
                               {0, 0, 1920, 1080, true},
                               {-1280, -800, 1280, 800, false},
                               {5000, 0, 0, 0, false}});  // no area: dropped
    ASSERT_EQ(layout.Monitors().size(), 4u);
    EXPECT_EQ(layout.Monitors()[0], (MonitorRect{0, 0, 1920, 1080, true}));
    EXPECT_EQ(layout.Monitors()[1], (MonitorRect{-1280, -800, 1280, 800, false}));
    EXPECT_EQ(layout.Monitors()[2], (MonitorRect{-1280, 200, 1280, 720, false}));
    EXPECT_EQ(layout.Monitors()[3], (MonitorRect{1920, 0, 1280, 1024, false}));
    EXPECT_EQ(layout.Bounds(), (VirtualRect{-1280, -800, 4480, 1880}));
    EXPECT_TRUE(ScreenLayout(std::vector<MonitorRect>{}).Empty());
    // The scale JPEGs are decoded at, in eighths: the smallest halving still at least the size wanted.
    EXPECT_EQ(JpegScaleFor(6000, 4000, 1620, 1080), 4);  // 3000 x 2000 (3/8 would do, but is slower)
    EXPECT_EQ(JpegScaleFor(6000, 4000, 1500, 1000), 2);
    EXPECT_EQ(JpegScaleFor(6000, 4000, 750, 500), 1);
    EXPECT_EQ(JpegScaleFor(6000, 4000, 751, 500), 2);
    EXPECT_EQ(JpegScaleFor(6001, 4001, 3001, 2001), 4);  // 3001 x 2001, rounded up as the library rounds
    EXPECT_EQ(JpegScaleFor(6001, 4001, 3001, 2002), 8);  // at 4/8 a row short
    EXPECT_EQ(JpegScaleFor(100, 100, 300, 300), 8);
}

// Each layout: the monitors, the pictures' sizes, and the bitmap checked
// pixel by pixel against the placements: every pixel is its monitor's
// picture, a bar, or the background where no monitor is.
TEST(ComposeWallpaper, EveryPixelIsItsMonitorsPictureABarOrTheBackground) {
    const Bgr colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const struct Case {
        const char* name;
        std::vector<MonitorRect> monitors;
        std::vector<std::pair<int32_t, int32_t>> pictures;
        ScreenFit fit;
        bool tiled;
    } cases[] = {
        {"one monitor", {{0, 0, 64, 36, true}}, {{100, 100}}, ScreenFit::Fit, false},
        {"one monitor filled", {{0, 0, 64, 36, true}}, {{100, 100}}, ScreenFit::Fill, false},
        {"side by side, mixed sizes", {{0, 0, 64, 36, true}, {64, 0, 30, 50, false}}, {{40, 30}, {30, 40}},
         ScreenFit::Fit, false},
        {"portrait right of the primary, filled", {{0, 0, 64, 36, true}, {64, -7, 27, 48, false}}, {{160, 90}, {90, 60}},
         ScreenFit::Fill, false},
        {"left of and above the primary", {{0, 0, 40, 30, true}, {-33, -20, 33, 20, false}, {40, 5, 21, 17, false}},
         {{7, 9}, {50, 10}, {16, 16}}, ScreenFit::Fit, false},
        {"tiled from the primary's origin", {{0, 0, 40, 30, true}, {-33, -20, 33, 20, false}}, {{7, 9}, {50, 10}},
         ScreenFit::Fit, true},
        {"tiled, a monitor across the origin", {{0, 0, 40, 30, true}, {-10, 30, 30, 11, false}}, {{7, 9}, {50, 10}},
         ScreenFit::Fill, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::vector<std::string> pictures;
        for (size_t i = 0; i < c.pictures.size(); ++i)
            pictures.push_back(FlatBmp(folder, "p" + std::to_string(i) + ".bmp", c.pictures[i].first,
                                       c.pictures[i].second, colours[i]));
        const ScreenLayout layout(c.monitors);
        const std::string out = folder / "out.bmp";
        const std::vector<std::string> drawn =
            ComposeWallpaper(layout, {kBackground, c.fit, c.tiled}, InOrder(pictures), out);
        EXPECT_EQ(drawn, pictures);
        const Bitmap bitmap = ReadBmpFile(out);
        const VirtualRect bounds = layout.Bounds();
        ASSERT_EQ(bitmap.width, bounds.width);
        ASSERT_EQ(bitmap.height, bounds.height);
        ASSERT_EQ(bitmap.bitsPerPixel, 24);
        std::map<std::string, int> counts;
        for (int32_t vy = bounds.top; vy < bounds.top + bounds.height; ++vy)
            for (int32_t vx = bounds.left; vx < bounds.left + bounds.width; ++vx) {
                Bgr want = kBackgroundBgr;
                const char* what = "gap";
                for (size_t m = 0; m < layout.Monitors().size(); ++m) {
                    const MonitorRect& r = layout.Monitors()[m];
                    if (vx < r.x || vx >= r.x + r.width || vy < r.y || vy >= r.y + r.height) continue;
                    // The monitors of the cases take pictures in the order given.
                    const Placement p = PlacePicture(c.pictures[m].first, c.pictures[m].second, r.width, r.height, c.fit);
                    const int32_t x = vx - r.x - p.x, y = vy - r.y - p.y;
                    const bool inside = x >= 0 && x < p.width && y >= 0 && y < p.height;
                    want = inside ? colours[m] : kBackgroundBgr;
                    what = inside ? "picture" : "bar";
                }
                ++counts[what];
                const int32_t fx = c.tiled ? ((vx % bounds.width) + bounds.width) % bounds.width : vx - bounds.left;
                const int32_t fy = c.tiled ? ((vy % bounds.height) + bounds.height) % bounds.height : vy - bounds.top;
                ASSERT_EQ(At(bitmap, fx, fy), want) << what << " at virtual " << vx << "," << vy;
            }
        EXPECT_GT(counts["picture"], 0);
        if (c.fit == ScreenFit::Fit) EXPECT_GT(counts["bar"], 0);
        if (c.monitors.size() > 1) EXPECT_GT(counts["gap"], 0);
    }
}

TEST(ComposeWallpaper, PassesOverPicturesThatFailAndKeepsTheOldFileWhenNoneIsLeft) {
    TempFolder folder;
    const std::string good = FlatBmp(folder, "good.bmp", 20, 10, {1, 2, 3});
    const std::string other = FlatBmp(folder, "other.bmp", 10, 20, {4, 5, 6});
    testing_support::WriteTextFile(folder / "broken.jpg", "not a picture");
    // A JPEG that reads, cut short after its header would be drawn as far as it goes; one that
    // claims more than the bounds is refused from its header.
    const std::string jpeg = folder / "big.jpg";
    WriteBytes(jpeg, MakeJpeg(320, 240, [](int, int) { return 0x00808080u; }));
    const std::string out = folder / "out.bmp";
    const ScreenLayout layout({{0, 0, 32, 18, true}, {32, 0, 18, 32, false}});
    std::vector<bool> retries;
    const std::vector<std::string> drawn = ComposeWallpaper(
        layout, {kBackground, ScreenFit::Fill, false},
        InOrder({folder / "broken.jpg", folder / "missing.bmp", good, folder / "x.txt", jpeg}, &retries), out);
    EXPECT_EQ(drawn, (std::vector<std::string>{good, jpeg}));
    EXPECT_EQ(retries, (std::vector<bool>{false, true, true, false, true}));
    const Bitmap bitmap = ReadBmpFile(out);
    EXPECT_EQ(At(bitmap, 0, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(At(bitmap, 31, 17), (Bgr{1, 2, 3}));
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{32, 0}, {49, 31}, {40, 16}}) {
        const Bgr p = At(bitmap, x, y);
        EXPECT_NEAR(p[0], 0x80, 3) << x << "," << y;
        EXPECT_NEAR(p[2], 0x80, 3) << x << "," << y;
    }
    EXPECT_EQ(At(bitmap, 0, 31), kBackgroundBgr);

    // The supply runs dry: nothing replaces the bitmap that was there.
    const std::vector<uint8_t> before = platform::ReadFileBytes(out, 1u << 20);
    EXPECT_THROW(ComposeWallpaper(layout, {kBackground, ScreenFit::Fit, false}, InOrder({other}), out), RenderError);
    EXPECT_EQ(platform::ReadFileBytes(out, 1u << 20), before);
    EXPECT_FALSE(platform::FileExists(out + ".tmp"));
    EXPECT_THROW(ComposeWallpaper(ScreenLayout(), {}, InOrder({other}), out), RenderError);
    // Three 4K monitors fit the bound; a layout past it is refused before anything is written.
    EXPECT_THROW(ComposeWallpaper(ScreenLayout({{0, 0, 30000, 20000, true}}), {}, InOrder({other}), out), RenderError);
    EXPECT_EQ(platform::ReadFileBytes(out, 1u << 20), before);
}
