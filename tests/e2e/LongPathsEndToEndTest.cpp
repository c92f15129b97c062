// The real tavrinwp.exe with paths of any length: a folder name far too long
// for any function is a folder that cannot be listed, and pictures behind
// paths past MAX_PATH are changed to, previewed and applied like any other.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

#include "Driver.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "tests/image/JpegFixture.h"
#include "ui/Main.h"

using e2e::Program;
using testing_support::MakeJpeg;

namespace {

using Size = std::pair<int32_t, int32_t>;

// The size of the wallpaper bitmap, which names the picture shown; {0, 0} while there is none.
Size Shown(const std::string& bitmap) {
    try {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(bitmap, 1u << 26);
        const Bitmap written = DecodeBmp(bytes.data(), bytes.size());
        return {written.width, written.height};
    } catch (const std::exception&) {
        return {0, 0};
    }
}

// The test's own files, past MAX_PATH: the wide functions in the "\\?\" form
// (the paths here are whole and plain).
std::wstring Verbatim(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }
bool MakeFolder(const std::string& path) { return CreateDirectoryW(Verbatim(path).c_str(), nullptr) != 0; }
bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileW(Verbatim(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok;
}

// An edit control's text, asked of the program that holds it.
std::wstring FieldText(HWND edit) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 30000, nullptr);
    return text;
}

bool Answers(Program& program, HWND form) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &answer) != 0 && !program.WaitForExit(0);
}

}  // namespace

// config.ini naming "C:\" and 4,997 letters: the program starts, every change
// does nothing, as for a missing folder, and it answers and ends normally.
TEST(LongPathsEndToEnd, AFolderNameTooLongForAnyFunctionIsAFolderThatCannotBeListed) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    const std::string config =
        "[options]\r\nwallpaper_directory=C:\\" + std::string(4997, 'q') + "\r\nnumber=1\r\nplugin_directory=none\r\n";
    testing_support::WriteTextFile(files.config, config);
    const std::string wallpaper = e2e::ReadDesktopValue("Wallpaper");
    Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    for (int change = 1; change <= 2; ++change) {
        e2e::Deliver(form, TForm1::TrayCallbackMessage, 1, WM_LBUTTONDOWN);
        ASSERT_TRUE(Answers(program, form)) << change;
    }
    e2e::Deliver(form, WM_COMMAND, TForm1::CmdN7, 0);  // "Следующая"
    ASSERT_TRUE(Answers(program, form));
    EXPECT_FALSE(platform::FileExists(files.bitmap));
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), wallpaper);
    EXPECT_EQ(testing_support::ReadTextFile(files.config), config);
    PostMessageW(form, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(program.WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
}

// A picture folder of 230 characters, which the folder tree still takes,
// holding a picture whose name takes its path to 330 characters, and folders
// going on past MAX_PATH to another picture 330 characters down. Changes show
// both; a click in the tree previews the first, and the check mark applies it.
TEST(LongPathsEndToEnd, PicturesBehindPathsPastMaxPathAreChangedToPreviewedAndApplied) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    testing_support::TempFolder base;
    const std::string folder = base / std::string(229 - base.Path().size(), 'f');
    ASSERT_TRUE(MakeFolder(folder));
    const std::string named = folder + "\\" + std::string(330 - folder.size() - 5, 'n') + ".jpg";
    std::string deep = folder;
    while (deep.size() < 300) {
        deep += "\\" + std::string(30, 'd');
        ASSERT_TRUE(MakeFolder(deep));
    }
    deep += "\\" + std::string(330 - deep.size() - 5, 'p') + ".jpg";
    ASSERT_EQ(named.size(), 330u);
    ASSERT_EQ(deep.size(), 330u);
    const uint32_t orange = 0xE08020;
    ASSERT_TRUE(WriteWhole(named, MakeJpeg(200, 100, [&](int, int) { return orange; })));  // 200 × 154
    ASSERT_TRUE(WriteWhole(deep, MakeJpeg(300, 100, [](int, int) { return 0x3080C0u; })));  // 300 × 231
    testing_support::WriteTextFile(files.config, "[options]\r\nwallpaper_directory=" + folder +
                                                     "\r\nnumber=1\r\nplugin_directory=none\r\n");

    Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    HWND editDir = nullptr, tree = nullptr;
    ASSERT_TRUE(e2e::WaitFor([&] {
        editDir = Program::ChildAt(form, 20, 360);
        tree = Program::ChildAt(form, 100, 200);
        return editDir && tree;
    }));

    // The saved folder is selected in the tree; a click on it previews its picture.
    const LRESULT selected = e2e::Deliver(tree, TVM_GETNEXTITEM, TVGN_CARET);
    ASSERT_NE(selected, 0);
    RECT item = {};  // TVM_GETITEMRECT takes the item in the rectangle's first bytes
    const HTREEITEM handle = reinterpret_cast<HTREEITEM>(selected);
    std::memcpy(&item, &handle, sizeof handle);
    ASSERT_TRUE(program.SendWithBuffer(tree, TVM_GETITEMRECT, TRUE, &item, sizeof item));
    e2e::Deliver(editDir, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    Program::Click(tree, item.left + 8, (item.top + item.bottom) / 2);  // the long name runs past the tree's edge
    const std::wstring shownFolder(folder.begin(), folder.end());
    ASSERT_TRUE(e2e::WaitFor([&] { return FieldText(editDir) == shownFolder; }));
    ASSERT_TRUE(Answers(program, form));
    EXPECT_EQ(program.FindWindowOfClass("#32770", 500), nullptr) << "an error box";
    // The middle of the preview box (170 x 130 at 288, 88) shows the orange picture.
    HDC dc = GetDC(form);
    const COLORREF middle = GetPixel(dc, 288 + 85, 88 + 65);
    ReleaseDC(form, dc);
    const int red = GetRValue(middle), green = GetGValue(middle), blue = GetBValue(middle);
    EXPECT_TRUE(std::abs(red - 0xE0) < 24 && std::abs(green - 0x80) < 24 && std::abs(blue - 0x20) < 24)
        << std::hex << middle;

    // The check mark applies the previewed picture.
    Program::Click(Program::ChildAt(form, 374, 247), 30, 11);
    EXPECT_TRUE(e2e::WaitFor([&] { return Shown(files.bitmap) == Size(200, 154); }));
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), files.bitmap);

    // Two changes show both pictures, the one beyond MAX_PATH's folders too.
    std::set<Size> shown;
    for (int change = 1; change <= 2; ++change) {
        e2e::Deliver(form, TForm1::TrayCallbackMessage, 1, WM_LBUTTONDOWN);
        shown.insert(Shown(files.bitmap));
    }
    EXPECT_EQ(shown, (std::set<Size>{{200, 154}, {300, 231}}));
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit());
}
