#include "app/Tray.h"

#include <shellapi.h>

#include <cstring>

#include "app/Program.h"
#include "core/Settings.h"
#include "ui/Main.h"

namespace {

constexpr UINT kTrayIconId = 1;

// The notify-icon record in its first layout: 88 bytes, ending with a 64-byte
// tip. Every version of the shell takes it.
NOTIFYICONDATAA TrayRecord(HWND window, UINT flags) {
    static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first notify-icon layout is 88 bytes");
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = flags;
    data.uCallbackMessage = TForm1::TrayCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    return data;
}

}  // namespace

void TTrayIcon::Add(HWND window) {
    NOTIFYICONDATAA data = TrayRecord(window, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    std::strncpy(data.szTip, "Tavrin Wallpaper", 64);
    Shell_NotifyIconA(NIM_ADD, &data);
    window_ = window;
}

void TTrayIcon::Remove() {
    NOTIFYICONDATAA data = TrayRecord(window_, NIF_MESSAGE | NIF_ICON);
    Shell_NotifyIconA(NIM_DELETE, &data);
    window_ = nullptr;
}

void TTrayIcon::TaskbarCreated() {
    if (window_) Add(window_);
}

void TProgram::TaskbarCreated() { tray_.TaskbarCreated(); }

void TProgram::TrayChange(TForm1& form, bool back) {
    // No folder chosen yet (a first start, before any Apply): a change would
    // do nothing and say nothing. The window shows the user where to begin:
    // shown as "Настройки" shows it, with the folder tree built and focused.
    // The change at start and the timer stay quiet, as before.
    if (Settings.wallpaper_directory.empty()) {
        form.TraySettingsClick();
        form.Folders.LoadFolderTree();
        if (form.Folders.ShellTreeView1) SetFocus(form.Folders.ShellTreeView1->Handle());
        return;
    }
    if (back)
        ChangeWallpaperBack();
    else
        ChangeWallpaper();
}
