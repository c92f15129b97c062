// MakeWallpaper for real under Wine: the bitmap file, the plugin process and
// the registry values the desktop reads.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/image/JpegFixture.h"
#include "e2e/Driver.h"
#include "TestSupport.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "image/BmpCodec.h"
#include "engine/Render.h"
#include "tests/engine/RenderedCanvas.h"
#include "engine/Plugin.h"
#include "engine/Rotation.h"
#include "engine/Wallpaper.h"
#include "platform/Platform.h"

using testing_support::MakeJpeg;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using testing_support::WriteTextFile;

namespace {

void SetDesktopValue(const char* name, const std::string& value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", name, REG_SZ, value.c_str(),
                    static_cast<DWORD>(value.size() + 1));
}

std::vector<uint8_t> FileBytes(const std::string& path) { return platform::ReadFileBytes(path, 1u << 30); }

// A change with the settings and paths the test sets, as the program passes them in.
WallpaperResult MakeWallpaper(const std::string& path) {
    return ::MakeWallpaper(path, {.background = Settings.BackgroundColor,
                                  .bitmapPath = WallpaperBmpPath,
                                  .pluginsRoot = PluginsRoot,
                                  .plugin = Settings.plugin_directory});
}

class WallpaperApplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Folders with spaces, and a program where an unquoted command line
        // would look for one.
        DataFolder = folder / "My Data";
        PluginsRoot = folder / "My Plugins";
        WallpaperBmpPath = DataFolder + "\\TavrinWP.bmp";
        ASSERT_TRUE(platform::CreateDir(DataFolder));
        ASSERT_TRUE(platform::CreateDir(PluginsRoot));
        ASSERT_TRUE(platform::CreateDir(PluginsRoot + "\\invert"));
        ASSERT_TRUE(platform::CreateDir(PluginsRoot + "\\empty"));
        const std::string plugin = testing_support::HelperProgram("InvertPlugin");
        ASSERT_TRUE(CopyFileA(plugin.c_str(), (PluginsRoot + "\\invert\\plugin.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(plugin.c_str(), (folder / "My.exe").c_str(), FALSE));
        Settings = TSettings{};
        Settings.plugin_directory = "none";
        Settings.BackgroundColor = 0x00123456;
        WriteBytes(picture, MakeJpeg(600, 800, [](int x, int y) { return static_cast<uint32_t>(x * 31 ^ y * 17); }));
    }

    TempFolder folder;
    const std::string picture = folder / "tall.jpg";
};

}  // namespace

TEST_F(WallpaperApplyTest, WritesTheBitmapAndTheDesktopValues) {
    SetDesktopValue("Wallpaper", "before");
    ASSERT_TRUE(MakeWallpaper(picture));
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), WallpaperBmpPath);
    EXPECT_EQ(e2e::ReadDesktopValue("WallpaperStyle"), "3");
    // The system was handed the same path: Wine keeps a setting made without
    // SPIF_UPDATEINIFILE as given, in a volatile key of its own.
    EXPECT_EQ(e2e::ReadUserString("Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop", "Wallpaper",
                                  "<none>"),
              WallpaperBmpPath);
    RenderOptions options;
    options.background = Settings.BackgroundColor;
    options.displayBits = platform::DisplayColorDepth();
    const std::vector<uint8_t> expected = EncodeBmp(testing_support::RenderCanvas(picture, options));
    EXPECT_EQ(FileBytes(WallpaperBmpPath), expected);
    EXPECT_FALSE(platform::FileExists(PluginsRoot + "\\invert\\plugin.exe.ran"));  // "none": no plugin
}

TEST_F(WallpaperApplyTest, ThePluginsResultIsWhatBecomesTheWallpaper) {
    Settings.plugin_directory = "invert";
    ASSERT_TRUE(MakeWallpaper(picture));
    EXPECT_TRUE(platform::FileExists(PluginsRoot + "\\invert\\plugin.exe.ran"));
    // The path with spaces never started the program the unquoted line begins with.
    EXPECT_FALSE(platform::FileExists(folder / "My.exe.ran"));

    RenderOptions options;
    options.background = Settings.BackgroundColor;
    options.displayBits = platform::DisplayColorDepth();
    const std::vector<uint8_t> plain = EncodeBmp(testing_support::RenderCanvas(picture, options));
    const std::vector<uint8_t> written = FileBytes(WallpaperBmpPath);
    ASSERT_EQ(written.size(), plain.size());
    const size_t offset = plain[10] | plain[11] << 8;
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + offset, written.begin()));
    for (size_t i = offset; i < plain.size(); i += 997) ASSERT_EQ(written[i], static_cast<uint8_t>(~plain[i])) << i;
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), WallpaperBmpPath);
    EXPECT_FALSE(platform::FileExists(WallpaperBmpPath + ".own"));
}

