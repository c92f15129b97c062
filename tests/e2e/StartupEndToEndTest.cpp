// The real tavrinwp.exe under Wine, in a prefix of its own: how it starts,
// where it keeps its data, how it minimises and how it ends.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

#include "Driver.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "ui/Main.h"
#include "ui/PluginForm.h"

using e2e::Program;

namespace {

// The data folder of the documents folder the program reads at start.
std::string DataFolder() { return e2e::ReadPersonalFolder() + "\\Tavrin Wallpaper"; }

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What Windows sends when the user picks "Файл" -> "Выход". (Menus cannot be
// read from another process under Wine; their texts are checked in-process.)
void ChooseExit(HWND form) { PostMessageW(form, WM_COMMAND, CmdFileExit, 0); }

// Runs the program with `arguments` until its message loop is idle and tells
// whether the main window is visible; then ends it through "Выход".
bool ShownAtStart(const std::string& arguments, WORD showCommand = SW_SHOWNORMAL) {
    Program program(arguments, showCommand);
    EXPECT_TRUE(program.Started());
    EXPECT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    EXPECT_NE(form, nullptr) << arguments;
    if (!form) return false;
    const bool shown = IsWindowVisible(form);
    ChooseExit(form);
    EXPECT_TRUE(program.WaitForExit()) << arguments;
    return shown;
}

// The copies of tavrinwp.exe running in this prefix's session.
int RunningCopies() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, "tavrinwp.exe") == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

// Pictures of five sizes and a change at every start: a copy that started in
// full would change the wallpaper to another picture and save its position.
e2e::DataFiles ChangeAtStart(const testing_support::TempFolder& pictures) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    for (int i = 1; i <= 5; ++i) {
        Bitmap picture;
        picture.Reset(130 * i, 100 * i, 24);
        const std::vector<uint8_t> bytes = EncodeBmp(picture);
        testing_support::WriteTextFile(pictures / (std::to_string(i) + ".bmp"), std::string(bytes.begin(), bytes.end()));
    }
    testing_support::WriteTextFile(files.config, "[options]\r\nwallpaper_directory=" + pictures.Path() +
                                                     "\r\nchangestart=1\r\nnumber=1\r\nplugin_directory=none\r\n");
    return files;
}

