// The menu bar and the tray menu as data, and the one builder, caption setter
// and dispatcher for both. The handlers of the "Файл" menu follow; the
// "Помощь" items are the banner pane's, the tray menu's the tray's.
#include "ui/Menus.h"

#include <iterator>

#include "core/Paths.h"
#include "core/Settings.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "ui/MainProgram.h"
#include "ui/PluginForm.h"

namespace {

bool HasPictureShown(const TForm1&) { return MainProgram && MainProgram->HasPictureShown(); }

// A pick in "Параметры" counts from the next change and is saved at once, the whole config.ini.
template <class Value>
void Choose(Value TSettings::*key, Value value) {
    Settings.*key = value;
    SaveSettings(ConfigPath);
}

// The menu bar: each heading opens a drop-down menu of the items after it.
const MenuItem kMainMenu[] = {
    {0, &LangFile, nullptr},
    {CmdPlugins, &LangPlugins, [](TForm1& form) { form.PluginsClick(); }},
    {CmdFileExit, &LangExit, [](TForm1& form) { form.FileExitClick(); }},
    // The choices beyond the described behaviour, each saved at once.
    {0, &LangOptions, nullptr},
    // How a change shows its picture: "fitscreen" 0 (and any other value), 1, 2.
    {CmdFitFrame, &LangFitFrame, [](TForm1&) { Choose(&TSettings::fitscreen, 0); }, MenuRow::Command,
     [](const TForm1&) { return Settings.fitscreen != 1 && Settings.fitscreen != 2; }, nullptr, true},
    {CmdFitWhole, &LangFitWhole, [](TForm1&) { Choose(&TSettings::fitscreen, 1); }, MenuRow::Command,
     [](const TForm1&) { return Settings.fitscreen == 1; }, nullptr, true},
    {CmdFitFill, &LangFitFill, [](TForm1&) { Choose(&TSettings::fitscreen, 2); }, MenuRow::Command,
     [](const TForm1&) { return Settings.fitscreen == 2; }, nullptr, true},
    {0, nullptr, nullptr, MenuRow::Separator},
    {CmdShuffle, &LangShuffle, [](TForm1&) { Choose(&TSettings::shuffle, !Settings.shuffle); }, MenuRow::Command,
     [](const TForm1&) { return Settings.shuffle; }},
    {CmdAllFormats, &LangAllFormats, [](TForm1& form) { form.AllFormatsClick(); }, MenuRow::Command,
     [](const TForm1&) { return Settings.allformats; }},
    {0, nullptr, nullptr, MenuRow::Separator},
    {0, &LangLanguage, nullptr, MenuRow::SubmenuBegin},
    {CmdLanguageRussian, &LangRussian, [](TForm1& form) { form.LanguageClick("ru"); }, MenuRow::Command,
     [](const TForm1&) { return LanguageOfKey(Settings.language) == CaptionLanguage::Russian; }, nullptr, true},
    {CmdLanguageEnglish, &LangEnglish, [](TForm1& form) { form.LanguageClick("en"); }, MenuRow::Command,
     [](const TForm1&) { return LanguageOfKey(Settings.language) == CaptionLanguage::English; }, nullptr, true},
    {0, nullptr, nullptr, MenuRow::SubmenuEnd},
    {0, &LangHelp, nullptr},
    {CmdAbout, &LangAbout, [](TForm1& form) { form.Banner.AboutClick(); }},
    {CmdDeveloperSite, &LangDeveloperSite, [](TForm1& form) { form.Banner.DeveloperSiteClick(); }},
    {CmdWallpapersPage, &LangWallpapersPage, [](TForm1& form) { form.Banner.WallpapersPageClick(); }},
};

// The menu a right click on the tray icon opens.
const MenuItem kTrayMenu[] = {
    {CmdTraySettings, &LangSettings, [](TForm1& form) { form.Tray.TraySettingsClick(); }},
    {CmdTrayNext, &LangNext, [](TForm1& form) { form.Tray.TrayNextClick(); }},
    {CmdTrayPrevious, &LangPrevious, [](TForm1& form) { form.Tray.TrayPreviousClick(); }},
    // The picture on the desktop; greyed while there is none.
    {CmdTrayOpenPicture, &LangOpenPicture, [](TForm1& form) { form.Tray.TrayOpenPictureClick(); }, MenuRow::Command,
     nullptr, HasPictureShown},
    {CmdTrayShowInFolder, &LangShowInFolder, [](TForm1& form) { form.Tray.TrayShowInFolderClick(); },
     MenuRow::Command, nullptr, HasPictureShown},
    {CmdTrayDeletePicture, &LangDeletePicture, [](TForm1& form) { form.Tray.TrayDeletePictureClick(); },
     MenuRow::Command, nullptr, HasPictureShown},
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

bool IsHeading(const MenuItem& item) { return item.row == MenuRow::Command && item.command == 0; }

bool HasHeadings(std::span<const MenuItem> items) {
    for (const MenuItem& item : items)
        if (IsHeading(item)) return true;
    return false;
}

// Visits each row that makes an entry with the menu that holds it and its
// place there, in the order BuildMenu makes them: headings on the bar, the
// other rows in the drop-down or submenu they stand in.
template <class Visit>
void ForEachEntry(HMENU menu, std::span<const MenuItem> items, Visit&& visit) {
    struct Level {
        HMENU menu;
        UINT next;
    };
    Level levels[8] = {{menu, 0}};
    int depth = 0;
    UINT barPlace = 0;
    for (const MenuItem& item : items) {
        if (IsHeading(item)) {
            visit(menu, barPlace, item);
            levels[0] = {GetSubMenu(menu, static_cast<int>(barPlace++)), 0};
            depth = 0;
            continue;
        }
        if (item.row == MenuRow::SubmenuEnd) {
            if (depth > 0) --depth;
            continue;
        }
        Level& level = levels[depth];
        const UINT place = level.next++;
        visit(level.menu, place, item);
        if (item.row == MenuRow::SubmenuBegin && depth + 1 < static_cast<int>(std::size(levels)))
            levels[++depth] = {GetSubMenu(level.menu, static_cast<int>(place)), 0};
    }
}

}  // namespace

std::span<const MenuItem> MainMenuItems() { return kMainMenu; }
std::span<const MenuItem> TrayMenuItems() { return kTrayMenu; }

HMENU BuildMenu(std::span<const MenuItem> items) {
    const bool bar = HasHeadings(items);
    HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
    HMENU levels[8] = {bar ? nullptr : menu};
    int depth = 0;
    for (const MenuItem& item : items) {
        const std::wstring text = item.caption ? WideFromUtf8(CaptionText(*item.caption)) : std::wstring();
        if (IsHeading(item)) {
            levels[0] = CreatePopupMenu();
            depth = 0;
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(levels[0]), text.c_str());
            continue;
        }
        switch (item.row) {
        case MenuRow::Separator:
            AppendMenuW(levels[depth], MF_SEPARATOR, 0, nullptr);
            break;
        case MenuRow::SubmenuBegin: {
            HMENU sub = CreatePopupMenu();
            AppendMenuW(levels[depth], MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
            if (depth + 1 < static_cast<int>(std::size(levels))) levels[++depth] = sub;
            break;
        }
        case MenuRow::SubmenuEnd:
            if (depth > 0) --depth;
            break;
        case MenuRow::Command:
            AppendMenuW(levels[depth], MF_STRING | (item.radio ? MFT_RADIOCHECK : 0), item.command, text.c_str());
            break;
        }
    }
    return menu;
}

void AssignMenuCaptions(HMENU menu, std::span<const MenuItem> items) {
    ForEachEntry(menu, items, [](HMENU holder, UINT place, const MenuItem& item) {
        if (item.caption && item.row != MenuRow::Separator) SetMenuText(holder, place, true, *item.caption);
    });
}

void UpdateMenuState(HMENU menu, std::span<const MenuItem> items, HMENU popup, const TForm1& form) {
    ForEachEntry(menu, items, [&](HMENU holder, UINT place, const MenuItem& item) {
        if (holder != popup) return;
        if (item.checked)
            CheckMenuItem(holder, place, MF_BYPOSITION | (item.checked(form) ? MF_CHECKED : MF_UNCHECKED));
        if (item.enabled)
            EnableMenuItem(holder, place, MF_BYPOSITION | (item.enabled(form) ? MF_ENABLED : MF_GRAYED));
    });
}

bool RunMenuCommand(std::span<const MenuItem> items, UINT command, TForm1& form) {
    for (const MenuItem& item : items)
        if (item.row == MenuRow::Command && item.command != 0 && item.command == command && item.handler) {
            item.handler(form);
            return true;
        }
    return false;
}

void TForm1::FileExitClick() { Close(); }

void TForm1::PluginsClick() { CreatePluginForm(); }

void TForm1::LanguageClick(const std::string& key) {
    Settings.language = key;
    SetCaptionLanguage(LanguageOfKey(key));
    SaveSettings(ConfigPath);
}

void TForm1::AllFormatsClick() {
    Settings.allformats = !Settings.allformats;
    SaveSettings(ConfigPath);
    if (Preview.PreviewFolder != "none") Preview.ShowFolder(Preview.PreviewFolder);
}
