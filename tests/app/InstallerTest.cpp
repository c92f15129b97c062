// The installer as a user meets it, in a prefix of its own on an English and on
// a Russian Windows: its language page, installed silently in the language of
// Windows (the Start-menu names, the settings of an English install), the
// program started from its Start-menu shortcut, installed again over a running
// copy, removed silently by the command its uninstall entry gives.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/StartupShortcut.h"
#include "core/Version.h"
#include "e2e/Driver.h"
#include "platform/win32/ShellFolders.h"
#include "toolkit/Win32.h"
#include "ui/Main.h"
#include "ui/PluginForm.h"

using testing_support::ReadTextFile;
using testing_support::WriteTextFile;

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TavrinWallpaper";

std::string ShellFolder(int id) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
std::string InstallFolder() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tavrin Wallpaper"; }
std::wstring StartMenuFolder() { return WideFromAnsi(ShellFolder(CSIDL_PROGRAMS)) + L"\\Tavrin Wallpaper\\"; }
std::string AutostartShortcut() { return ReadUserShellFolder("StartUp") + "\\TavrinWP.lnk"; }
bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string Uninstall(const char* name) { return e2e::ReadUserString(kUninstallKey, name, "<none>"); }

// Runs a command line and waits until it and every process it started have ended
// (a silent uninstaller hands its work to a copy of itself in the temporary folder
// and returns at once). The first process's exit code, or -1.
long RunAndWaitForAll(std::string commandLine) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process))
        return -1;
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    const bool ended = e2e::WaitFor(
        [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
            QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr);
            return info.ActiveProcesses == 0;
        },
        180000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return ended ? static_cast<long>(code) : -1;
}

long InstallSilently() { return RunAndWaitForAll("\"" TAVRIN_SETUP "\" /S"); }

// A shortcut's target, arguments and working folder, read back through IShellLinkA.
std::vector<std::string> ReadShortcut(const std::wstring& file) {
    ComRef<IShellLinkA> link;
    ComRef<IPersistFile> persist;
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Out())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.Out())) &&
        SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
        link->GetPath(target, MAX_PATH, nullptr, 0);
        link->GetArguments(arguments, MAX_PATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
    }
    return {target, arguments, folder};
}

bool RussianWindows() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_RUSSIAN; }

// The settings an English install writes into a new config.ini: the keys of a
// first start without the file, and the language.
const char kEnglishSettings[] =
    "[options]\r\nwallpaper_directory=\r\nplugin_directory=\r\nstartup=0\r\nchangestart=0\r\nwptimer=0\r\n"
    "nwptimer=0\r\nWpTimerUnit=0\r\nWpTimerDay=0\r\nnumber=0\r\nR=0\r\nG=0\r\nB=0\r\nlanguage=en\r\n";

// The texts of every window of a process, its top-level windows and their children.
struct TextWalk {
    DWORD process;
    std::vector<std::wstring> texts;
};

BOOL CALLBACK NoteChildText(HWND child, LPARAM data) {
    reinterpret_cast<TextWalk*>(data)->texts.push_back(e2e::WindowText(child));
    return TRUE;
}

BOOL CALLBACK NoteWindowTexts(HWND window, LPARAM data) {
    auto* walk = reinterpret_cast<TextWalk*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (walk->process != 0 && owner != walk->process) return TRUE;
    walk->texts.push_back(e2e::WindowText(window));
    EnumChildWindows(window, NoteChildText, data);
    return TRUE;
}

std::vector<std::wstring> ProcessTexts(DWORD process) {
    TextWalk walk{process, {}};
    EnumWindows(NoteWindowTexts, reinterpret_cast<LPARAM>(&walk));
    return walk.texts;
}