class PersonalFolderValue {
public:
    PersonalFolderValue() : saved_(e2e::ReadPersonalFolder()) {}
    ~PersonalFolderValue() {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, e2e::ShellFoldersKey(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegSetValueExA(key, "Personal", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_.c_str()),
                           static_cast<DWORD>(saved_.size() + 1));
            RegCloseKey(key);
        }
    }
    void SetNumber(DWORD number) {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, e2e::ShellFoldersKey(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        RegSetValueExA(key, "Personal", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
        RegCloseKey(key);
    }
    void SetExpandable(const std::string& value) {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, e2e::ShellFoldersKey(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        RegSetValueExA(key, "Personal", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }
    void Remove() {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, e2e::ShellFoldersKey(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        RegDeleteValueA(key, "Personal");
        RegCloseKey(key);
    }

private:
    std::string saved_;
};

}  // namespace

TEST(Startup, ShowsTheMainWindowAsDesignedAndCreatesTheDataFolder) {
    ASSERT_FALSE(e2e::ReadPersonalFolder().empty());
    RemoveDirectoryA(DataFolder().c_str());
    Program program("");
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_TRUE(IsDirectory(DataFolder())) << DataFolder();

    EXPECT_EQ(e2e::WindowText(form), L"Tavrin Wallpaper");
    RECT client;
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, 478);
    EXPECT_EQ(client.bottom, 381);
    const LONG style = GetWindowLongW(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    RECT frame;
    GetWindowRect(form, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // The application window carries the taskbar button, with the empty title.
    HWND application = program.FindWindowOfClass("TApplication");
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(GetWindowTextLengthW(application), 0);
    EXPECT_EQ(GetWindow(form, GW_OWNER), application);

    // The close box ends the program.
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(30000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST(Startup, TheWordStartupInAnyCaseStartsHiddenAndNothingElseDoes) {
    EXPECT_FALSE(ShownAtStart("startup"));
    EXPECT_FALSE(ShownAtStart("StArTuP"));
    EXPECT_FALSE(ShownAtStart("STARTUP startup"));
    EXPECT_FALSE(ShownAtStart("other startup"));
    EXPECT_TRUE(ShownAtStart("-startup"));
    EXPECT_TRUE(ShownAtStart("/startup"));
    EXPECT_TRUE(ShownAtStart("startupx"));
    EXPECT_TRUE(ShownAtStart("\"start up\""));
}

TEST(Startup, AShortcutSetToRunMinimisedStartsInTheTray) {
    EXPECT_FALSE(ShownAtStart("", SW_SHOWMINNOACTIVE));
}

TEST(Startup, MinimisingHidesTheMainWindowAndTheProgramRunsOn) {
    Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(IsWindowVisible(form));
    SendMessageW(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_FALSE(IsWindowVisible(program.FindWindowOfClass("TApplication")));
    EXPECT_FALSE(program.WaitForExit(500));
    ChooseExit(form);
    EXPECT_TRUE(program.WaitForExit());
}

TEST(Startup, AnUnreadableDocumentsFolderIsReportedAndTheWindowStillComes) {
    PersonalFolderValue personal;
    personal.SetNumber(5);
    Program program("");
    ASSERT_TRUE(program.Started());
    HWND box = program.FindWindowOfClass("#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(e2e::BoxText(box), L"Invalid data type for 'Personal'");
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(form) != FALSE; }));
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.WaitForExit());
}

TEST(Startup, WithoutADocumentsFolderTheDataFolderIsAtTheRootOfTheCurrentDrive) {
    PersonalFolderValue personal;
    personal.Remove();
    RemoveDirectoryA("C:\\Tavrin Wallpaper");
    Program program("", SW_SHOWNORMAL, "C:\\windows");
    ASSERT_TRUE(program.WaitUntilIdle());
    EXPECT_TRUE(IsDirectory("C:\\Tavrin Wallpaper"));
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.WaitForExit());
    RemoveDirectoryA("C:\\Tavrin Wallpaper");
}

TEST(Startup, ADocumentsFolderWithEnvironmentVariablesIsExpanded) {
    PersonalFolderValue personal;
    personal.SetExpandable("%WINDIR%");
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string dataFolder = std::string(windows) + "\\Tavrin Wallpaper";
    RemoveDirectoryA(dataFolder.c_str());
    Program program("");
    ASSERT_TRUE(program.WaitUntilIdle());
    EXPECT_TRUE(IsDirectory(dataFolder)) << dataFolder;
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    ChooseExit(form);
    EXPECT_TRUE(program.WaitForExit());
    RemoveDirectoryA(dataFolder.c_str());
}

TEST(Startup, TheTrayIconComesBackWhenTheTaskbarIsMadeAnew) {
    Program program("startup");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    // A restarted Explorer knows no icons, then tells every window.
    ASSERT_TRUE(e2e::TrayIcon(form, NIM_DELETE));
    ASSERT_FALSE(e2e::TrayIcon(form, NIM_MODIFY));
    e2e::Deliver(form, RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_TRUE(e2e::TrayIcon(form, NIM_MODIFY));
    ChooseExit(form);
    EXPECT_TRUE(program.WaitForExit());
}

TEST(Startup, AfterAFailedStartStepTheProgramIsQuietAndReachable) {
    PersonalFolderValue personal;
    personal.SetNumber(5);
    Program program("startup");
    HWND box = program.FindWindowOfClass("#32770");
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(box); }) && program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    // The wallpaper timer was never armed: no change, and no further box, comes
    // of what the start left queued.
    ASSERT_TRUE(e2e::Settle(form));
    EXPECT_EQ(program.FindWindowOfClass("#32770", 0), nullptr);
    // The icon is there, and its "Настройки" opens the window.
    EXPECT_TRUE(e2e::TrayIcon(form, NIM_MODIFY));
    e2e::Deliver(form, WM_COMMAND, CmdTraySettings);
    EXPECT_TRUE(IsWindowVisible(form));
    ChooseExit(form);
    EXPECT_TRUE(program.WaitForExit());
}

TEST(Startup, WithNoPictureFolderYetATrayChangeBringsUpTheWindowToChooseOne) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    testing_support::WriteTextFile(files.config, "[options]\r\nchangestart=1\r\n");  // no folder
    Program program("startup");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1"), tree = Program::ChildAt(form, 100, 200);
    EXPECT_FALSE(IsWindowVisible(form));  // the change at start stays quiet
    for (UINT what : {UINT(WM_LBUTTONDOWN), UINT(CmdTrayNext), UINT(CmdTrayPrevious)}) {  // icon, "Следующая", "Предыдущая"
        SendMessageW(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (what == WM_LBUTTONDOWN) e2e::Deliver(form, TTray::CallbackMessage, 1, what);
        else e2e::Deliver(form, WM_COMMAND, what);
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &thread);
        EXPECT_TRUE(IsWindowVisible(form) && GetForegroundWindow() == form && thread.hwndFocus == tree) << what;
    }
}

// DLLs planted beside the program are not loaded; a killed copy's temporary files go at start.
TEST(Startup, LoadsNoDllFromItsOwnFolderAndRemovesStaleTemporaryFiles) {
    testing_support::TempFolder folder;
    ASSERT_TRUE(CopyFileA(TAVRINWP_EXE, (folder / "tavrinwp.exe").c_str(), FALSE));
    const std::string planted[] = {folder / "shcore.dll", folder / "compstui.dll"};
    for (const std::string& dll : planted) ASSERT_TRUE(CopyFileA(PLANTED_DLL, dll.c_str(), FALSE));
    const e2e::DataFiles files = e2e::FreshDataFolder();
    const std::string stale[] = {files.bitmap + ".tmp", files.bitmap + ".own", files.config + ".tmp"};
    for (const std::string& file : stale) testing_support::WriteTextFile(file, "left by a killed copy");
    Program program("", SW_SHOWNORMAL, "", folder / "tavrinwp.exe");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    EXPECT_TRUE(e2e::TrayIcon(form, NIM_MODIFY));  // shell32 is in use
    for (const std::string& file : {planted[0] + ".loaded", planted[1] + ".loaded", stale[0], stale[1], stale[2]})
        EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << file;
    ChooseExit(form);
    EXPECT_TRUE(program.WaitForExit());
}

TEST(Startup, StartedFromAnotherFolderItFindsItsPluginsAndLinksItsOwnFile) {
    const std::string link = e2e::ReadUserString(e2e::ShellFoldersKey(), "StartUp", "") + "\\TavrinWP.lnk";
    DeleteFileA(link.c_str());
    Program program("", SW_SHOWNORMAL, "C:\\windows");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    // The plugin window lists the plugin that ships beside the program.
    e2e::Deliver(form, WM_COMMAND, CmdPlugins);
    HWND plugins = program.FindWindowOfClass("TPluginForm");
    EXPECT_EQ(e2e::Deliver(GetDlgItem(plugins, TPluginForm::kListBox1Id), LB_GETCOUNT), 1);
    // Apply with "Запускать после загрузки": the shortcut starts the real program in its folder.
    e2e::Deliver(Program::ChildAt(form, 280, 278), BM_SETCHECK, BST_CHECKED);
    e2e::Deliver(Program::ChildAt(form, 440, 365), BM_CLICK);
    CoInitialize(nullptr);
    IShellLinkA* shortcut = nullptr;
    IPersistFile* file = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&shortcut)), S_OK);
    shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    ASSERT_EQ(file->Load(WideFromAnsi(link).c_str(), STGM_READ), S_OK);
    char target[MAX_PATH] = {}, folder[MAX_PATH] = {};
    shortcut->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    shortcut->GetWorkingDirectory(folder, MAX_PATH);
    file->Release();
    shortcut->Release();
    const std::string exe = TAVRINWP_EXE;
    EXPECT_EQ(lstrcmpiA(folder, exe.substr(0, exe.rfind('\\')).c_str()), 0) << folder;
    GetFullPathNameA(std::string(target).c_str(), MAX_PATH, target, nullptr);
    EXPECT_EQ(lstrcmpiA(target, exe.c_str()), 0) << target;
    ChooseExit(form);
    EXPECT_TRUE(program.WaitForExit());
}

