#include "app/Tray.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "ui/StartSteps.h"
#include "engine/Rotation.h"
#include "ui/Main.h"

namespace {

constexpr UINT kTrayIconId = 1;

bool iconAdded = false;  // between AddTrayIcon and RemoveTrayIcon

// The notify-icon record in its first layout: 88 bytes, ending with a 64-byte
// tip. Every version of the shell takes it.
NOTIFYICONDATAA TrayRecord(UINT flags) {
    static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first notify-icon layout is 88 bytes");
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = Form1->Handle();
    data.uID = kTrayIconId;
    data.uFlags = flags;
    data.uCallbackMessage = TForm1::TrayCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(GetClassLongPtrW(Form1->Handle(), GCLP_HICON));
    return data;
}

}  // namespace

void AddTrayIcon() {
    NOTIFYICONDATAA data = TrayRecord(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    std::strncpy(data.szTip, "Tavrin Wallpaper", 64);
    Shell_NotifyIconA(NIM_ADD, &data);
    iconAdded = true;
}

bool TrayIconAdded() { return iconAdded; }

void RemoveTrayIcon() {
    NOTIFYICONDATAA data = TrayRecord(NIF_MESSAGE | NIF_ICON);
    Shell_NotifyIconA(NIM_DELETE, &data);
    iconAdded = false;
}

void TForm1::TaskbarCreated() {
    // The new taskbar knows no icons: the same record is added once more.
    if (iconAdded) AddTrayIcon();
}

void TForm1::TrayIconMessage(LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        SetWallPaper2();
        break;
    case WM_RBUTTONDOWN: {
        SetForegroundWindow(Handle());
        POINT cursor;
        GetCursorPos(&cursor);
        // The chosen item's command arrives as WM_COMMAND; the empty message
        // afterwards lets the menu close properly when the user clicks elsewhere.
        TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
        PostMessageA(Handle(), WM_NULL, 0, 0);
        break;
    }
    default:
        break;
    }
}

void TForm1::N6Click() {
    FillSettingsPanel();
    Show();
    if (IsIconic(Application.Handle())) ShowWindow(Application.Handle(), SW_RESTORE);
    SetForegroundWindow(Handle());
}

void TForm1::N7Click() { SetWallPaper2(); }

void TForm1::N8Click() {
    StepBack();
    SetWallPaper2();
}

void TForm1::N9Click() { Close(); }
