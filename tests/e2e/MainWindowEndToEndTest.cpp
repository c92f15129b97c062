// The real tavrinwp.exe's main window driven the way a user drives it: the
// settings panel's Apply with each kind of input, a click in the folder tree,
// the preview's three buttons, and folders named in any script.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <memory>

#include "Driver.h"
#include "tests/image/JpegFixture.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "engine/PreviewList.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "platform/posix/ProfileText.h"
#include "platform/win32/AnsiPaths.h"
#include "ui/Main.h"

using e2e::Program;
using testing_support::MakeJpeg;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

std::string Text(HWND window) {
    char text[MAX_PATH] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 30000, nullptr);
    return text;
}

std::wstring WideText(HWND window) {
    wchar_t text[MAX_PATH] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 30000, nullptr);
    return text;
}

void SetText(HWND window, const std::string& text) {
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 30000, nullptr);
}

// A key pressed and released on the keyboard.
void Type(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// Makes drive `letter` stand for `folder` (none: removes it) as Wine's
// configuration does, through its mount manager: a link in the prefix's
// dosdevices to the folder's Unix path.
bool WineDrive(char letter, const std::string& folder) {
    struct UnixDrive {  // Wine's request to define a drive
        ULONG size, type, fsType;
        DWORD serial;
        ULONGLONG unixDevice;
        WCHAR letter;
        USHORT mountPoint, device, label;
        char path[1024];
    } drive = {};
    static_assert(offsetof(UnixDrive, path) == 32);
    drive.type = DRIVE_FIXED;
    drive.letter = static_cast<WCHAR>(letter);
    if (!folder.empty()) {
        using UnixName = char*(CDECL*)(const wchar_t*);
        auto unixName = reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name"));
        char* path = unixName ? unixName(platform::WideFromAnsiText(folder).c_str()) : nullptr;
        if (!path || std::strlen(path) >= sizeof drive.path) return false;
        std::strcpy(drive.path, path);
        HeapFree(GetProcessHeap(), 0, path);
        drive.mountPoint = offsetof(UnixDrive, path);
    }
    drive.size = static_cast<ULONG>(offsetof(UnixDrive, path) + std::strlen(drive.path) + 1);
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const DWORD defineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    const bool done = DeviceIoControl(manager, defineUnixDrive, &drive, drive.size, nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return done;
}

class MainWindowEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const e2e::DataFiles files = e2e::FreshDataFolder();
        config = files.config;
        bitmap = files.bitmap;
        link = e2e::ReadUserString(e2e::ShellFoldersKey(), "StartUp", "") + "\\TavrinWP.lnk";
        DeleteFileA(link.c_str());
        // Pictures of sizes of their own: the wallpaper bitmap tells which one was applied.
        auto plain = [](int, int) { return 0x206090u; };
        WriteBytes(pictures / "one.jpg", MakeJpeg(130, 100, plain));    // 130 x 100
        WriteBytes(pictures / "two.jpg", MakeJpeg(200, 100, plain));    // 200 x 154
        WriteBytes(pictures / "three.jpg", MakeJpeg(300, 100, plain));  // 300 x 231
        sizes = {{"one.jpg", {130, 100}}, {"two.jpg", {200, 154}}, {"three.jpg", {300, 231}}};
        testing_support::WriteTextFile(config, "[options]\r\nwallpaper_directory=" + pictures.Path() +
                                                   "\r\nnumber=5\r\nplugin_directory=none\r\n");
    }

    void Start() {
        program = std::make_unique<Program>("");
        ASSERT_TRUE(program->WaitUntilIdle());
        form = program->FindWindowOfClass("TForm1");
        ASSERT_NE(form, nullptr);
        // The window can be found before its controls exist (the first start in
        // a new prefix is slow): they are looked for until all are there.
        ASSERT_TRUE(e2e::WaitFor([&] {
            editDir = Program::ChildAt(form, 20, 360);
            apply = Program::ChildAt(form, 440, 365);
            startUp = Program::ChildAt(form, 280, 278);
            timer = Program::ChildAt(form, 280, 312);
            spin = Program::ChildAt(form, 365, 314);
            combo = Program::ChildAt(form, 420, 312);
            tree = Program::ChildAt(form, 100, 200);
            return editDir && apply && startUp && timer && spin && combo && tree;
        }));
    }

    std::string Option(const char* key) { return e2e::ReadOption(config, "options", key, "<none>"); }

    std::pair<int32_t, int32_t> Shown() {
        if (!platform::FileExists(bitmap)) return {0, 0};
        std::vector<uint8_t> bytes;
        try {
            // The program may be replacing the file at this moment: not readable is not there yet.
            bytes = platform::ReadFileBytes(bitmap, 1u << 26);
        } catch (const std::exception&) {
            return {0, 0};
        }
        try {
            const Bitmap written = DecodeBmp(bytes.data(), bytes.size());
            return {written.width, written.height};
        } catch (const std::exception&) {
            return {-1, -1};
        }
    }
    // Clicks the tree's selected folder: its name, or its icon (which does not start editing the name).
    void ClickSelectedFolder(bool onIcon = false) {
        const LRESULT selected = e2e::Deliver(tree, TVM_GETNEXTITEM, TVGN_CARET);
        ASSERT_NE(selected, 0);
        // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
        RECT item = {};
        const HTREEITEM handle = reinterpret_cast<HTREEITEM>(selected);
        std::memcpy(&item, &handle, sizeof handle);
        ASSERT_TRUE(program->SendWithBuffer(tree, TVM_GETITEMRECT, TRUE, &item, sizeof item));
        Program::Click(tree, onIcon ? item.left - 10 : (item.left + item.right) / 2, (item.top + item.bottom) / 2);
    }
    // The text of the program's message box, once it shows; the box is then closed.
    std::wstring CloseBox() {
        HWND box = program->FindWindowOfClass("#32770");
        if (!box) return L"<no box>";
        const std::wstring text = e2e::BoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(box); }));
        return text;
    }
    // Clicks a preview button: 280 "previous", 344 the check mark, 408 "next".
    void Press(int left) { Program::Click(Program::ChildAt(form, left + 30, 247), 30, 11); }
    // The check mark, and a wait for the wallpaper of `expected`. Clicks are
    // handled in the order they were posted, so earlier steps are done by then.
    bool ApplyShows(const std::string& expected) {
        Press(344);
        return e2e::WaitFor([&] { return Shown() == sizes[expected]; });
    }

    TempFolder pictures;
    std::string config, bitmap, link;
    std::map<std::string, std::pair<int32_t, int32_t>> sizes;
    std::unique_ptr<Program> program;
    HWND form = nullptr, editDir = nullptr, apply = nullptr, startUp = nullptr, timer = nullptr, spin = nullptr,
         combo = nullptr, tree = nullptr;
};

}  // namespace

