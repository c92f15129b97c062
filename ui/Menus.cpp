// The menu bar and the tray menu as data, and the one builder, caption setter
// and dispatcher for both. The handlers of the "Файл" menu follow; the
// "Помощь" items are the banner pane's, the tray menu's the tray's.
#include "ui/Menus.h"

#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "ui/PluginForm.h"

namespace {

// The menu bar: each heading opens a drop-down menu of the items after it.
const MenuItem kMainMenu[] = {
    {0, &LangFile, nullptr},
    {CmdPlugins, &LangPlugins, [](TForm1& form) { form.PluginsClick(); }},
    {CmdFileExit, &LangExit, [](TForm1& form) { form.FileExitClick(); }},
    {0, &LangHelp, nullptr},
    {CmdAbout, &LangAbout, [](TForm1& form) { form.Banner.AboutClick(); }},
    {CmdDeveloperSite, &LangDeveloperSite, [](TForm1& form) { form.Banner.DeveloperSiteClick(); }},
    {CmdWallpapersPage, &TextWallpapersPage, [](TForm1& form) { form.Banner.WallpapersPageClick(); }},
};

// The menu a right click on the tray icon opens.
const MenuItem kTrayMenu[] = {
    {CmdTraySettings, &LangSettings, [](TForm1& form) { form.Tray.TraySettingsClick(); }},
    {CmdTrayNext, &LangNext, [](TForm1& form) { form.Tray.TrayNextClick(); }},
    {CmdTrayPrevious, &LangPrevious, [](TForm1& form) { form.Tray.TrayPreviousClick(); }},
    {CmdTrayExit, &LangExit, [](TForm1& form) { form.Tray.TrayExitClick(); }},
};

void SetMenuText(HMENU menu, UINT item, bool byPosition, const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = wide.data();
    SetMenuItemInfoW(menu, item, byPosition, &info);
}

bool HasHeadings(std::span<const MenuItem> items) {
    for (const MenuItem& item : items)
        if (item.command == 0) return true;
    return false;
}

}  // namespace

std::span<const MenuItem> MainMenuItems() { return kMainMenu; }
std::span<const MenuItem> TrayMenuItems() { return kTrayMenu; }

HMENU BuildMenu(std::span<const MenuItem> items) {
    const bool bar = HasHeadings(items);
    HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
    HMENU dropDown = bar ? nullptr : menu;
    for (const MenuItem& item : items) {
        const std::wstring text = WideFromUtf8(CaptionText(*item.caption));
        if (item.command == 0) {
            dropDown = CreatePopupMenu();
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(dropDown), text.c_str());
        } else {
            AppendMenuW(dropDown, MF_STRING, item.command, text.c_str());
        }
    }
    return menu;
}

void AssignMenuCaptions(HMENU menu, std::span<const MenuItem> items) {
    UINT heading = 0;  // headings are found by their place on the bar, items by their command
    for (const MenuItem& item : items) {
        const bool isHeading = item.command == 0;
        SetMenuText(menu, isHeading ? heading++ : item.command, isHeading, *item.caption);
    }
}

bool RunMenuCommand(std::span<const MenuItem> items, UINT command, TForm1& form) {
    for (const MenuItem& item : items)
        if (item.command == command && item.handler) {
            item.handler(form);
            return true;
        }
    return false;
}

void TForm1::FileExitClick() { Close(); }

void TForm1::PluginsClick() { CreatePluginForm(); }
