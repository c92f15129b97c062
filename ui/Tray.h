// The program's tray icon and its menu, in one place: the icon in the
// notification area, the callback message it sends the main window, the menu
// a right click opens (built from its table, with its captions), and what
// each of its items does.
#pragma once

#include <windows.h>

#include "ui/Commands.h"

class TForm1;

class TTray {
public:
    explicit TTray(TForm1& form);
    ~TTray();
    TTray(const TTray&) = delete;
    TTray& operator=(const TTray&) = delete;

    // The message the icon sends the main window; lParam is the mouse message over the icon.
    static constexpr UINT CallbackMessage = WM_USER + 117;  // TrayCallbackMessage
    // Adds the icon of the main window (its class icon), with the tip "Tavrin
    // Wallpaper" and CallbackMessage. The result is not looked at.
    void Add();
    // Removes it again, if it was added.
    void Remove();
    // True from Add to Remove.
    bool Added() const { return added_; }
    // The shell's "TaskbarCreated": the taskbar was made anew (Explorer
    // restarted) and knows no icons; the icon, if it was there, is added again.
    void TaskbarCreated();

    // The icon's callback: a left press is "Следующая", a right press opens the menu.
    void IconMessage(LPARAM mouseMessage);
    // The menu's texts from the caption table.
    void AssignCaptions();
    // Runs the handler of one of the menu's commands; false for a command not of the menu.
    bool MenuCommand(UINT command);

    void TraySettingsClick();  // N6Click: "Настройки": shows the window with the panel filled
    void TrayNextClick();      // N7Click: "Следующая" and a left click on the icon: the next picture
    void TrayPreviousClick();  // N8Click: "Предыдущая": the picture before the one showing
    void TrayExitClick();      // N9Click: "Выход": closes the program
    // The picture on the desktop: opened with its default program, shown
    // selected in its folder, or moved to the Recycle Bin (after a question)
    // and the next picture shown. Each does nothing while there is none.
    void TrayOpenPictureClick();
    void TrayShowInFolderClick();
    void TrayDeletePictureClick();

    HMENU TrayMenu = nullptr;  // PopupMenu1: the tray menu

private:
    TForm1& form_;
    bool added_ = false;
    HICON icon_ = nullptr;  // the icon at the taskbar's scale, other than 96 DPI
};