TEST_F(MainWindowEndToEnd, ApplyStoresWhatThePanelShows) {
    Start();
    EXPECT_EQ(Text(editDir), pictures.Path());

    // Unchanged folder: the rotation starts again at 1.
    e2e::Deliver(apply, BM_CLICK);
    EXPECT_EQ(Option("number"), "1");
    EXPECT_EQ(Option("wallpaper_directory"), pictures.Path());
    EXPECT_EQ(Option("WpTimerDay"), std::to_string(platform::TodayDayOfMonth()));
    EXPECT_FALSE(platform::FileExists(link));

    // A folder that does not exist is put back; the boxes, the timer and the
    // shortcut still apply.
    SetText(editDir, pictures.Path() + "\\missing");
    e2e::Deliver(startUp, BM_SETCHECK, BST_CHECKED);
    e2e::Deliver(timer, BM_SETCHECK, BST_CHECKED);
    SetText(spin, "2");
    e2e::Deliver(combo, CB_SETCURSEL, 1);
    e2e::Deliver(apply, BM_CLICK);
    EXPECT_EQ(Text(editDir), pictures.Path());
    EXPECT_EQ(Option("wallpaper_directory"), pictures.Path());
    EXPECT_EQ(Option("wptimer"), "1");
    EXPECT_EQ(Option("nwptimer"), "2");
    EXPECT_EQ(Option("WpTimerUnit"), "1");
    EXPECT_EQ(Option("startup"), "1");
    EXPECT_TRUE(platform::FileExists(link));

    // A unit typed by hand is index -1; the timer off and the shortcut gone.
    HWND typed = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    ASSERT_NE(typed, nullptr);
    e2e::Deliver(typed, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t letter : std::wstring(L"\u043D\u0435\u0434\u0435\u043B\u044F")) PostMessageW(typed, WM_CHAR, letter, 1);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::Deliver(combo, CB_GETCURSEL) == CB_ERR; }));
    e2e::Deliver(timer, BM_SETCHECK, BST_UNCHECKED);
    e2e::Deliver(startUp, BM_SETCHECK, BST_UNCHECKED);
    e2e::Deliver(apply, BM_CLICK);
    EXPECT_EQ(Option("WpTimerUnit"), "-1");
    EXPECT_EQ(Option("wptimer"), "0");
    EXPECT_FALSE(platform::FileExists(link));

    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForExit());
}

