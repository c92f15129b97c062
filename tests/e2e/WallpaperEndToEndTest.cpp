// The real tavrinwp.exe changing the wallpaper of its own Wine prefix: at
// start, from the tray icon and from the tray menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <vector>

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

// The tray menu of the program with process id `id` once it is shown, or null.
HWND ShownMenu(DWORD id) {
    HWND shown = nullptr;
    e2e::WaitFor([&] {
        for (HWND menu = nullptr; (menu = FindWindowExA(nullptr, menu, "#32768", nullptr));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(menu, &owner);
            if (owner == id && IsWindowVisible(menu)) return (shown = menu) != nullptr;
        }
        return false;
    });
    return shown;
}

// Whether the thread of `window` is tracking a menu.
bool InMenuMode(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && (info.flags & GUI_INMENUMODE);
}

// A click of a mouse button at a point of the screen, as the mouse gives it.
void ClickAt(POINT point, DWORD down, DWORD up) {
    SetCursorPos(point.x, point.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = down;
    input[1].mi.dwFlags = up;
    SendInput(2, input, sizeof(INPUT));
}

// The tray icons as the shell shows them: Wine's tray draws them in its own
// window and gives each a tooltip of its own with the icon's tip, read here
// across processes. (The tooltip of a removed icon stays behind.)
struct ShellIcon {
    HWND tooltip = nullptr;
    std::wstring tip;
    POINT middle = {};  // on the screen
};
std::vector<ShellIcon> ShellIcons() {
    std::vector<ShellIcon> icons;
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD shell = 0;
    GetWindowThreadProcessId(tray, &shell);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shell);
    if (!process) return icons;
    struct Block {
        TTTOOLINFOW info;
        wchar_t text[128];
    };
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE));
    for (HWND tip = nullptr; remote && (tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr));) {
        if (GetWindow(tip, GW_OWNER) != tray || SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) != 1) continue;
        Block block = {};
        block.info.cbSize = sizeof block.info;
        WriteProcessMemory(process, remote, &block, sizeof block, nullptr);
        SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &block, sizeof block, nullptr);
        block.info.lpszText = reinterpret_cast<wchar_t*>(remote + offsetof(Block, text));
        WriteProcessMemory(process, remote, &block, sizeof block, nullptr);
        SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &block, sizeof block, nullptr);
        POINT middle = {(block.info.rect.left + block.info.rect.right) / 2, (block.info.rect.top + block.info.rect.bottom) / 2};
        ClientToScreen(block.info.hwnd, &middle);
        icons.push_back({tip, block.text, middle});
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return icons;
}

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
    int Number() { return std::stoi(e2e::ReadOption(config, "options", "number", "-999")); }

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

// A change over thousands of unreadable pictures keeps the program answering:
// between its attempts the window is served, and a later start's word is taken
// at once (the start ends with 0) and carried out after the change.
TEST_F(WallpaperEndToEnd, ALongChangeKeepsTheProgramAnsweringAndCarriesOutAWordAfterIt) {
    TempFolder crowd;  // 3000 empty *.jpg and two good pictures, 130 and 140 wide
    for (int i = 0; i < 3000; ++i) WriteTextFile(crowd / (std::to_string(10000 + i) + ".jpg"), "");
    for (int width : {130, 140})
        WriteBytes(crowd / ("good" + std::to_string(width) + ".jpg"), MakeJpeg(width, 100, [](int, int) { return 0u; }));
    std::vector<std::string> listed;  // the catalogue, in the order this system lists the folder
    platform::ListFolder(crowd.Path(), [&](const platform::FolderEntry& entry) {
        if (!entry.isFolder && IsPictureFile(entry.RealName())) listed.push_back(entry.name);
        return true;
    });
    ASSERT_EQ(listed.size(), 3002u);
    std::vector<int> good;  // the positions of the two good pictures
    for (size_t i = 0; i < listed.size(); ++i)
        if (listed[i].starts_with("good")) good.push_back(static_cast<int>(i) + 1);
    ASSERT_EQ(good.size(), 2u);
    const int total = static_cast<int>(listed.size());
    // The first change starts past one good picture and passes over the larger
    // run of unreadable ones to the other; the word's change comes back.
    const bool wrapFirst = total - good[1] + good[0] - 1 >= good[1] - good[0] - 1;
    const int from = wrapFirst ? good[1] : good[0], to = wrapFirst ? good[0] : good[1];
    auto after = [&](int position) { return position == total ? 1 : position + 1; };
    auto width = [&](int position) { return listed[position - 1] == "good130.jpg" ? 130 : 140; };
    WriteTextFile(config, "[options]\r\nwallpaper_directory=" + crowd.Path() + "\r\nnumber=" +
                              std::to_string(after(from)) + "\r\nplugin_directory=none\r\n");

    Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(form) != FALSE; }));
    PostMessageW(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    // Handled after the click, so during the change or after it: the window
    // goes to the tray while the change still runs.
    PostMessageW(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(form); }, 240000));
    EXPECT_EQ(Number(), after(from));  // nothing saved yet: the change runs on
    DWORD exitCode = 1;
    {
        Program word("next");
        EXPECT_TRUE(word.WaitForExit(240000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    // The change showed the picture at `to`; the word's change then passed on
    // to the one at `from` (without the word, the first would stay).
    EXPECT_TRUE(e2e::WaitFor([&] {
        // The bitmap is read only once the position says the word's change is saved.
        return Number() == after(from) && platform::FileExists(bitmap) && Shown().first == width(from);
    }, 240000)) << "from " << from << " to " << to << " of " << total << ": number " << Number() << ", shown "
                << (platform::FileExists(bitmap) ? Shown().first : 0);
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit(240000));
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
    HWND menu = ShownMenu(program.Id());
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(menu); }));

    // "Настройки" brings the window back, in front.
    e2e::Deliver(form, WM_COMMAND, CmdTraySettings, 0);
    EXPECT_TRUE(IsWindowVisible(form));
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}


