// The installer as a user meets it, in a prefix of its own: installed silently,
// the program started from its Start-menu shortcut, installed again over a
// running copy, removed silently by the command its uninstall entry gives.
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

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(InstallerTest, InstallsStartsReinstallsOverARunningCopyAndRemovesAllButTheSettings) {
    const std::string folder = InstallFolder(), program = folder + "\\tavrinwp.exe";
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

    // The Start menu starts the program, its next or previous change and either guide, in the install folder.
    const std::pair<const wchar_t*, std::vector<std::string>> shortcuts[] = {
        {L"Tavrin Wallpaper", {program, "", folder}}, {L"Следующие обои", {program, "next", folder}},
        {L"Предыдущие обои", {program, "previous", folder}}, {L"Руководство", {folder + "\\guide-ru.txt", "", folder}},
        {L"Guide", {folder + "\\guide-en.txt", "", folder}}};
    for (const auto& [name, expected] : shortcuts)
        EXPECT_EQ(ReadShortcut(StartMenuFolder() + name + L".lnk"), expected);
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
    const std::string config = e2e::FreshDataFolder().config, sepia = folder + "\\plugins\\sepia\\settings.ini";
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

}  // namespace