TEST_F(MainWindowEndToEnd, AClickInTheTreePreviewsAFolderAndTheButtonsStepAndApply) {
    Start();
    // Before any click in the tree the buttons do nothing.
    Press(408);
    Press(344);
    ASSERT_TRUE(e2e::Settle(form));
    EXPECT_FALSE(platform::FileExists(bitmap));

    // Click the selected folder (the saved one) in the tree.
    SetText(editDir, "");
    ClickSelectedFolder();
    ASSERT_TRUE(e2e::WaitFor([&] { return Text(editDir) == pictures.Path(); }));

    // The check mark applies the previewed picture: the folder's first.
    std::vector<std::string> order = {FirstPicture(pictures.Path())};
    order.push_back(NextPicture(pictures.Path(), order[0]));
    order.push_back(NextPicture(pictures.Path(), order[1]));
    platform::SetCurrentDir("C:\\");
    EXPECT_TRUE(ApplyShows(order[0]));
    Press(408);
    EXPECT_TRUE(ApplyShows(order[1]));
    Press(408);
    Press(408);  // past the last picture it stays there
    EXPECT_TRUE(ApplyShows(order[2]));
    Press(280);
    EXPECT_TRUE(ApplyShows(order[1]));
    // The rotation's position and config.ini are not touched.
    EXPECT_EQ(Option("number"), "5");
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), bitmap);

    // A picture that cannot be made the wallpaper is reported, in Russian.
    testing_support::WriteTextFile(pictures / order[1], "damaged");
    Press(344);
    EXPECT_EQ(CloseBox(), L"Не удалось сделать эту картинку обоями рабочего стола.");

    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForExit());
}

