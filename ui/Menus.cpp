// The main window's menu bar as data (the tray menu is the tray's, ui/Tray.cpp).
// Each row gives an item's command, the text it is built with, its entry in the
// caption table and its handler; the table drives building, the captions and
// the dispatch of WM_COMMAND. The handlers of the "Файл" menu follow; the
// "Помощь" items are the banner pane's.
#include <windows.h>

#include "ui/LangUnit.h"
#include "ui/Main.h"
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
    {TForm1::CmdDeveloperSite, "Сайт разработчика", &LangDeveloperSite,
     [](TForm1& form) { form.Banner.DeveloperSiteClick(); }},
    {TForm1::CmdWallpapersPage, "Скачать обои", nullptr, [](TForm1& form) { form.Banner.WallpapersPageClick(); }},
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

void TForm1::AssignMenuCaptions() {
    HMENU bar = GetMenu(Handle());
    UINT heading = 0;  // headings are found by their place on the bar, items by their command
    for (const MenuItem& item : kMainMenu) {
        const bool isHeading = item.command == 0;
        const UINT where = isHeading ? heading++ : item.command;
        if (item.caption) SetMenuText(bar, where, isHeading, *item.caption);
    }
    DrawMenuBar(Handle());
}

bool TForm1::MenuCommand(UINT command) {
    for (const MenuItem& item : kMainMenu)
        if (item.command == command && item.handler) {
            item.handler(*this);
            return true;
        }
    return false;
}

void TForm1::FileExitClick() { Close(); }

void TForm1::PluginsClick() { CreatePluginForm(); }