// Whether a window of `process` (0: of any process) shows `part` in its text.
bool HasText(DWORD process, const std::wstring& part) {
    for (const std::wstring& text : ProcessTexts(process))
        if (text.find(part) != std::wstring::npos) return true;
    return false;
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(InstallerTest, InstallsStartsReinstallsOverARunningCopyAndRemovesAllButTheSettings) {
    const std::string folder = InstallFolder(), program = folder + "\\tavrinwp.exe";
    const std::string config = e2e::FreshDataFolder().config;
    DeleteFileA(config.c_str());
    ASSERT_EQ(InstallSilently(), 0);
    for (const char* file : {"guide-ru.txt", "guide-en.txt", "uninstall.exe", "plugins\\sepia\\plugin.exe",
                             "plugins\\sepia\\config.exe", "plugins\\sepia\\plugin.ini"})
        EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
    EXPECT_EQ(ReadTextFile(program), ReadTextFile(TAVRINWP_EXE));

    // The entry among installed programs, with the program's own version.
    EXPECT_EQ(Uninstall("DisplayName"), "Tavrin Wallpaper");
    EXPECT_EQ(Uninstall("DisplayVersion"), TAVRIN_VERSION);
    EXPECT_EQ(Uninstall("InstallLocation"), folder);
    EXPECT_EQ(Uninstall("DisplayIcon"), program + ",0");
    EXPECT_EQ(Uninstall("UninstallString"), "\"" + folder + "\\uninstall.exe\"");
    const std::string quietUninstall = Uninstall("QuietUninstallString");
    EXPECT_EQ(quietUninstall, "\"" + folder + "\\uninstall.exe\" /S");
    DWORD kilobytes = 0, size = sizeof kilobytes;
    RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kilobytes, &size);
    EXPECT_GT(kilobytes * 1024, ReadTextFile(TAVRINWP_EXE).size());

    // The Start menu starts the program, its next or previous change and the guides, in the install
    // folder, named in the language of Windows: in Russian both guides, in English the English one.
    const bool russian = RussianWindows();
    const std::vector<std::string> none = {"", "", ""};
    const std::pair<std::wstring, std::vector<std::string>> shortcuts[] = {
        {L"Tavrin Wallpaper", {program, "", folder}},
        {WideFromUtf8("Следующие обои"), russian ? std::vector<std::string>{program, "next", folder} : none},
        {WideFromUtf8("Предыдущие обои"), russian ? std::vector<std::string>{program, "previous", folder} : none},
        {WideFromUtf8("Руководство"), russian ? std::vector<std::string>{folder + "\\guide-ru.txt", "", folder} : none},
        {L"Next wallpaper", russian ? none : std::vector<std::string>{program, "next", folder}},
        {L"Previous wallpaper", russian ? none : std::vector<std::string>{program, "previous", folder}},
        {L"Guide", {folder + "\\guide-en.txt", "", folder}}};
    for (const auto& [name, expected] : shortcuts)
        EXPECT_EQ(ReadShortcut(StartMenuFolder() + name + L".lnk"), expected) << Utf8FromWide(name);
    // An English install writes the settings of a first start, in English; a Russian one writes none.
    if (russian)
        EXPECT_FALSE(Exists(config));
    else
        EXPECT_EQ(ReadTextFile(config), kEnglishSettings);
    // The uninstaller speaks the language of the install.
    EXPECT_EQ(Uninstall("InstallerLanguage"), russian ? "1049" : "1033");
    // Started from the Start menu, it lists its plugin.
    e2e::Program running("", SW_SHOWNORMAL, folder, program);
    ASSERT_TRUE(running.WaitUntilIdle());
    HWND form = running.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);
    e2e::Deliver(form, WM_COMMAND, CmdPlugins);
    HWND plugins = running.FindWindowOfClass("TPluginForm");
    ASSERT_NE(plugins, nullptr);
    EXPECT_EQ(e2e::Deliver(GetDlgItem(plugins, TPluginForm::kListBox1Id), LB_GETCOUNT), 1);

    // The user's settings, the plugin's settings, and a guide an older copy left.
    const std::string sepia = folder + "\\plugins\\sepia\\settings.ini";
    WriteTextFile(config, "[options]\r\nnumber=7\r\n");
    WriteTextFile(sepia, "[sepia]\r\neffect=both\r\n");
    WriteTextFile(folder + "\\guide-en.txt", "an older guide");

    // Installed again while the program runs: it is closed, its files replaced, the rest kept.
    ASSERT_EQ(InstallSilently(), 0);
    EXPECT_TRUE(running.WaitForExit(0));
    EXPECT_NE(ReadTextFile(folder + "\\guide-en.txt"), "an older guide");
    EXPECT_EQ(ReadTextFile(config), "[options]\r\nnumber=7\r\n");
    EXPECT_EQ(ReadTextFile(sepia), "[sepia]\r\neffect=both\r\n");

    // Start with Windows as the program's Apply writes it; then removed as Windows removes it.
    UpdateStartupShortcut(true, folder);
    ASSERT_TRUE(Exists(AutostartShortcut()));
    ASSERT_EQ(RunAndWaitForAll(quietUninstall), 0);
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(GetFileAttributesW(StartMenuFolder().c_str()), INVALID_FILE_ATTRIBUTES);  // and every shortcut in it
    EXPECT_FALSE(Exists(AutostartShortcut()));
    EXPECT_EQ(Uninstall("DisplayName"), "<none>");
    EXPECT_EQ(ReadTextFile(config), "[options]\r\nnumber=7\r\n");
}