// A count outside the spin range in config.ini is shown and kept as it is. An
// Apply that cannot write config.ini (another program holds it open without
// sharing) says so and leaves the file as it was; so does one whose
// start-with-Windows step fails, before anything is saved.
TEST_F(MainWindowEndToEnd, ApplyKeepsAnOddCountAndAFailedApplyLeavesConfigIniAsItWas) {
    testing_support::WriteTextFile(config, "[options]\r\nwallpaper_directory=" + pictures.Path() +
                                               "\r\nnwptimer=5000\r\nplugin_directory=none\r\n");
    Start();
    EXPECT_EQ(Text(spin), "5000");
    e2e::Deliver(apply, BM_CLICK);
    EXPECT_EQ(Option("nwptimer"), "5000");
    const std::string saved = testing_support::ReadTextFile(config);

    SetText(spin, "7");
    HANDLE held = CreateFileA(config.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    PostMessageW(apply, BM_CLICK, 0, 0);
    const std::wstring text = CloseBox();
    CloseHandle(held);
    EXPECT_EQ(text.rfind(L"Unable to write to ", 0), 0u) << text;
    EXPECT_EQ(testing_support::ReadTextFile(config), saved);

    // The Startup folder's value of a type that is no text fails the shortcut step.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, e2e::ShellFoldersKey(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const std::string startUpFolder = e2e::ReadUserString(e2e::ShellFoldersKey(), "StartUp", "");
    const DWORD number = 1;
    RegSetValueExA(key, "StartUp", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    e2e::Deliver(startUp, BM_SETCHECK, BST_CHECKED);
    PostMessageW(apply, BM_CLICK, 0, 0);
    EXPECT_EQ(CloseBox(), L"Invalid data type for 'StartUp'");
    RegSetValueExA(key, "StartUp", 0, REG_SZ, reinterpret_cast<const BYTE*>(startUpFolder.c_str()),
                   static_cast<DWORD>(startUpFolder.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(testing_support::ReadTextFile(config), saved);
    EXPECT_FALSE(platform::FileExists(link));

    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForExit());
}

// config.ini as Notepad saves it in "Unicode" (UTF-16), or in UTF-8 with its
// mark: "Применить" writes it in its encoding with the user's other lines, and
// a restart reads the new value back. One too large to rewrite still gives its
// keys, and "Применить" says what is wrong and what to do, changing nothing.
TEST_F(MainWindowEndToEnd, ApplyKeepsTheEncodingOfConfigIniAndSaysWhenItIsTooLarge) {
    using platform::ProfileEncoding;
    const std::string text = "; mine\r\n[options]\r\nwallpaper_directory=" + pictures.Path() +
                             "\r\nnwptimer=5\r\nplugin_directory=none\r\n[mine]\r\nkept=yes\r\n";
    auto close = [&] {
        PostMessageW(form, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program->WaitForExit());
    };
    for (const ProfileEncoding encoding : {ProfileEncoding::Utf16, ProfileEncoding::Utf8}) {
        testing_support::WriteTextFile(config, platform::EncodeProfileText(encoding, text));
        Start();
        EXPECT_EQ(Text(spin), "5");
        SetText(spin, "7");
        e2e::Deliver(apply, BM_CLICK);
        close();
        ProfileEncoding stored = ProfileEncoding::Ansi;
        const std::string saved = platform::DecodeProfileText(testing_support::ReadTextFile(config), stored);
        EXPECT_EQ(stored, encoding);
        for (const char* line : {"; mine\r\n[options]\r\n", "nwptimer=7\r\n", "[mine]\r\nkept=yes\r\n"})
            EXPECT_NE(saved.find(line), std::string::npos) << line << saved;
        Start();
        EXPECT_EQ(Text(spin), "7");
        close();
    }

    std::string large = text;
    while (large.size() <= kMaxSettingsFileBytes) large += "; " + std::string(1000, 'n') + "\r\n";
    testing_support::WriteTextFile(config, large);
    Start();
    EXPECT_EQ(Text(spin), "5");
    EXPECT_EQ(Text(editDir), pictures.Path());
    PostMessageW(apply, BM_CLICK, 0, 0);
    EXPECT_EQ(CloseBox(), L"config.ini is larger than 16 MB; move it away and press \u041F\u0440\u0438\u043C\u0435\u043D"
                          L"\u0438\u0442\u044C again");
    EXPECT_TRUE(testing_support::ReadTextFile(config) == large);
    close();
}

// A drive root as the picture folder (a drive letter that stands for the
// pictures' folder): the change at start shows the first picture of the root,
// "Предыдущая" steps back, and the tree's click previews the root's pictures.
TEST_F(MainWindowEndToEnd, ADriveRootIsAPictureFolderLikeAnyOther) {
    ASSERT_TRUE(WineDrive('q', pictures.Path()));
    ASSERT_TRUE(platform::DirectoryExists("Q:\\"));
    std::vector<std::string> order = {FirstPicture("Q:\\")};
    order.push_back(NextPicture("Q:\\", order[0]));
    order.push_back(NextPicture("Q:\\", order[1]));
    testing_support::WriteTextFile(config, "[options]\r\nwallpaper_directory=Q:\\\r\nchangestart=1\r\nnumber=1\r\n"
                                           "plugin_directory=none\r\n");
    Start();
    EXPECT_TRUE(e2e::WaitFor([&] { return Shown() == sizes[order[0]]; }));
    EXPECT_EQ(Option("number"), "2");
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(e2e::WaitFor([&] { return Shown() == sizes[order[1]]; }));
    e2e::Deliver(form, WM_COMMAND, CmdTrayPrevious, 0);  // "Предыдущая"
    EXPECT_TRUE(e2e::WaitFor([&] { return Shown() == sizes[order[0]]; }));
    EXPECT_EQ(Option("number"), "2");

    SetText(editDir, "");
    ClickSelectedFolder();
    ASSERT_TRUE(e2e::WaitFor([&] { return Text(editDir) == "Q:\\"; }));
    Press(408);
    EXPECT_TRUE(ApplyShows(order[1]));

    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForExit());
    WineDrive('q', "");
}

// The keys in the folder tree, typed: an arrow key takes the folder it moves to
// into the field and the preview, as a click does; Enter and Space take the
// selected one; F10 and Alt open the menu bar.
TEST_F(MainWindowEndToEnd, TheKeysInTheTreeChooseFoldersAndOpenTheMenu) {
    ASSERT_TRUE(CreateDirectoryA((pictures / "sub").c_str(), nullptr));
    WriteBytes(pictures / "sub\\four.jpg", MakeJpeg(400, 100, [](int, int) { return 0x206090u; }));
    sizes["four.jpg"] = {400, 308};
    Start();
    SetText(editDir, "");
    ClickSelectedFolder(true);  // the tree takes the focus
    Type(VK_RIGHT);             // opens the folder
    Type(VK_RIGHT);             // and steps into its sub-folder
    EXPECT_TRUE(e2e::WaitFor([&] { return Text(editDir) == pictures / "sub"; }));
    EXPECT_TRUE(ApplyShows("four.jpg"));
    Type(VK_LEFT);
    for (WORD key : {VK_RETURN, VK_SPACE, 0}) {
        EXPECT_TRUE(e2e::WaitFor([&] { return Text(editDir) == pictures.Path(); })) << key;
        SetText(editDir, "");
        if (key) Type(key);
    }
    for (WORD key : {VK_F10, VK_MENU}) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        const DWORD thread = GetWindowThreadProcessId(form, nullptr);
        Type(key);
        EXPECT_TRUE(e2e::WaitFor([&] { return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE); })) << key;
        Type(VK_ESCAPE);
        EXPECT_TRUE(e2e::WaitFor([&] { return GetGUIThreadInfo(thread, &info) && !(info.flags & GUI_INMENUMODE); }));
    }
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForExit());
}

