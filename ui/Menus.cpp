// The main window's menus as data: one table for the menu bar and one for the
// tray menu. Each row gives an item's command, the text it is built with, its
// entry in the caption table and its handler; the tables drive building, the
// captions and the dispatch of WM_COMMAND. The handlers of the "Файл" menu and
// the tray menu follow; the "Помощь" items are the banner pane's.
#include <windows.h>

#include <span>

#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "ui/MainProgram.h"
#include "ui/PluginForm.h"

namespace {

struct MenuItem {
    UINT command;                // as WM_COMMAND carries it; 0 for a heading of the menu bar
    const char* text;            // UTF-8, as the window is made
    const std::string* caption;  // the caption-table entry it shows once captions are assigned; null: keeps `text`
    void (*handler)(TForm1& form);
};

// The menu bar: each heading opens a drop-down menu of the items after it.
const MenuItem kMainMenu[] = {
    {0, "Файл", &LangFile, nullptr},
    {TForm1::CmdPlugins, "Плагины", &LangPlugins, [](TForm1& form) { form.PluginsClick(); }},
    {TForm1::CmdFileExit, "Выход", &LangExit, [](TForm1& form) { form.FileExitClick(); }},
    {0, "Помощь", &LangHelp, nullptr},
    {TForm1::CmdAbout, "О программе", &LangAbout, [](TForm1& form) { form.Banner.AboutClick(); }},
    {TForm1::CmdDeveloperSite, "Сайт разработчика", &LangDeveloperSite, [](TForm1& form) { form.Banner.DeveloperSiteClick(); }},
    {TForm1::CmdWallpapersPage, "Скачать обои", nullptr, [](TForm1& form) { form.Banner.WallpapersPageClick(); }},
};

// The tray icon's menu, opened by a right click on the icon.
const MenuItem kTrayMenu[] = {
    {TForm1::CmdTraySettings, "Настройки", &LangSettings, [](TForm1& form) { form.TraySettingsClick(); }},
    {TForm1::CmdTrayNext, "Следующая", &LangNext, [](TForm1& form) { form.TrayNextClick(); }},
    {TForm1::CmdTrayPrevious, "Предыдущая", &LangPrevious, [](TForm1& form) { form.TrayPreviousClick(); }},
    {TForm1::CmdTrayExit, "Выход", &LangExit, [](TForm1& form) { form.TrayExitClick(); }},
};

void SetMenuText(HMENU menu, UINT item, bool byPosition, const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = wide.data();
    SetMenuItemInfoW(menu, item, byPosition, &info);
}

}  // namespace

HMENU TForm1::BuildMainMenu() {
    HMENU menu = CreateMenu();
    HMENU dropDown = nullptr;
    for (const MenuItem& item : kMainMenu) {
        if (item.command == 0) {
            dropDown = CreatePopupMenu();
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(dropDown), WideFromUtf8(item.text).c_str());
        } else {
            AppendMenuW(dropDown, MF_STRING, item.command, WideFromUtf8(item.text).c_str());
        }
    }
    return menu;
}

HMENU TForm1::BuildTrayMenu() {
    HMENU menu = CreatePopupMenu();
    for (const MenuItem& item : kTrayMenu) AppendMenuW(menu, MF_STRING, item.command, WideFromUtf8(item.text).c_str());
    return menu;
}

void TForm1::AssignMenuCaptions() {
    HMENU bar = GetMenu(Handle());
    UINT heading = 0;  // headings are found by their place on the bar, items by their command
    for (const MenuItem& item : kMainMenu) {
        const bool isHeading = item.command == 0;
        const UINT where = isHeading ? heading++ : item.command;
        if (item.caption) SetMenuText(bar, where, isHeading, *item.caption);
    }
    DrawMenuBar(Handle());
    for (const MenuItem& item : kTrayMenu)
        if (item.caption) SetMenuText(TrayMenu, item.command, false, *item.caption);
}

bool TForm1::MenuCommand(UINT command) {
    for (std::span<const MenuItem> menu : {std::span<const MenuItem>(kMainMenu), std::span<const MenuItem>(kTrayMenu)})
        for (const MenuItem& item : menu)
            if (item.command == command && item.handler) {
                item.handler(*this);
                return true;
            }
    return false;
}

void TForm1::FileExitClick() { Close(); }

void TForm1::PluginsClick() { CreatePluginForm(); }

// ---- the tray icon and its menu ----

void TForm1::TaskbarCreated() {
    if (MainProgram) MainProgram->TaskbarCreated();
}

void TForm1::TrayIconMessage(LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        TrayNextClick();
        break;
    case WM_RBUTTONDOWN: {
        SetForegroundWindow(Handle());
        POINT cursor;
        GetCursorPos(&cursor);
        // The chosen item's command arrives as WM_COMMAND; the empty message
        // afterwards lets the menu close properly when the user clicks elsewhere.
        TrackPopupMenu(TrayMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
        PostMessageA(Handle(), WM_NULL, 0, 0);
        break;
    }
    default:
        break;
    }
}

void TForm1::TraySettingsClick() {
    SettingsPanel.FillSettingsPanel();
    Show();
    if (IsIconic(Application.Handle())) ShowWindow(Application.Handle(), SW_RESTORE);
    SetForegroundWindow(Handle());
}

void TForm1::TrayNextClick() {
    if (MainProgram) MainProgram->TrayChange(*this, false);
}

void TForm1::TrayPreviousClick() {
    if (MainProgram) MainProgram->TrayChange(*this, true);
}

void TForm1::TrayExitClick() { Close(); }
