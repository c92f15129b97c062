// The real tavrinwp.exe with a picture on every monitor ("fitscreen"): on the
// one monitor of Wine's desktop, fitted and filled, picked from the
// "Параметры" menu; and on two monitors (tests/e2e/two-monitors.sh), both
// pictures, the background between them, the registry and the position, a
// display change drawing the pictures showing again for the monitor left, and
// random order taking the round's pictures one per monitor.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "Driver.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "ui/Commands.h"
#include "ui/Main.h"

using e2e::Program;
using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

using Bgr = std::array<uint8_t, 3>;
constexpr Bgr kBlue = {255, 0, 0}, kGreen = {0, 255, 0}, kBackground = {128, 0, 0};  // R=0 G=0 B=128

class ScreensEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const e2e::DataFiles files = e2e::FreshDataFolder();
        config = files.config;
        bitmap = files.bitmap;
        // Flat pictures keep their colour exactly when scaled: 1.bmp wide and blue, 2.bmp tall and green.
        Flat("1.bmp", 200, 100, kBlue);
        Flat("2.bmp", 100, 200, kGreen);
        WriteTextFile(config, "[options]\r\nwallpaper_directory=" + tree.Path() +
                                  "\r\nchangestart=1\r\nnumber=1\r\nplugin_directory=none\r\nR=0\r\nG=0\r\nB=128\r\n"
                                  "fitscreen=1\r\n");
    }
    void Flat(const std::string& name, int32_t w, int32_t h, Bgr colour) {
        Bitmap b;
        b.Reset(w, h, 24);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) std::copy(colour.begin(), colour.end(), b.Row(y) + 3 * x);
        const std::vector<uint8_t> bytes = EncodeBmp(b);
        platform::WriteFileReplacing(tree / name, [&](platform::OutputFile& out) { out.Write(bytes.data(), bytes.size()); });
    }
    Bitmap Shown() {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(bitmap, 1u << 28);
        return DecodeBmp(bytes.data(), bytes.size());
    }
    static Bgr At(const Bitmap& b, int32_t x, int32_t y) {
        std::vector<uint8_t> row(3 * size_t(b.width));
        RowToBgr24(b, y, row.data());
        return {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    }
    std::string Key(const char* name) { return platform::ReadIniString(config, "options", name, "<none>"); }

    TempFolder tree;
    std::string config, bitmap;
};

int Monitors() { return GetSystemMetrics(SM_CMONITORS); }

}  // namespace

TEST_F(ScreensEndToEnd, OneMonitorFittedFilledAndFramedAsTheMenuPicks) {
    if (Monitors() != 1) GTEST_SKIP() << "runs on one monitor";
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(width * 3, height * 4) << "the test's geometry takes a 4 : 3 desktop";
    Program program("startup");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);

    // Fitted at start: 1.bmp (2 : 1) across the whole width, bars above and below.
    Bitmap shown = Shown();
    ASSERT_EQ(shown.width, width);
    ASSERT_EQ(shown.height, height);
    const int bar = (height - width / 2) / 2;
    EXPECT_EQ(At(shown, width / 2, height / 2), kBlue);
    EXPECT_EQ(At(shown, 0, bar - 1), kBackground);
    EXPECT_EQ(At(shown, 0, bar), kBlue);
    EXPECT_EQ(At(shown, width - 1, height - bar), kBackground);
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), bitmap);
    EXPECT_EQ(e2e::ReadDesktopValue("WallpaperStyle"), "0");
    EXPECT_EQ(e2e::ReadDesktopValue("TileWallpaper"), "0");
    EXPECT_EQ(Key("number"), "2");

    // "Заполнить экран" is saved at once; the next change fills: 2.bmp, cut, no bars.
    e2e::Deliver(form, WM_COMMAND, CmdFitFill, 0);
    EXPECT_EQ(Key("fitscreen"), "2");
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    shown = Shown();
    ASSERT_EQ(shown.width, width);
    for (auto [x, y] : {std::pair{0, 0}, {width - 1, height - 1}, {width / 2, height / 2}}) EXPECT_EQ(At(shown, x, y), kGreen);
    EXPECT_EQ(Key("number"), "1");  // the catalogue wrapped

    // "Предыдущая" steps back one monitor's worth: 1.bmp again, filled.
    e2e::Deliver(form, WM_COMMAND, CmdTrayPrevious, 0);
    EXPECT_EQ(At(Shown(), 0, 0), kBlue);
    EXPECT_EQ(Key("number"), "2");

    // "Рамка 1,3 : 1": the described frame again, at the picture's own size.
    e2e::Deliver(form, WM_COMMAND, CmdFitFrame, 0);
    EXPECT_EQ(Key("fitscreen"), "0");
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    shown = Shown();
    EXPECT_EQ(shown.width, 260);
    EXPECT_EQ(shown.height, 200);
    EXPECT_EQ(e2e::ReadDesktopValue("WallpaperStyle"), "3");
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}

