// The real tavrinwp.exe changing the wallpaper over a folder where hostile and
// damaged pictures stand between good ones: it passes over the bad ones, keeps
// answering, and always leaves a sound bitmap.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <utility>

#include "Driver.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "tests/image/CraftedPictures.h"
#include "tests/image/JpegFixture.h"
#include "platform/Platform.h"
#include "ui/Main.h"

using e2e::Program;
using testing_support::MakeJpeg;
using testing_support::WriteBytes;

TEST(HostilePicturesEndToEnd, SixChangesPassOverBadPicturesAndAlwaysLeaveASoundBitmap) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    testing_support::TempFolder tree;
    auto plain = [](int, int) { return 0x3080C0u; };
    // Good pictures, each of a size of its own on the wallpaper.
    WriteBytes(tree / "a.jpg", MakeJpeg(130, 100, plain));  // 130 × 100
    Bitmap tall;
    tall.Reset(100, 200, 24);
    const std::vector<uint8_t> tallBmp = EncodeBmp(tall);
    WriteBytes(tree / "c.bmp", tallBmp);                    // 260 × 200
    WriteBytes(tree / "e.jpg", MakeJpeg(300, 100, plain));  // 300 × 231
    std::vector<uint8_t> half = MakeJpeg(390, 300, plain);  // cut in half, it still shows: 390 × 300
    half.resize(half.size() / 2);
    WriteBytes(tree / "half.jpg", half);
    // Hostile and damaged ones. The run after the moves of columns.bmp falls
    // beyond its row, so it shows as a blank 16 × 12; the others are passed over.
    WriteBytes(tree / "columns.bmp", testing_support::ColumnOverflowBmp());
    WriteBytes(tree / "claims.bmp", testing_support::RleBmp(13000, 10000, {0, 1}));
    WriteBytes(tree / "cut.bmp", std::vector<uint8_t>(tallBmp.begin(), tallBmp.begin() + tallBmp.size() / 2));
    std::vector<uint8_t> head = MakeJpeg(130, 100, plain);
    head.resize(40);
    WriteBytes(tree / "head.jpg", head);
    const std::set<std::pair<int32_t, int32_t>> good = {{130, 100}, {260, 200}, {300, 231}, {390, 300}, {16, 12}};

    testing_support::WriteTextFile(files.config, "[options]\r\nwallpaper_directory=" + tree.Path() +
                                                     "\r\nnumber=1\r\nplugin_directory=none\r\n");
    Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    std::set<std::pair<int32_t, int32_t>> shown;
    for (int change = 1; change <= 6; ++change) {
        e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
        DWORD_PTR answer = 0;
        ASSERT_NE(SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &answer), 0) << change;
        ASSERT_FALSE(program.WaitForExit(0)) << change;
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(files.bitmap, 1u << 28);
        ASSERT_GE(bytes.size(), 6u);
        EXPECT_EQ(bytes[2] | bytes[3] << 8 | bytes[4] << 16 | uint32_t(bytes[5]) << 24, bytes.size()) << change;
        const Bitmap written = DecodeBmp(bytes.data(), bytes.size());
        EXPECT_TRUE(good.count({written.width, written.height})) << change << ": " << written.width << " x "
                                                                 << written.height;
        shown.insert({written.width, written.height});
    }
    // The rotation went round: every good picture showed, and nothing else.
    EXPECT_EQ(shown, good);
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}