TEST_F(WallpaperApplyTest, APluginThatCannotStartIsSkipped) {
    for (const char* plugin : {"empty", "", "missing"}) {
        Settings.plugin_directory = plugin;
        SetDesktopValue("Wallpaper", "before");
        EXPECT_TRUE(MakeWallpaper(picture)) << plugin;
        EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), WallpaperBmpPath) << plugin;
    }
    EXPECT_FALSE(platform::FileExists(folder / "My.exe.ran"));
}

TEST_F(WallpaperApplyTest, FailuresLeaveTheDesktopAsItWas) {
    SetDesktopValue("Wallpaper", "before");
    WriteTextFile(folder / "bad.jpg", "not a picture");
    EXPECT_FALSE(MakeWallpaper(folder / "bad.jpg"));
    EXPECT_FALSE(MakeWallpaper(""));
    EXPECT_FALSE(MakeWallpaper(folder / "missing.bmp"));
    EXPECT_FALSE(platform::FileExists(WallpaperBmpPath));
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), "before");

    // The data folder removed while the program runs.
    ASSERT_TRUE(RemoveDirectoryA(DataFolder.c_str()));
    EXPECT_EQ(MakeWallpaper(picture).kind(), WallpaperResult::OutputFailed);
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), "before");
    ASSERT_TRUE(platform::CreateDir(DataFolder));

    // Without the desktop key nothing can be applied.
    HKEY panel;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel", 0, KEY_ALL_ACCESS, &panel), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeA(panel, "Desktop"), ERROR_SUCCESS);
    EXPECT_FALSE(MakeWallpaper(picture));
    HKEY desktop;
    RegCreateKeyExA(panel, "Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &desktop, nullptr);
    RegCloseKey(desktop);
    RegCloseKey(panel);
    EXPECT_TRUE(MakeWallpaper(picture));
}

// A plugin that hangs is ended at the limit; one that crashes, truncates the
// bitmap or writes no bitmap at all is overruled. Each time the program's own
// render becomes the wallpaper.
TEST_F(WallpaperApplyTest, AMisbehavingPluginLeavesTheProgramsOwnRender) {
    Settings.plugin_directory = "invert";
    RenderOptions options;
    options.background = Settings.BackgroundColor;
    options.displayBits = platform::DisplayColorDepth();
    const std::vector<uint8_t> plain = EncodeBmp(testing_support::RenderCanvas(picture, options));
    const std::string plugin = PluginsRoot + "\\invert\\plugin.exe";
    PluginTimeLimitMs = 1500;
    for (const char* mode : {"hang", "crash", "truncate", "garbage"}) {
        WriteTextFile(plugin + ".mode", mode);
        SetDesktopValue("Wallpaper", "before");
        EXPECT_TRUE(MakeWallpaper(picture)) << mode;
        EXPECT_EQ(FileBytes(WallpaperBmpPath), plain) << mode;
        EXPECT_FALSE(platform::FileExists(WallpaperBmpPath + ".own")) << mode;
        EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), WallpaperBmpPath) << mode;
        // It ran in its own folder.
        EXPECT_EQ(platform::IdentifyFolder(testing_support::ReadTextFile(plugin + ".cwd")),
                  platform::IdentifyFolder(PluginsRoot + "\\invert"));
    }
    PluginTimeLimitMs = 60000;
}

// A bitmap held by another program ends a change, forward or back, after one picture; `number` stays.
TEST_F(WallpaperApplyTest, AHeldBitmapEndsTheChangeAfterOnePicture) {
    const std::string pictures = folder / "pictures";
    ASSERT_TRUE(platform::CreateDir(pictures));
    for (char name = '1'; name <= '8'; ++name) ASSERT_TRUE(CopyFileA(picture.c_str(), (pictures + "\\" + name + ".jpg").c_str(), FALSE));
    WriteTextFile(WallpaperBmpPath, "held");
    HANDLE held = CreateFileA(WallpaperBmpPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    int32_t number = 5;
    int attempts = 0;
    auto counted = [&](const std::string& path) { return ++attempts, MakeWallpaper(path); };
    EXPECT_FALSE(RotateWallpaper(pictures, number, counted, [] {}) || RotateWallpaperBack(pictures, number, counted, [] {}));
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(number, 5);
    CloseHandle(held);
    EXPECT_TRUE(RotateWallpaper(pictures, number, counted, [] {}));
    EXPECT_EQ(number, 6);
}