// On the same rig, before the test below switches its second monitor off,
// random order as well ("shuffle" 1): each monitor takes the next picture of
// the round, the primary's is "current", and a round of four pictures is two
// changes; "Предыдущая" at a round's start draws the pictures showing again.
TEST_F(ScreensEndToEnd, TwoMonitorsTakeTheRoundInRandomOrder) {
    char rig[8] = "";
    if (!GetEnvironmentVariableA("TAVRIN_TWO_MONITORS", rig, sizeof rig)) {
        if (Monitors() != 2) GTEST_SKIP() << "runs on two monitors (tests/e2e/two-monitors.sh)";
    }
    ASSERT_EQ(Monitors(), 2);
    constexpr Bgr kRed = {0, 0, 255}, kWhite = {255, 255, 255};
    Flat("3.bmp", 200, 100, kRed);
    Flat("4.bmp", 200, 100, kWhite);
    const std::map<Bgr, std::string> names = {{kBlue, "1.bmp"}, {kGreen, "2.bmp"}, {kRed, "3.bmp"}, {kWhite, "4.bmp"}};
    WriteTextFile(config, "[options]\r\nwallpaper_directory=" + tree.Path() +
                              "\r\nchangestart=1\r\nnumber=1\r\nplugin_directory=none\r\nR=0\r\nG=0\r\nB=128\r\n"
                              "fitscreen=1\r\nshuffle=1\r\n");
    // The middle of each monitor: every picture covers it, fitted.
    const auto middles = [&] {
        const Bitmap shown = Shown();
        return std::pair{At(shown, 512, 384), At(shown, 1024 + 400, 300)};
    };
    Program program("startup");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);

    const auto first = middles();
    ASSERT_TRUE(names.count(first.first) && names.count(first.second));
    EXPECT_EQ(Key("number"), "3");
    EXPECT_EQ(Key("current"), tree / names.at(first.first));
    const std::string seed = Key("shuffleseed");
    EXPECT_NE(seed, "0");

    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    const auto second = middles();
    EXPECT_EQ((std::set<Bgr>{first.first, first.second, second.first, second.second}).size(), 4u);
    EXPECT_EQ(Key("number"), "1");  // the round ended: the next one has a seed of its own
    EXPECT_NE(Key("shuffleseed"), seed);
    EXPECT_EQ(Key("current"), tree / names.at(second.first));

    e2e::Deliver(form, WM_COMMAND, CmdTrayPrevious, 0);
    EXPECT_EQ(middles(), second);
    EXPECT_EQ(Key("number"), "1");
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}

// On the rig of tests/e2e/two-monitors.sh: 1024 x 768 and 800 x 600 right of it.
TEST_F(ScreensEndToEnd, TwoMonitorsEachShowTheirPictureAndADisplayChangeRedraws) {
    // two-monitors.sh says it made the rig: then two monitors must be seen.
    char rig[8] = "";
    if (!GetEnvironmentVariableA("TAVRIN_TWO_MONITORS", rig, sizeof rig)) {
        if (Monitors() != 2) GTEST_SKIP() << "runs on two monitors (tests/e2e/two-monitors.sh)";
    }
    ASSERT_EQ(Monitors(), 2) << "the virtual screen: " << GetSystemMetrics(SM_CXVIRTUALSCREEN) << " x "
                             << GetSystemMetrics(SM_CYVIRTUALSCREEN);
    Program program("startup");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);

    Bitmap shown = Shown();
    ASSERT_EQ(shown.width, 1824);
    ASSERT_EQ(shown.height, 768);
    // The primary: 1.bmp fitted to 1024 x 512 at y = 128.
    EXPECT_EQ(At(shown, 512, 384), kBlue);
    EXPECT_EQ(At(shown, 512, 127), kBackground);
    EXPECT_EQ(At(shown, 512, 128), kBlue);
    // The second: 2.bmp fitted to 300 x 600 at x = 250 of its monitor.
    EXPECT_EQ(At(shown, 1024 + 249, 300), kBackground);
    EXPECT_EQ(At(shown, 1024 + 250, 300), kGreen);
    EXPECT_EQ(At(shown, 1024 + 549, 599), kGreen);
    EXPECT_EQ(At(shown, 1024 + 550, 300), kBackground);
    // Below the second monitor no monitor shows anything: the background.
    EXPECT_EQ(At(shown, 1024 + 400, 700), kBackground);
    // Spanned from Windows 8 on; before it centred and tiled from the primary's origin.
    char style[8] = "";
    if (!GetEnvironmentVariableA("TAVRIN_WALLPAPER_STYLE", style, sizeof style))
        strcpy(style, platform::SpansWallpaper() ? "22" : "0");
    EXPECT_EQ(e2e::ReadDesktopValue("WallpaperStyle"), style);
    EXPECT_EQ(e2e::ReadDesktopValue("TileWallpaper"), std::string(style) == "22" ? "0" : "1");
    EXPECT_EQ(Key("number"), "1");  // two pictures, two monitors: round to the start

    // The second output switched off: the primary's picture is drawn again for
    // one monitor, the position as it was.
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    char command[] = "Z:\\usr\\bin\\xrandr --output DUMMY1 --off";
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process));
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine (8.0) does not broadcast WM_DISPLAYCHANGE for a change made outside
    // it: once it sees one monitor, the message is delivered as Windows
    // broadcasts it to every top-level window.
    ASSERT_TRUE(e2e::WaitFor([] { return Monitors() == 1; }));
    e2e::Deliver(form, WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    ASSERT_TRUE(e2e::WaitFor([&] {
        try {
            return Shown().width == 1024;
        } catch (...) {
            return false;
        }
    })) << "monitors now: " << Monitors();
    shown = Shown();
    EXPECT_EQ(shown.height, 768);
    EXPECT_EQ(At(shown, 512, 384), kBlue);
    EXPECT_EQ(At(shown, 512, 127), kBackground);
    EXPECT_EQ(e2e::ReadDesktopValue("WallpaperStyle"), "0");
    EXPECT_EQ(Key("number"), "1");
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}
