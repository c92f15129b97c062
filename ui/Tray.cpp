// The tray icon and its menu: the notify-icon record, the menu's table, the
// callback and the items' handlers.
#include "ui/Tray.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "ui/MainProgram.h"
#include "ui/Menus.h"

namespace {

constexpr UINT kTrayIconId = 1;

// The notify-icon record in its first layout: 88 bytes, ending with a 64-byte
// tip. Every version of the shell takes it.
NOTIFYICONDATAA TrayRecord(HWND window, UINT flags, HICON icon) {
    static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first notify-icon layout is 88 bytes");
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    data.uFlags = flags;
    data.uCallbackMessage = TTray::CallbackMessage;
    data.hIcon = icon ? icon : reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    return data;
}

}  // namespace

TTray::TTray(TForm1& form) : form_(form) { TrayMenu = BuildMenu(TrayMenuItems()); }

TTray::~TTray() {
    if (TrayMenu) DestroyMenu(TrayMenu);
    if (icon_) DestroyIcon(icon_);
}

void TTray::Add() {
    // The notification area's icon at the taskbar's scale; at 96 DPI the class's icon serves.
    const int dpi = SystemDpi();
    if (dpi != 96 && !icon_) icon_ = LoadProgramIcon(SystemMetricForDpi(SM_CXSMICON, dpi));
    NOTIFYICONDATAA data = TrayRecord(form_.Handle(), NIF_MESSAGE | NIF_ICON | NIF_TIP, icon_);
    std::strncpy(data.szTip, CaptionText(LangProgramName).c_str(), 63);
    Shell_NotifyIconA(NIM_ADD, &data);
    added_ = true;
}

void TTray::Remove() {
    if (!added_) return;
    NOTIFYICONDATAA data = TrayRecord(form_.Handle(), NIF_MESSAGE | NIF_ICON, icon_);
    Shell_NotifyIconA(NIM_DELETE, &data);
    added_ = false;
}

void TTray::TaskbarCreated() {
    if (added_) Add();
}

void TTray::IconMessage(LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        TrayNextClick();
        break;
    case WM_RBUTTONDOWN: {
        SetForegroundWindow(form_.Handle());
        POINT cursor;
        GetCursorPos(&cursor);
        // The chosen item's command arrives as WM_COMMAND; the empty message
        // afterwards lets the menu close properly when the user clicks elsewhere.
        TrackPopupMenu(TrayMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, form_.Handle(), nullptr);
        PostMessageA(form_.Handle(), WM_NULL, 0, 0);
        break;
    }
    default:
        break;
    }
}

void TTray::AssignCaptions() { AssignMenuCaptions(TrayMenu, TrayMenuItems()); }

bool TTray::MenuCommand(UINT command) { return RunMenuCommand(TrayMenuItems(), command, form_); }

void TTray::TraySettingsClick() {
    form_.RefillFromSettings();
    form_.Show();
    if (IsIconic(Application.Handle())) ShowWindow(Application.Handle(), SW_RESTORE);
    SetForegroundWindow(form_.Handle());
}

void TTray::TrayNextClick() {
    if (MainProgram) MainProgram->TrayChange(form_, false);
}

void TTray::TrayPreviousClick() {
    if (MainProgram) MainProgram->TrayChange(form_, true);
}

void TTray::TrayExitClick() { form_.Close(); }

void TTray::TrayOpenPictureClick() {
    if (MainProgram) MainProgram->OpenPictureShown();
}

void TTray::TrayShowInFolderClick() {
    if (MainProgram) MainProgram->ShowPictureShownInFolder();
}

void TTray::TrayDeletePictureClick() {
    if (MainProgram) MainProgram->DeletePictureShown(form_);
}