TEST_F(InstallerTest, RemovingKeepsAStartWithWindowsShortcutOfAnotherCopy) {
    ASSERT_EQ(InstallSilently(), 0);
    const std::string otherCopy = ShellFolder(CSIDL_PERSONAL) + "\\Tavrin Portable";
    ASSERT_TRUE(CreateDirectoryA(otherCopy.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(TAVRINWP_EXE, (otherCopy + "\\tavrinwp.exe").c_str(), FALSE));
    UpdateStartupShortcut(true, otherCopy);
    ASSERT_EQ(RunAndWaitForAll(Uninstall("QuietUninstallString")), 0);
    EXPECT_FALSE(Exists(InstallFolder()));
    EXPECT_TRUE(Exists(AutostartShortcut()));
}

// The first page asks for the language, set to the one of Windows; the
// user's choice of the other makes the pages speak it.
TEST_F(InstallerTest, TheLanguagePageOffersTheLanguageOfWindowsAndTheUsersChoiceRules) {
    const bool russian = RussianWindows();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" TAVRIN_SETUP "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    HWND page = nullptr, choice = nullptr;
    EXPECT_TRUE(e2e::WaitFor([&] {
        page = FindWindowA("#32770", "Tavrin Wallpaper");
        choice = page ? FindWindowExA(page, nullptr, "ComboBox", nullptr) : nullptr;
        return choice != nullptr;
    }));
    if (choice) {
        auto item = [&](LRESULT index) {
            wchar_t text[64] = {};
            SendMessageW(choice, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
            return std::wstring(text);
        };
        const std::wstring english = L"English", russianName = WideFromUtf8("Русский");
        EXPECT_EQ(item(SendMessageW(choice, CB_GETCURSEL, 0, 0)), russian ? russianName : english);
        // The other language chosen: the welcome page speaks it.
        const LRESULT other = SendMessageW(choice, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>((russian ? english : russianName).c_str()));
        ASSERT_NE(other, CB_ERR);
        SendMessageW(choice, CB_SETCURSEL, static_cast<WPARAM>(other), 0);
        PostMessageW(page, WM_COMMAND, IDOK, 0);
        const std::wstring welcome =
            russian ? L"Installing Tavrin Wallpaper" : WideFromUtf8("Установка Tavrin Wallpaper");
        EXPECT_TRUE(e2e::WaitFor([&] { return HasText(process.dwProcessId, welcome); }));
    }
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// The uninstaller speaks the language of the install, also where it is not
// the language of Windows (as the user's choice on the language page makes
// it): its first page, shown by the copy of itself it starts, says what it
// removes in that language.
TEST_F(InstallerTest, TheUninstallerSpeaksTheLanguageOfTheInstall) {
    ASSERT_EQ(InstallSilently(), 0);
    const bool russian = !RussianWindows();  // the other language chosen
    const std::string chosen = russian ? "1049" : "1033";
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kUninstallKey, "InstallerLanguage", REG_SZ, chosen.c_str(),
                              static_cast<DWORD>(chosen.size() + 1)),
              ERROR_SUCCESS);
    const std::wstring confirm =
        russian ? WideFromUtf8("будет удалена из этой папки") : L"will be removed from this folder";
    // Started in a job, which ends it and the copy it starts once the page was seen.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + InstallFolder() + "\\uninstall.exe\"";
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &process));
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    EXPECT_TRUE(e2e::WaitFor([&] { return HasText(0, confirm); }));
    TerminateJobObject(job, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
}

}  // namespace