TEST(Startup, ALaterStartHandsOverToTheRunningCopyAndEnds) {
    testing_support::TempFolder pictures;
    const e2e::DataFiles files = ChangeAtStart(pictures);
    Program first("startup");
    ASSERT_TRUE(first.WaitUntilIdle());
    HWND form = first.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    const std::string config = testing_support::ReadTextFile(files.config);
    const std::string bitmap = testing_support::ReadTextFile(files.bitmap);
    ASSERT_NE(config.find("number=2"), std::string::npos) << config;

    // With "startup" (the start with Windows) nothing shows.
    DWORD exitCode = 1;
    Program quiet("startup");
    EXPECT_TRUE(quiet.WaitForExit(90000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    ASSERT_TRUE(e2e::Settle(form));  // the handed-over start is carried out by now
    EXPECT_FALSE(IsWindowVisible(form));

    // Without it the running copy's window comes up, restored and in front:
    // from the tray, and again after the user minimised it.
    for (int start = 0; start < 2; ++start) {
        exitCode = 1;
        Program shown("");
        EXPECT_TRUE(shown.WaitForExit(90000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
        // The window shows before the system makes it the foreground one.
        EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(form) && !IsIconic(form); })) << start;
        EXPECT_TRUE(e2e::WaitFor([&] { return GetForegroundWindow() == form; }, 5000)) << start;
        SendMessageW(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_FALSE(IsWindowVisible(form));
    }

    // One copy, one icon, and nothing the later starts wrote.
    EXPECT_EQ(RunningCopies(), 1);
    EXPECT_TRUE(e2e::TrayIcon(form, NIM_MODIFY));
    EXPECT_EQ(testing_support::ReadTextFile(files.config), config);
    EXPECT_EQ(testing_support::ReadTextFile(files.bitmap), bitmap);
    ChooseExit(form);
    EXPECT_TRUE(first.WaitForExit());
}

// The words a script or a shortcut key gives: each later start ends at once
// with 0, and the running copy does what its tray menu's item does.
TEST(Startup, WordsOfLaterStartsDriveTheRunningCopyAsItsTrayMenuDoes) {
    testing_support::TempFolder pictures;
    const e2e::DataFiles files = ChangeAtStart(pictures);
    testing_support::WriteTextFile(files.config, "[options]\r\nwallpaper_directory=" + pictures.Path() +
                                                     "\r\nnumber=1\r\nplugin_directory=none\r\n");
    auto later = [](const char* word) {
        DWORD exitCode = 1;
        Program start(word);
        EXPECT_TRUE(start.WaitForExit(90000, &exitCode)) << word;
        EXPECT_EQ(exitCode, 0u) << word;
    };
    // The picture showing (pictures are 130 x 100 times their number) and the position saved.
    auto showing = [&](int picture, int number) {
        return e2e::WaitFor([&] {
            if (e2e::ReadOption(files.config, "options", "number", "?") != std::to_string(number)) return false;
            const std::vector<uint8_t> bytes = platform::ReadFileBytes(files.bitmap, 1u << 26);
            return DecodeBmp(bytes.data(), bytes.size()).width == 130 * picture;
        });
    };

    Program first("startup");
    ASSERT_TRUE(first.WaitUntilIdle());
    HWND form = first.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    later("next");
    EXPECT_TRUE(showing(1, 2));
    later("NEXT");
    EXPECT_TRUE(showing(2, 3));
    later("Previous");
    EXPECT_TRUE(showing(1, 2));
    EXPECT_FALSE(IsWindowVisible(form));
    later("settings");
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(form) != FALSE; }));
    const std::string config = testing_support::ReadTextFile(files.config);
    later("exit");
    EXPECT_TRUE(first.WaitForExit());
    EXPECT_EQ(testing_support::ReadTextFile(files.config), config);

    // With no copy running "exit" starts none, and "next" starts one in the
    // tray whose change takes the place of the change at start.
    later("exit");
    EXPECT_EQ(RunningCopies(), 0);
    platform::WriteIniString(files.config, "options", "changestart", "1");
    Program alone("next");
    ASSERT_TRUE(alone.WaitUntilIdle());
    EXPECT_TRUE(showing(2, 3));
    form = alone.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_TRUE(e2e::TrayIcon(form, NIM_MODIFY));
    EXPECT_EQ(RunningCopies(), 1);
    ChooseExit(form);
    EXPECT_TRUE(alone.WaitForExit());
}

TEST(Startup, CopiesStartedAtTheSameMomentLeaveOneRunning) {
    testing_support::TempFolder pictures;
    const e2e::DataFiles files = ChangeAtStart(pictures);
    std::vector<std::unique_ptr<Program>> copies;
    for (int i = 0; i < 3; ++i) copies.push_back(std::make_unique<Program>(i == 2 ? "" : "startup"));
    Program* survivor = nullptr;
    ASSERT_TRUE(e2e::WaitFor([&] {
        int left = 0;
        for (auto& copy : copies)
            if (!copy->WaitForExit(0)) ++left, survivor = copy.get();
        return left == 1;
    }, 120000));
    ASSERT_TRUE(survivor->WaitUntilIdle());
    HWND form = survivor->FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    // One change at start, saved once; the start without "startup" showed the window.
    EXPECT_NE(testing_support::ReadTextFile(files.config).find("number=2"), std::string::npos);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(form) != FALSE; }));
    EXPECT_EQ(RunningCopies(), 1);
    ChooseExit(form);
    EXPECT_TRUE(survivor->WaitForExit());
}
