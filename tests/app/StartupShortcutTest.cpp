// The Startup shortcut written through the shell link object and read back
// through IShellLinkA, in a prefix of its own (it changes the StartUp folder).
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "app/StartupShortcut.h"
#include "platform/Platform.h"

using testing_support::TempFolder;
using testing_support::ThrownText;

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct Link {
    std::string path, arguments, workingDirectory, description, iconPath;
    int iconIndex = -1;
    WORD hotkey = 1;
    int showCommand = 0;
};

// Reads a link file back through the shell link object.
bool ReadLink(const std::string& file, Link& link) {
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return false;
    IPersistFile* persist = nullptr;
    shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist));
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    const bool loaded = persist && SUCCEEDED(persist->Load(wide, STGM_READ));
    if (loaded) {
        char text[MAX_PATH * 2];
        text[0] = 0;
        shellLink->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
        link.path = text;
        text[0] = 0;
        shellLink->GetArguments(text, sizeof text);
        link.arguments = text;
        text[0] = 0;
        shellLink->GetWorkingDirectory(text, sizeof text);
        link.workingDirectory = text;
        text[0] = 0;
        shellLink->GetDescription(text, sizeof text);
        link.description = text;
        text[0] = 0;
        shellLink->GetIconLocation(text, sizeof text, &link.iconIndex);
        link.iconPath = text;
        shellLink->GetHotkey(&link.hotkey);
        shellLink->GetShowCmd(&link.showCommand);
    }
    if (persist) persist->Release();
    shellLink->Release();
    return loaded;
}

void SetStartUp(const std::string& folder) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kShellFolders, "StartUp", REG_SZ, folder.c_str(),
                              static_cast<DWORD>(folder.size() + 1)),
              ERROR_SUCCESS);
}

// Wine starts its menu builder on every shortcut saved, and it keeps the file
// open for a moment: wait until the file can be had alone before changing it.
void WaitUntilClosed(const std::string& file) {
    for (int i = 0; i < 500; ++i) {
        const HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) {
            if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
            return;
        }
        Sleep(10);
    }
}

// The file a target names, as the shell link object stores it.
std::string FullPath(const std::string& target) {
    char full[MAX_PATH] = {};
    GetFullPathNameA(target.c_str(), MAX_PATH, full, nullptr);
    return full;
}

class StartupShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        SetStartUp(startup.Path());
    }
    void TearDown() override { CoUninitialize(); }
    TempFolder startup;
    std::string Lnk() const { return startup / "TavrinWP.lnk"; }
};

}  // namespace

TEST_F(StartupShortcut, IsWrittenWithItsPropertiesRewrittenAndRemoved) {
    const std::string programDir = "C:\\Programs\\Tavrin";
    UpdateStartupShortcut(true, programDir);
    Link link;
    ASSERT_TRUE(ReadLink(Lnk(), link));
    EXPECT_EQ(link.path, FullPath("C:\\Programs\\Tavrin/tavrinwp.exe"));
    EXPECT_EQ(link.arguments, "startup");
    EXPECT_EQ(link.workingDirectory, programDir);
    EXPECT_EQ(link.description, "Tavrin Wallpaper");
    // Everything else keeps the shell link object's defaults.
    EXPECT_EQ(link.iconPath, "");
    EXPECT_EQ(link.iconIndex, 0);
    EXPECT_EQ(link.hotkey, 0);
    EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);

    // A second apply rewrites the file with the same contents, over whatever it held.
    WaitUntilClosed(Lnk());
    testing_support::WriteTextFile(Lnk(), "not a shortcut");
    UpdateStartupShortcut(true, programDir);
    Link again;
    ASSERT_TRUE(ReadLink(Lnk(), again));
    EXPECT_EQ(again.path, link.path);
    EXPECT_EQ(again.arguments, "startup");
    EXPECT_EQ(again.workingDirectory, programDir);
    EXPECT_EQ(again.description, "Tavrin Wallpaper");

    // Cleared: the shortcut goes, and a second clear finds nothing to do.
    WaitUntilClosed(Lnk());
    UpdateStartupShortcut(false, programDir);
    EXPECT_FALSE(platform::FileExists(Lnk()));
    UpdateStartupShortcut(false, programDir);
    EXPECT_FALSE(platform::FileExists(Lnk()));
}

TEST_F(StartupShortcut, FollowsTheProgramFolderItIsGivenAndAnAnsiLinkName) {
    // A drive root ends in a backslash; the target follows it with a slash,
    // which the shell link object takes for the same file.
    UpdateStartupShortcut(true, "D:\\");
    Link link;
    ASSERT_TRUE(ReadLink(Lnk(), link));
    EXPECT_EQ(link.path, FullPath("D:\\/tavrinwp.exe"));
    EXPECT_EQ(link.workingDirectory, "D:\\");

    // A Startup folder whose name is not plain ASCII (e-acute in the ANSI code page).
    const std::string accented = startup / "D\xE9marrage";
    wchar_t check[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, check, 8), 1);
    ASSERT_TRUE(CreateDirectoryA(accented.c_str(), nullptr));
    SetStartUp(accented);
    UpdateStartupShortcut(true, "C:\\x");
    Link accentedLink;
    ASSERT_TRUE(ReadLink(accented + "\\TavrinWP.lnk", accentedLink));
    EXPECT_EQ(accentedLink.arguments, "startup");
}

TEST_F(StartupShortcut, WithoutAStartUpValueTheLinkIsAtTheRootOfTheCurrentDrive) {
    ASSERT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, kShellFolders, "StartUp"), ERROR_SUCCESS);
    TempFolder current;
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
    const std::string root = current.Path().substr(0, 2) + "\\TavrinWP.lnk";
    UpdateStartupShortcut(true, "C:\\x");
    const bool written = platform::FileExists(root);
    UpdateStartupShortcut(false, "C:\\x");
    const bool removed = !platform::FileExists(root);
    SetCurrentDirectoryA(saved);
    EXPECT_TRUE(written) << root;
    EXPECT_TRUE(removed) << root;
}

TEST_F(StartupShortcut, FailuresOfTheRegistryAndOfComAreErrorsTheRestIsSilent) {
    // A missing Startup folder: nothing written, nothing said.
    SetStartUp(startup / "missing");
    EXPECT_NO_THROW(UpdateStartupShortcut(true, "C:\\x"));
    EXPECT_FALSE(platform::FileExists(startup / "missing\\TavrinWP.lnk"));

    // A value of another type.
    DWORD number = 7;
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kShellFolders, "StartUp", REG_DWORD, &number, sizeof number),
              ERROR_SUCCESS);
    EXPECT_EQ(ThrownText([] { UpdateStartupShortcut(true, "C:\\x"); }), "Invalid data type for 'StartUp'");
    EXPECT_EQ(ThrownText([] { UpdateStartupShortcut(false, "C:\\x"); }), "Invalid data type for 'StartUp'");

    // Without COM on the thread the shell link object cannot be created: the
    // system's text for the failure, and no file.
    SetStartUp(startup.Path());
    std::string thrown;
    std::thread([&] { thrown = ThrownText([] { UpdateStartupShortcut(true, "C:\\x"); }); }).join();
    EXPECT_NE(thrown, "(nothing thrown)");
    EXPECT_FALSE(thrown.empty());
    EXPECT_FALSE(platform::FileExists(Lnk()));
}
