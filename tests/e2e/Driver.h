// Drives the real tavrinwp.exe from another process, the way Windows and a
// user would: start it, find its windows, send the messages that clicks send.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace e2e {

// How long a test waits for what it waits for, at most: generous, since the
// machines the tests run on may be busy (the waits end at the event).
constexpr DWORD kPatience = 120000;

class Program {
public:
    // Starts tavrinwp.exe (or a copy of it, `programFile`) with `arguments`, in
    // `currentDirectory` (empty: the test's own), with the show command a
    // shortcut or Explorer would pass.
    explicit Program(const std::string& arguments, WORD showCommand = SW_SHOWNORMAL,
                     const std::string& currentDirectory = "", const std::string& programFile = "");
    ~Program();  // ends the program if it still runs

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD Id() const { return process_.dwProcessId; }
    // Waits until the program reads its message queue with nothing to do.
    bool WaitUntilIdle(DWORD milliseconds = kPatience);
    // A top-level window of the program with the given class, hidden or not.
    HWND FindWindowOfClass(const char* className, DWORD milliseconds = kPatience) const;
    bool WaitForExit(DWORD milliseconds = kPatience, DWORD* exitCode = nullptr);
    // Sends a control message whose lParam points at a structure: a copy of
    // `data` lives in the program's memory for the call and is copied back.
    bool SendWithBuffer(HWND window, UINT message, WPARAM wParam, void* data, size_t size) const;
    // The child window of `parent` at the given client position, or null.
    static HWND ChildAt(HWND parent, int x, int y);
    // A click of the left button at a client position of `window`, posted as
    // the mouse delivers it.
    static void Click(HWND window, int x, int y);

private:
    PROCESS_INFORMATION process_ = {};
};

std::wstring WindowText(HWND window);

// Sends a message the way the shell, a menu or another program delivers it and
// returns the program's answer once it has handled it.
LRESULT Deliver(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Acts on the tray icon `id` of `form` from outside, as the shell's own tray
// does; NIM_MODIFY succeeds only while the icon exists.
bool TrayIcon(HWND form, DWORD action, UINT id = 1);

// Polls `condition` until it holds or `milliseconds` have passed.
bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = kPatience);

// Waits until the thread of `form` has handled every message posted to it so
// far: a marker posted behind them (a new text limit of one of its edit
// fields) is waited for, then undone. False without an edit field, or when
// the marker is not handled in time.
bool Settle(HWND form, DWORD milliseconds = kPatience);

// A value of the INI file `path` as the program wrote it, read with every
// sharing allowed: the private-profile reads open the file so that the
// program could not put a new config.ini in its place meanwhile, which a test
// that polls must never cause. `missing` when the file or the key is not there.
std::string ReadOption(const std::string& path, const char* section, const char* key, const std::string& missing);

// The text of a message box (its static text), once it has one.
std::wstring BoxText(HWND box, DWORD milliseconds = kPatience);

// The per-user shell folder value "Personal" (the documents folder).
std::string ReadPersonalFolder();
const char* ShellFoldersKey();

// A string value of the current user's hive, or `missing` when it cannot be read.
std::string ReadUserString(const char* key, const char* name, const std::string& missing);
// A value of "Control Panel\Desktop" ("Wallpaper", "WallpaperStyle"), or "<none>".
std::string ReadDesktopValue(const char* name);

// The program's data folder in the documents folder, made if missing and with
// no wallpaper bitmap left from an earlier run.
struct DataFiles {
    std::string folder, config, bitmap;
};
DataFiles FreshDataFolder();

}  // namespace e2e