// The icon as the shell holds it, used with the mouse as a person uses it.
TEST_F(WallpaperEndToEnd, TheTrayIconAsTheShellShowsItAndAsAPersonUsesIt) {
    WriteConfig(1);
    const std::vector<ShellIcon> before = ShellIcons();
    Program program("startup");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    // One new icon, with the program's tip, of the main window and id 1.
    ShellIcon icon;
    ASSERT_TRUE(e2e::WaitFor([&] {
        for (const ShellIcon& shown : ShellIcons())
            if (std::none_of(before.begin(), before.end(), [&](const ShellIcon& old) { return old.tooltip == shown.tooltip; }))
                icon = shown;
        return icon.tooltip != nullptr;
    }));
    EXPECT_EQ(icon.tip, L"Tavrin Wallpaper");
    EXPECT_TRUE(e2e::TrayIcon(form, NIM_MODIFY));
    EXPECT_FALSE(e2e::TrayIcon(form, NIM_MODIFY, 0));

    // A double click changes once: its first press.
    const int showing = NextGood(0);
    ASSERT_EQ(Shown(), SizeAt(showing));
    ClickAt(icon.middle, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ClickAt(icon.middle, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    const int after = NextGood(showing);
    EXPECT_TRUE(e2e::WaitFor([&] { return Shown() == SizeAt(after); }));
    SetCursorPos(10, 10);  // away, so that the icon's tooltip does not come up under the next click

    // A right click opens the menu; a click elsewhere closes it, choosing nothing.
    ClickAt(icon.middle, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    HWND menu = ShownMenu(program.Id());
    ASSERT_NE(menu, nullptr);
    // The shell hands the icon's input on in order: the double click's second
    // press, had it changed anything, has done so by now (the position is
    // checked again once the menu is closed, when every save is on disk).
    EXPECT_TRUE(e2e::WaitFor([&] { return Number() == after % kPictures + 1; })) << Number();
    ASSERT_TRUE(e2e::WaitFor([&] { return InMenuMode(form); }));
    RECT box;
    GetWindowRect(menu, &box);
    ClickAt({box.left > 60 ? box.left - 40 : box.right + 40, box.top + 5}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(menu) && !InMenuMode(form); }));
    EXPECT_EQ(Number(), after % kPictures + 1);

    // The right button picks an item: "Следующая", the second of seven. (Two
    // right clicks on the icon within the double-click time are a double click.)
    Sleep(GetDoubleClickTime() + 100);
    ClickAt(icon.middle, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    menu = ShownMenu(program.Id());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(e2e::WaitFor([&] { return InMenuMode(form); }));
    // The pointer rests on the item first, until the menu shows it picked out
    // (where the menu tells it), so that the click lands on the item however
    // slowly the menu comes up; the menu's place is taken once it stays put
    // (the system may move a menu once it shows).
    RECT last = {};
    ASSERT_TRUE(e2e::WaitFor([&] {
        const RECT seen = box;
        GetWindowRect(menu, &box);
        const bool still = EqualRect(&seen, &box) && EqualRect(&last, &box);
        last = seen;
        return still;
    }));
    POINT item = {(box.left + box.right) / 2, box.top + (box.bottom - box.top) * 3 / 14};  // the second of seven rows
    const HMENU items = reinterpret_cast<HMENU>(e2e::Deliver(menu, 0x01E1 /* MN_GETHMENU */));
    RECT itemBox;
    if (items && GetMenuItemRect(nullptr, items, 1, &itemBox))
        item = {(itemBox.left + itemBox.right) / 2, (itemBox.top + itemBox.bottom) / 2};
    SetCursorPos(item.x, item.y);
    if (items) e2e::WaitFor([&] { return (GetMenuState(items, 1, MF_BYPOSITION) & MF_HILITE) != 0; }, 10000);
    ClickAt(item, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(e2e::WaitFor([&] { return Shown() == SizeAt(NextGood(after)); }));

    // "Выход" removes the icon.
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_FALSE(e2e::TrayIcon(form, NIM_MODIFY));
}
