// The real tavrinwp.exe changing the wallpaper of its own Wine prefix: at
// start, from the tray icon and from the tray menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>

#include "Driver.h"
#include "tests/image/JpegFixture.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "engine/CatalogueWalk.h"
#include "platform/Platform.h"
#include "ui/Main.h"

using e2e::Program;
using testing_support::MakeJpeg;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using testing_support::WriteTextFile;

namespace {

class WallpaperEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const e2e::DataFiles files = e2e::FreshDataFolder();
        config = files.config;
        bitmap = files.bitmap;
        DeleteFileA(config.c_str());
        // Every picture has a size of its own, so the written bitmap tells which one it was.
        ASSERT_TRUE(platform::CreateDir(tree / "sub"));
        auto plain = [](int, int) { return 0x3080C0u; };
        WriteBytes(tree / "a.jpg", MakeJpeg(130, 100, plain));                // 130 × 100
        WriteTextFile(tree / "b.jpg", "this picture does not decode");
        WriteBytes(tree / "c.JPG", MakeJpeg(200, 100, plain));                // 200 × 154
        WriteBytes(tree / "e.jpg", MakeJpeg(300, 100, plain));                // 300 × 231
        Bitmap tall;
        tall.Reset(100, 200, 24);
        WriteBytes(tree / "sub\\d.bmp", EncodeBmp(tall));                     // 260 × 200
        WriteTextFile(tree / "notes.txt", "not a picture");
        sizes = {{"a.jpg", {130, 100}}, {"b.jpg", {0, 0}}, {"c.JPG", {200, 154}}, {"d.bmp", {260, 200}},
                 {"e.jpg", {300, 231}}};
        // The catalogue in the order this system lists the folders.
        for (int32_t position = 1; position <= kPictures; ++position) {
            WalkState state;
            PictureSearch(tree.Path(), position, state);
            const std::string& found = state.found;
            order.push_back(found.substr(found.find_last_of('\\') + 1));
        }
    }

    void WriteConfig(int number) {
        WriteTextFile(config, "[options]\r\nwallpaper_directory=" + tree.Path() + "\r\nchangestart=1\r\nnumber=" +
                                  std::to_string(number) + "\r\nplugin_directory=none\r\nR=0\r\nG=0\r\nB=128\r\n");
    }
    int Number() { return std::stoi(platform::ReadIniString(config, "options", "number", "-999")); }

    // The size of the wallpaper bitmap, which names the picture shown.
    std::pair<int32_t, int32_t> Shown() {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(bitmap, 1u << 28);
        const Bitmap written = DecodeBmp(bytes.data(), bytes.size());
        return {written.width, written.height};
    }
    // The catalogue position of a good picture after `from` (1-based), wrapping.
    int NextGood(int from) const {
        for (int step = 1; step <= kPictures; ++step) {
            const int position = (from + step - 1) % kPictures + 1;
            if (order[position - 1] != "b.jpg") return position;
        }
        return 0;
    }
    std::pair<int32_t, int32_t> SizeAt(int position) { return sizes[order[position - 1]]; }

    static constexpr int kPictures = 5;
    TempFolder tree;
    std::string config, bitmap;
    std::map<std::string, std::pair<int32_t, int32_t>> sizes;
    std::vector<std::string> order;
};

}  // namespace

TEST_F(WallpaperEndToEnd, ChangesAtStartOnATrayPressAndStepsBackFromTheMenu) {
    // Start at the picture after the undecodable one... or at it.
    const int bad = static_cast<int>(std::find(order.begin(), order.end(), "b.jpg") - order.begin()) + 1;
    WriteConfig(bad);
    Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);

    // The change at start passed over the undecodable picture.
    int showing = NextGood(bad);
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), bitmap);
    EXPECT_EQ(e2e::ReadDesktopValue("WallpaperStyle"), "3");
    EXPECT_EQ(Shown(), SizeAt(showing));
    EXPECT_EQ(Number(), showing % kPictures + 1);

    // A left press on the tray icon moves on; releases and double-clicks do nothing.
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    const int after = NextGood(showing);
    EXPECT_EQ(Shown(), SizeAt(after));
    const int number = Number();
    EXPECT_EQ(number, after % kPictures + 1);
    for (LPARAM ignored : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_RBUTTONUP, WM_MBUTTONDOWN})
        e2e::Deliver(form, TTray::CallbackMessage, 1, ignored);
    EXPECT_EQ(Number(), number);
    EXPECT_EQ(Shown(), SizeAt(after));

    // Move on until a picture shows that has a good one before it and is not
    // the last (after the last the rotation wraps, and stepping back re-applies it).
    int current = after;
    auto steppable = [&] { return current >= 2 && current < kPictures && order[current - 2] != "b.jpg"; };
    for (int i = 0; i < kPictures && !steppable(); ++i) {
        e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
        current = NextGood(current);
    }
    ASSERT_TRUE(steppable());
    ASSERT_EQ(Shown(), SizeAt(current));
    e2e::Deliver(form, WM_COMMAND, CmdTrayPrevious, 0);  // "Предыдущая"
    EXPECT_EQ(Shown(), SizeAt(current - 1));
    EXPECT_EQ(Number(), current);

    // "Следующая" moves on again.
    e2e::Deliver(form, WM_COMMAND, CmdTrayNext, 0);
    EXPECT_EQ(Shown(), SizeAt(current));

    // "Выход" of the tray menu ends the program.
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}

TEST_F(WallpaperEndToEnd, SteppingBackPassesOverAPictureThatCannotBeApplied) {
    TempFolder steps;  // 1.jpg, a damaged 2.jpg, 3.jpg, 4.jpg, 5.jpg; i.jpg makes a wallpaper 130 + 10 i wide
    for (int i = 1; i <= 5; ++i)
        WriteBytes(steps / (std::to_string(i) + ".jpg"),
                   i == 2 ? std::vector<uint8_t>(300, 0xFF) : MakeJpeg(130 + 10 * i, 100, [](int, int) { return 0u; }));
    WriteTextFile(config, "[options]\r\nwallpaper_directory=" + steps.Path() + "\r\nnumber=1\r\n");
    Program program("startup");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    for (int i = 0; i < 3; ++i) e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);  // 1, 3, 4
    for (int shown : {3, 1}) {
        e2e::Deliver(form, WM_COMMAND, CmdTrayPrevious, 0);  // "Предыдущая"
        EXPECT_EQ(Shown().first, 130 + 10 * shown);
        EXPECT_EQ(Number(), shown + 1);
    }
}

TEST_F(WallpaperEndToEnd, ARightPressOpensTheTrayMenuEvenWhileHidden) {
    WriteConfig(1);
    Program program("startup");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    ASSERT_FALSE(IsWindowVisible(form));
    PostMessageW(form, TTray::CallbackMessage, 1, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    for (int i = 0; i < 200 && !menu; ++i) {
        HWND candidate = FindWindowA("#32768", nullptr);
        DWORD owner = 0;
        if (candidate && IsWindowVisible(candidate)) GetWindowThreadProcessId(candidate, &owner);
        if (owner == program.Id()) menu = candidate;
        else Sleep(50);
    }
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 100 && IsWindowVisible(menu); ++i) Sleep(50);
    EXPECT_FALSE(IsWindowVisible(menu));

    // "Настройки" brings the window back, in front.
    e2e::Deliver(form, WM_COMMAND, CmdTraySettings, 0);
    EXPECT_TRUE(IsWindowVisible(form));
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}
