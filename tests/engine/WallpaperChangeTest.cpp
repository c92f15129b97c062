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