// A picture in a folder named in a script the ANSI code page cannot hold
// (C:\pics\日本の壁紙, on a Russian or an English Windows): a config.ini written
// before, naming C:\pics, finds it, and the real name typed into the field is
// stored in a form that opens. (The tree and the preview: MainFormTest.)
TEST_F(MainWindowEndToEnd, APictureInAFolderNamedInAnyScriptBecomesTheWallpaper) {
    const std::wstring folder = L"C:\\pics\\\u65E5\u672C\u306E\u58C1\u7D19";
    CreateDirectoryW(L"C:\\pics", nullptr);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::vector<uint8_t> jpeg = MakeJpeg(300, 100, [](int, int) { return 0x803020u; });  // 300 x 231
    HANDLE file = CreateFileW((folder + L"\\\u5199\u771F.jpg").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, jpeg.data(), static_cast<DWORD>(jpeg.size()), &written, nullptr);
    CloseHandle(file);
    testing_support::WriteTextFile(config, "[options]\r\nwallpaper_directory=C:\\pics\r\nnumber=1\r\nplugin_directory=none\r\n");
    sizes["picture"] = {300, 231};

    Start();
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(e2e::WaitFor([&] { return Shown() == sizes["picture"]; }));

    e2e::Deliver(editDir, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    e2e::Deliver(apply, BM_CLICK);
    const std::string stored = Option("wallpaper_directory");
    EXPECT_TRUE(platform::DirectoryExists(stored)) << stored;
    EXPECT_EQ(platform::ShownPath(stored), folder);
    EXPECT_EQ(WideText(editDir), folder);
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForExit());
}
