// The change's policy on the host, with real plugin processes (shell scripts):
// a plugin that damages the bitmap or overstays its time is overruled by the
// program's own render; one that does its work keeps it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TestSupport.h"
#include "engine/Plugin.h"
#include "engine/Render.h"
#include "tests/engine/RenderedCanvas.h"
#include "engine/Wallpaper.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "tests/image/JpegFixture.h"

using testing_support::TempFolder;

namespace {

std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

void WritePlugin(const std::string& root, const std::string& name, const std::string& body) {
    ASSERT_TRUE(platform::CreateDir(root + "\\" + name));
    const std::string program = root + "\\" + name + "\\plugin.exe";
    testing_support::WriteTextFile(program, "#!/bin/sh\nf=$(printf %s \"$1\" | tr '\\\\' /)\n" + body + "\n");
    std::filesystem::permissions(Native(program), std::filesystem::perms::owner_all);
}

}  // namespace

TEST(WallpaperChange, APluginThatDamagesTheBitmapOrOverstaysIsOverruled) {
    TempFolder folder;
    const std::string picture = folder / "tall.jpg", bitmap = folder / "TavrinWP.bmp", root = folder / "plugins";
    testing_support::WriteBytes(picture, testing_support::MakeJpeg(60, 80, [](int x, int y) { return uint32_t(x * 31 ^ y * 17); }));
    Bitmap small;
    small.Reset(4, 3, 24);
    const std::vector<uint8_t> pluginWork = EncodeBmp(small);
    testing_support::WriteBytes(folder / "work.bmp", pluginWork);
    ASSERT_TRUE(platform::CreateDir(root));
    WritePlugin(root, "damages", "printf 'BM broken' > \"$f\"");
    WritePlugin(root, "overstays", "cp '" + Native(folder / "work.bmp") + "' \"$f\"; exec sleep 10");
    WritePlugin(root, "works", "cp '" + Native(folder / "work.bmp") + "' \"$f\"");
    const std::vector<uint8_t> own =
        EncodeBmp(testing_support::RenderCanvas(picture, {0x00123456, platform::DisplayColorDepth()}));

    PluginTimeLimitMs = 1000;
    for (const auto& [plugin, expected] : {std::pair{"damages", own}, {"overstays", own}, {"works", pluginWork},
                                           {"missing", own}, {"none", own}}) {
        platform::SetDesktopWallpaper("before", 0);
        ASSERT_TRUE(MakeWallpaper(picture, {0x00123456, bitmap, root, plugin})) << plugin;
        EXPECT_TRUE(platform::ReadFileBytes(bitmap, 1u << 20) == expected) << plugin;
        EXPECT_FALSE(platform::FileExists(bitmap + ".own")) << plugin;
        EXPECT_EQ(platform::ReadDesktopWallpaper().path, bitmap) << plugin;
        EXPECT_EQ(platform::ReadDesktopWallpaper().style, "3") << plugin;
    }
    PluginTimeLimitMs = 60000;
    // A picture that does not render changes nothing.
    platform::SetDesktopWallpaper("before", 0);
    EXPECT_FALSE(MakeWallpaper(folder / "missing.jpg", {0x00123456, bitmap, root, "works"}));
    EXPECT_EQ(platform::ReadDesktopWallpaper().path, "before");
}

// A picture on every monitor: the composed bitmap goes through the plugin as
// the framed one does, and the registry is told how to show it.
TEST(WallpaperChange, ScreensAreComposedPassedToThePluginAndSetWithTheirStyle) {
    TempFolder folder;
    const std::string bitmap = folder / "TavrinWP.bmp", root = folder / "plugins";
    std::vector<std::string> pictures;
    for (int i = 0; i < 2; ++i) {
        pictures.push_back(folder / ("p" + std::to_string(i) + ".jpg"));
        testing_support::WriteBytes(pictures.back(), testing_support::MakeJpeg(90 + 40 * i, 60, [i](int x, int y) {
                                        return uint32_t((x * 7 + i * 90) ^ y * 3);
                                    }));
    }
    ASSERT_TRUE(platform::CreateDir(root));
    WritePlugin(root, "damages", "printf 'BM broken' > \"$f\"");
    const auto supply = [&pictures] {
        auto at = std::make_shared<size_t>(0);
        return PictureSupply([&pictures, at](bool) -> std::optional<std::string> {
            if (*at >= pictures.size()) return std::nullopt;
            return pictures[(*at)++];
        });
    };
    const ScreenLayout two({{0, 0, 64, 36, true}, {-40, 10, 40, 40, false}}), one({{0, 0, 64, 36, true}});
    const struct {
        const ScreenLayout& layout;
        const char* style;
        size_t shown;
    } cases[] = {{two, "22", 2}, {one, "0", 1}};
    for (const auto& c : cases) {
        ComposeWallpaper(c.layout, {0x00123456, ScreenFit::Fill, false}, supply(), folder / "own.bmp");
        const std::vector<uint8_t> own = platform::ReadFileBytes(folder / "own.bmp", 1u << 20);
        for (const char* plugin : {"none", "damages"}) {
            platform::SetDesktopWallpaper("before", 0, 1);
            std::vector<std::string> shown;
            ASSERT_TRUE(MakeScreenWallpaper(c.layout, ScreenFit::Fill, supply(), {0x00123456, bitmap, root, plugin}, &shown));
            EXPECT_EQ(shown, std::vector<std::string>(pictures.begin(), pictures.begin() + c.shown));
            EXPECT_TRUE(platform::ReadFileBytes(bitmap, 1u << 20) == own) << plugin;
            EXPECT_EQ(platform::ReadDesktopWallpaper().style, c.style);
            EXPECT_EQ(platform::ReadDesktopWallpaper().tile, "0");
        }
    }
    // Before spanning was known: centred and tiled, the bitmap laid out for it.
    EXPECT_TRUE(StyleForScreens(2, false).tiled);
    EXPECT_EQ(StyleForScreens(3, false).tile, 1);
    EXPECT_EQ(StyleForScreens(3, false).style, 0);
    EXPECT_FALSE(StyleForScreens(1, false).tiled);
    // The frame after a tiled layout clears the tiling when asked to, and
    // otherwise leaves "TileWallpaper" as it was, as it always did.
    for (const int tile : {-1, 0}) {
        platform::SetDesktopWallpaper(bitmap, 0, 1);
        WallpaperTarget framed{0x00123456, bitmap, root, "none"};
        framed.tile = tile;
        ASSERT_TRUE(MakeWallpaper(pictures[0], framed));
        EXPECT_EQ(platform::ReadDesktopWallpaper().style, "3");
        EXPECT_EQ(platform::ReadDesktopWallpaper().tile, tile < 0 ? "1" : "0");
    }
    // No picture left: nothing is set.
    platform::SetDesktopWallpaper("before", 0, 1);
    EXPECT_EQ(MakeScreenWallpaper(two, ScreenFit::Fit, [](bool) { return std::nullopt; }, {0, bitmap, root, "none"}).kind(),
              WallpaperResult::PictureFailed);
    EXPECT_EQ(platform::ReadDesktopWallpaper().path, "before");
}
