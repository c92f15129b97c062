// The main window: Form1 of class TForm1.
#pragma once

#include <memory>
#include <string>

#include "gif/GIFAnimator.h"
#include "shelltree/ShellTree.h"
#include "ui/Forms.h"

class TForm1 : public TForm {
public:
    TForm1();
    ~TForm1() override;

    // Start-up and shutdown handlers.
    void FormCreate();
    void Minimize();
    void FormClose();
    void N2Click();  // main menu "Файл" -> "Выход"

    // Wallpaper changes: one change through the rotation, the timer's arming
    // from Settings, and its tick.
    void SetWallPaper2();
    void SetWallpaperTimer();
    void TimerWpTimer();

    // The tray icon's callback (lParam: the mouse message over the icon) and
    // the tray menu: "Настройки", "Следующая", "Предыдущая", "Выход".
    static constexpr UINT TrayCallbackMessage = WM_USER + 117;
    void TrayIconMessage(LPARAM mouseMessage);
    void N6Click();
    void N7Click();
    void N8Click();
    void N9Click();
    HMENU PopupMenu1 = nullptr;

    // The banner and the "Помощь" menu.
    void TimerReklamaTimer();
    void GIFAnimator1Click();
    void N4Click();   // "О программе"
    void N5Click();   // "Сайт разработчика"
    void N10Click();  // "Скачать обои"

    // The "Файл" menu's "Плагины": opens a further plugin manager window.
    void PluginsClick();

    // Menu command identifiers, as WM_COMMAND carries them.
    enum Command : UINT {
        CmdN2 = 102,  // "Выход"
        CmdN6 = 106,  // tray menu "Настройки"
        CmdN7 = 107,  // tray menu "Следующая"
        CmdN8 = 108,  // tray menu "Предыдущая"
        CmdN9 = 109,  // tray menu "Выход"
        CmdN4 = 404,  // "Помощь" -> "О программе"
        CmdN5 = 405,  // "Помощь" -> "Сайт разработчика"
        CmdN10 = 410,  // "Помощь" -> "Скачать обои"
        CmdPlugins = 150,  // "Файл" -> "Плагины"
    };

    TTimer TimerWp;
    TTimer TimerReklama;
    TGIFAnimator GIFAnimator1;
    // The folder tree and the picture-folder field under it.
    std::unique_ptr<TShellTreeView> ShellTreeView1;
    HWND EditDir = nullptr;
    void ShellTreeView1Click();  // puts the selected folder's path into EditDir
    void LoadFolderTree();       // builds the tree's root once
    HFONT Font() const { return font_; }
    // The canvas draws text over the painted background without filling behind it.
    bool CanvasBrushHollow = false;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoClose(bool& allowed) override;

private:
    HMENU BuildMainMenu();
    HMENU BuildTrayMenu();
    void CreateBanner();
    void CreateFolderControls();
    HFONT font_ = nullptr;
};

// The main window, set as soon as the window object exists.
extern TForm1* Form1;
