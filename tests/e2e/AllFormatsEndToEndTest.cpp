// The real tavrinwp.exe walking a folder of .jpg, .Jpg, .jpeg, .png and .webp
// pictures: with option "allformats" 1 every one is changed to in catalogue
// order, with 0 (and missing) only the described names count; the "Параметры"
// menu's check row turns the option over and saves config.ini at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "Driver.h"
#include "TestSupport.h"
#include "engine/CatalogueWalk.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "tests/image/JpegFixture.h"
#include "ui/Commands.h"
#include "ui/Main.h"

using e2e::Program;
using testing_support::MakeJpeg;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using testing_support::WriteTextFile;

namespace {

class AllFormatsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const e2e::DataFiles files = e2e::FreshDataFolder();
        config = files.config;
        bitmap = files.bitmap;
        DeleteFileA(config.c_str());
        // Each picture has a size of its own, so the written bitmap names it.
        // The PNG (RGBA, Adam7) and WebP files were made at build time by
        // ImageMagick and cwebp (ALLFORMATS_PICTURES).
        auto plain = [](int, int) { return 0x3080C0u; };
        WriteBytes(tree / "a.jpg", MakeJpeg(130, 100, plain));  // 130 × 100
        WriteBytes(tree / "e.Jpg", MakeJpeg(150, 100, plain));  // 150 × 115
        WriteBytes(tree / "d.jpeg", MakeJpeg(100, 200, plain)); // 260 × 200
        const std::string made = ALLFORMATS_PICTURES;
        for (const char* name : {"b.png", "c.webp", "f.PNG"})
            WriteBytes(tree / name, platform::ReadFileBytes(made + "\\" + name, 1u << 20));
        WriteTextFile(tree / "g.gif", "not a picture of any rule");
        sizes = {{"a.jpg", {130, 100}}, {"b.png", {200, 154}}, {"c.webp", {300, 231}},
                 {"d.jpeg", {260, 200}}, {"e.Jpg", {150, 115}}, {"f.PNG", {140, 108}}};
        for (PictureRule rule : {PictureRule::Described, PictureRule::AllFormats}) {
            std::vector<std::string>& names = order[rule];
            for (int32_t position = 1;; ++position) {
                WalkState state;
                state.rule = rule;
                PictureSearch(tree.Path(), position, state);
                names.push_back(state.found.substr(state.found.find_last_of('\\') + 1));
                if (state.catalogueEnd) break;
            }
        }
    }

    void WriteConfig(const std::string& allformats) {
        WriteTextFile(config, "[options]\r\nwallpaper_directory=" + tree.Path() +
                                  "\r\nchangestart=1\r\nnumber=1\r\nplugin_directory=none\r\nR=0\r\nG=0\r\nB=128\r\n" +
                                  allformats);
    }
    std::pair<int32_t, int32_t> Shown() {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(bitmap, 1u << 28);
        const Bitmap written = DecodeBmp(bytes.data(), bytes.size());
        return {written.width, written.height};
    }
    // Presses the tray icon `count` times; the names shown, by their sizes.
    std::vector<std::pair<int32_t, int32_t>> Presses(HWND form, size_t count) {
        std::vector<std::pair<int32_t, int32_t>> shown;
        for (size_t i = 0; i < count; ++i) {
            e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
            shown.push_back(Shown());
        }
        return shown;
    }
    std::vector<std::pair<int32_t, int32_t>> Expected(PictureRule rule, size_t from, size_t count) {
        std::vector<std::pair<int32_t, int32_t>> expected;
        const std::vector<std::string>& names = order[rule];
        for (size_t i = 0; i < count; ++i) expected.push_back(sizes[names[(from + i) % names.size()]]);
        return expected;
    }

    TempFolder tree;
    std::string config, bitmap;
    std::map<std::string, std::pair<int32_t, int32_t>> sizes;
    std::map<PictureRule, std::vector<std::string>> order;
};

}  // namespace

TEST_F(AllFormatsEndToEnd, EveryFormatWithTheOptionOnAndTheDescribedRuleWithItOff) {
    ASSERT_EQ(order[PictureRule::AllFormats].size(), 6u);
    ASSERT_EQ(order[PictureRule::Described], std::vector<std::string>{"a.jpg"});
    for (const std::string allformats : {"allformats=1\r\n", "allformats=0\r\n", ""}) {
        const PictureRule rule = allformats.find('1') != std::string::npos ? PictureRule::AllFormats : PictureRule::Described;
        WriteConfig(allformats);
        Program program("");
        ASSERT_TRUE(program.WaitUntilIdle());
        HWND form = program.FindWindowOfClass("TForm1");
        ASSERT_NE(form, nullptr);
        // The change at start showed position 1; each press the next, wrapping.
        EXPECT_EQ(Shown(), Expected(rule, 0, 1)[0]) << allformats;
        EXPECT_EQ(Presses(form, 7), Expected(rule, 1, 7)) << allformats;
        PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
        EXPECT_TRUE(program.WaitForExit());
        // With the option missing, config.ini does not gain it.
        if (allformats.empty()) EXPECT_EQ(platform::ReadIniString(config, "options", "allformats", "none"), "none");
    }
}

TEST_F(AllFormatsEndToEnd, TheMenuRowTurnsTheOptionOverAndSavesAtOnce) {
    WriteConfig("");
    Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Presses(form, 2), Expected(PictureRule::Described, 0, 2));
    e2e::Deliver(form, WM_COMMAND, CmdAllFormats, 0);
    EXPECT_EQ(platform::ReadIniString(config, "options", "allformats", "none"), "1");
    // The rotation's position is 1 again after a one-picture catalogue wrapped:
    // the next presses walk every format from the first.
    const std::vector<std::pair<int32_t, int32_t>> walked = Presses(form, 6);
    EXPECT_EQ(walked, Expected(PictureRule::AllFormats, 0, 6));
    e2e::Deliver(form, WM_COMMAND, CmdAllFormats, 0);
    EXPECT_EQ(platform::ReadIniString(config, "options", "allformats", "none"), "0");
    EXPECT_EQ(Presses(form, 1), Expected(PictureRule::Described, 0, 1));
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}
