// The real tavrinwp.exe with paths of any length.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "Driver.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "tests/image/JpegFixture.h"
#include "ui/Main.h"

namespace {

std::pair<int32_t, int32_t> Shown(const std::string& bitmap) {
    try {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(bitmap, 1u << 26);
        const Bitmap written = DecodeBmp(bytes.data(), bytes.size());
        return {written.width, written.height};
    } catch (const std::exception&) {
        return {0, 0};
    }
}

bool Answers(e2e::Program& program, HWND form) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &answer) && !program.WaitForExit(0);
}

// The test's own files, made apart from the program's ways: the "\\?\" form.
std::wstring Verbatim(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }
bool WriteJpeg(const std::string& path, int width, uint32_t color) {
    const std::vector<uint8_t> bytes = testing_support::MakeJpeg(width, 100, [&](int, int) { return color; });
    HANDLE file = CreateFileW(Verbatim(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && CloseHandle(file);
}

}  // namespace

// config.ini naming "C:\" and 4,997 letters: changes change nothing, as for a
// missing folder, and the program answers and ends normally.
TEST(LongPathsEndToEnd, AFolderNameTooLongForAnyFunctionIsAFolderThatCannotBeListed) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    const std::string config = "[options]\r\nwallpaper_directory=C:\\" + std::string(4997, 'q') +
                               "\r\nnumber=1\r\nplugin_directory=none\r\n";
    testing_support::WriteTextFile(files.config, config);
    e2e::Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    e2e::Deliver(form, WM_COMMAND, CmdTrayNext, 0);  // "Следующая"
    ASSERT_TRUE(Answers(program, form));
    EXPECT_FALSE(platform::FileExists(files.bitmap));
    EXPECT_EQ(testing_support::ReadTextFile(files.config), config);
    PostMessageW(form, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(program.WaitForExit(30000, &code) && code == 0);
}

// A picture folder of 230 characters (the folder tree still takes it) holding
// a picture whose name takes its path to 330, and folders going on past
// MAX_PATH to another picture 330 characters down: changes show both; a click
// in the tree previews the first, and the check mark applies it.
TEST(LongPathsEndToEnd, PicturesBehindPathsPastMaxPathAreChangedToPreviewedAndApplied) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    testing_support::TempFolder base;
    const std::string folder = base / std::string(229 - base.Path().size(), 'f');
    std::string deep = folder;
    ASSERT_TRUE(CreateDirectoryW(Verbatim(folder).c_str(), nullptr));
    while (deep.size() < 300)
        ASSERT_TRUE(CreateDirectoryW(Verbatim(deep += "\\" + std::string(30, 'd')).c_str(), nullptr));
    ASSERT_TRUE(WriteJpeg(folder + "\\" + std::string(95, 'n') + ".jpg", 200, 0xE08020));  // 200 x 154, orange
    ASSERT_TRUE(WriteJpeg(deep + "\\pp.jpg", 300, 0x3080C0));                              // 300 x 231
    testing_support::WriteTextFile(files.config, "[options]\r\nwallpaper_directory=" + folder +
                                                     "\r\nnumber=1\r\nplugin_directory=none\r\n");
    e2e::Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1"), tree = nullptr, editDir = nullptr;
    ASSERT_TRUE(e2e::WaitFor([&] {
        return (tree = e2e::Program::ChildAt(form, 100, 200)) && (editDir = e2e::Program::ChildAt(form, 20, 360));
    }));

    // A click on the saved folder, selected in the tree, previews its picture.
    RECT item = {};  // TVM_GETITEMRECT takes the item in the rectangle's first bytes
    const LRESULT selected = e2e::Deliver(tree, TVM_GETNEXTITEM, TVGN_CARET);
    std::memcpy(&item, &selected, sizeof selected);
    ASSERT_TRUE(selected && program.SendWithBuffer(tree, TVM_GETITEMRECT, TRUE, &item, sizeof item));
    e2e::Program::Click(tree, item.left + 8, (item.top + item.bottom) / 2);  // the long name runs past the edge
    wchar_t field[512] = {};
    ASSERT_TRUE(e2e::WaitFor([&] {
        e2e::Deliver(editDir, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(field));
        return std::wstring(field) == std::wstring(folder.begin(), folder.end());
    }));
    ASSERT_TRUE(Answers(program, form));
    EXPECT_EQ(program.FindWindowOfClass("#32770", 500), nullptr) << "an error box";
    COLORREF middle = 0;  // the middle of the preview box, orange once it is painted
    const auto orange = [&] {
        HDC dc = GetDC(form);
        middle = GetPixel(dc, 288 + 85, 88 + 65);
        ReleaseDC(form, dc);
        return std::abs(GetRValue(middle) - 0xE0) + std::abs(GetGValue(middle) - 0x80) +
                   std::abs(GetBValue(middle) - 0x20) < 48;
    };
    EXPECT_TRUE(e2e::WaitFor(orange, 10000)) << std::hex << middle;
    e2e::Program::Click(e2e::Program::ChildAt(form, 374, 247), 30, 11);  // the check mark
    EXPECT_TRUE(e2e::WaitFor([&] { return Shown(files.bitmap) == std::make_pair(200, 154); }));

    std::set<std::pair<int32_t, int32_t>> shown;
    for (int change = 1; change <= 2; ++change) {
        e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
        shown.insert(Shown(files.bitmap));
    }
    EXPECT_EQ(shown, (std::set<std::pair<int32_t, int32_t>>{{200, 154}, {300, 231}}));
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit());
}
