// The main window: Form1 of class TForm1. The window holds its panes, each of
// which owns its controls and their handlers, and the tray; the window itself
// keeps the menu bar and the wallpaper timer, which it hands to the program
// (ui/MainProgram.h).
#pragma once

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/Forms.h"
#include "ui/Banner.h"
#include "ui/Commands.h"
#include "ui/LangUnit.h"
#include "ui/MainFolderTree.h"
#include "ui/Preview.h"
#include "ui/ProgramFont.h"
#include "ui/SettingsPanel.h"
#include "ui/Tray.h"

class TForm1 : public TForm {
public:
    TForm1();
    ~TForm1() override;

    // Start-up and shutdown handlers: the start sequence is the program's (MainProgram).
    void FormCreate();  // runs the program's start sequence
    void Minimize();    // hides the window (and the newest plugin window)
    void FormClose();   // the tray icon goes
    void FileExitClick();  // N2Click: main menu "Файл" -> "Выход"

    // Wallpaper changes, handed to the program: one change through the
    // rotation, the timer's arming from Settings, and its tick.
    void SetWallPaper2();
    void SetWallpaperTimer();
    void TimerWpTimer();

    // What the program asks of the window: shown as the tray's "Настройки"
    // shows it, with the folder tree built and focused to choose a picture
    // folder in; and brought up for a later start (a window already shown
    // keeps what the user typed in its panel and is only restored and put in front).
    void ShowFolderChooser();
    void BringUp();

    // The "Файл" menu's "Плагины": opens a further plugin manager window.
    void PluginsClick();
    // "Параметры" -> "Язык / Language": `key` ("ru" or "en") into Settings,
    // every window re-captioned in it, and config.ini saved whole.
    void LanguageClick(const std::string& key);
    // Fills the caption table in `language` and gives its texts at once to
    // the menus, the tray menu, the panes and every plugin window.
    void SetCaptionLanguage(CaptionLanguage language);

    // The start sequence's steps on the window, in their order around the
    // change at start. First: the captions in the language of Settings, the
    // saved folder selected in the tree, the panel filled.
    void TakeSettingsAtStart();
    // Then: the timer's count limited and the timer armed from Settings, the
    // tray icon, the first banner, the default preview and the swatch's colour.
    void CompleteStart();
    // The tray icon, added if it is not there yet.
    void KeepTrayIcon();
    // "Настройки": the panel refilled from Settings, and the tree and the
    // preview following its folder field: the saved folder selected and
    // shown, or none selected and the default picture when none is saved.
    void RefillFromSettings();
    // "Параметры" -> "Все форматы (PNG, WebP, .jpeg)": option "allformats" turned
    // over and saved at once; the preview lists its folder by the new rule.
    void AllFormatsClick();

    TTimer TimerWp;  // the wallpaper timer, armed and ticked by the program

    // The panes, in the order their controls are made.
    TBannerPane Banner;            // ui/Banner.cpp: the banner and the "Помощь" items
    TFolderPane Folders;           // ui/MainFolderTree.cpp: the folder tree and EditDir
    TPreviewPane Preview;          // ui/Preview.cpp: one folder's pictures
    TSettingsPanel SettingsPanel;  // ui/SettingsPanel.cpp: the settings and "Применить"
    TTray Tray;                    // ui/Tray.cpp: the tray icon and its menu

    // The captions of the menus and the panes, from the caption table.
    void AssignCaptions();
    // Painting: the gradient, the frames and the labels (ui/Painting.cpp).
    void FormPaint(HDC dc);

    HFONT Font() const { return font_.get(); }
    // The canvas draws text over the painted background without filling behind it.
    bool CanvasBrushHollow = false;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool StartsWork(UINT message, WPARAM wParam, LPARAM lParam) const override;
    void DoClose(bool& allowed) override;
    void DpiChanged() override;

private:
    void SetTabOrder();  // across the panes
    SharedFont font_;
};

// The main window, set as soon as the window object exists.
extern TForm1* Form1;
