// The main window: Form1 of class TForm1.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/GIFAnimator.h"
#include "shelltree/ShellTree.h"
#include "toolkit/Controls.h"
#include "toolkit/Forms.h"

class TForm1 : public TForm {
public:
    TForm1();
    ~TForm1() override;

    // Start-up and shutdown handlers: the start sequence and the tray icon
    // are the program's (MainProgram).
    void FormCreate();  // runs the program's start sequence
    void Minimize();    // hides the window (and the newest plugin window)
    void FormClose();   // the program removes its tray icon
    void FileExitClick();  // N2Click: main menu "Файл" -> "Выход"

    // Wallpaper changes, handed to the program: one change through the
    // rotation, the timer's arming from Settings, and its tick.
    void SetWallPaper2();
    void SetWallpaperTimer();
    void TimerWpTimer();

    // The tray icon's callback (lParam: the mouse message over the icon) and
    // the tray menu: "Настройки", "Следующая", "Предыдущая", "Выход".
    static constexpr UINT TrayCallbackMessage = WM_USER + 117;
    void TrayIconMessage(LPARAM mouseMessage);
    // The shell's "TaskbarCreated": the taskbar was made anew (Explorer
    // restarted), and the tray icon, if it was there, is added again.
    void TaskbarCreated();
    void TraySettingsClick();  // N6Click: tray "Настройки": shows the window with the panel filled
    void TrayNextClick();  // N7Click: tray "Следующая" and a left click on the icon: the next picture
    void TrayPreviousClick();  // N8Click: tray "Предыдущая": the picture before the one showing
    void TrayExitClick();  // N9Click: tray "Выход": closes the program
    HMENU TrayMenu = nullptr;  // PopupMenu1: the tray menu

    // The banner and the "Помощь" menu.
    void TimerReklamaTimer();
    void GIFAnimator1Click();
    void AboutClick();           // N4Click: "О программе"
    void DeveloperSiteClick();   // N5Click: "Сайт разработчика"
    void WallpapersPageClick();  // N10Click: "Скачать обои"

    // The "Файл" menu's "Плагины": opens a further plugin manager window.
    void PluginsClick();

    // Menu command identifiers, as WM_COMMAND carries them.
    enum Command : UINT {
        CmdFileExit = 102,        // CmdN2: "Выход"
        CmdTraySettings = 106,    // CmdN6: tray menu "Настройки"
        CmdTrayNext = 107,        // CmdN7: tray menu "Следующая"
        CmdTrayPrevious = 108,    // CmdN8: tray menu "Предыдущая"
        CmdTrayExit = 109,        // CmdN9: tray menu "Выход"
        CmdAbout = 404,           // CmdN4: "Помощь" -> "О программе"
        CmdDeveloperSite = 405,   // CmdN5: "Помощь" -> "Сайт разработчика"
        CmdWallpapersPage = 410,  // CmdN10: "Помощь" -> "Скачать обои"
        CmdPlugins = 150,         // "Файл" -> "Плагины"
    };

    TTimer TimerWp;             // the wallpaper timer, armed and ticked by the program
    TTimer TimerReklama;        // the banner's reload, every 10 seconds
    TGIFAnimator GIFAnimator1;  // the banner
    // The folder tree and the picture-folder field under it.
    std::unique_ptr<TShellTreeView> ShellTreeView1;
    HWND EditDir = nullptr;
    void ShellTreeView1Click();  // puts the selected folder's path into EditDir
    void LoadFolderTree();       // builds the tree's root once

    // The settings panel: filled from Settings, applied back to it.
    HWND CheckBoxStartUp = nullptr;
    HWND CheckBoxChangeStart = nullptr;
    HWND CheckBoxTimer = nullptr;
    TSpinEdit SpinEditTimer;
    HWND TimerUnitBox = nullptr;  // ComboBox1: the timer unit: editable, "Минута", "Час", "день"
    TColorPanel ColorSwatch;      // Panel1: the background colour
    HWND ColorButton = nullptr;   // Button1: "Выбрать", the colour dialog
    HWND ButtonApply = nullptr;
    void AssignCaptions();
    void FillSettingsPanel();
    void ButtonApplyClick();
    void ColorButtonClick();  // Button1Click: "Выбрать": the colour dialog
    void SetSpinEditRange(int minimum, int maximum);
    void SetSwatchColor(uint32_t color);
    // The colour dialog: shows `color` and gives the one chosen; false when
    // cancelled. Tests put their own in its place.
    std::function<bool(COLORREF& color)> ColorDialog1Execute;

    // The preview of one folder's pictures.
    TSpeedButton SpeedButtonPre;
    TSpeedButton SpeedButtonOn;
    TSpeedButton SpeedButtonNext;
    static constexpr RECT Image1Bounds = {288, 88, 458, 218};  // the preview picture's box
    void SpeedButtonPreClick();
    void SpeedButtonOnClick();
    void SpeedButtonNextClick();
    void ShowPreview();
    void LoadDefaultPreview(const char* resourceName);
    HBITMAP Image1Picture() const { return image1_; }

    // Painting: the gradient, the frames, the labels and the preview frame.
    void FormPaint(HDC dc);
    void PaintPreviewFrame(HDC dc);
    void PaintPreviewFrame();  // straight onto the window
    void PaintImage1(HDC dc);

    HFONT Font() const { return font_; }
    // The canvas draws text over the painted background without filling behind it.
    bool CanvasBrushHollow = false;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool StartsWork(UINT message, WPARAM wParam, LPARAM lParam) const override;
    void DoClose(bool& allowed) override;

private:
    // The menus, built from their tables in ui/Menus.cpp.
    HMENU BuildMainMenu();
    HMENU BuildTrayMenu();
    void AssignMenuCaptions();
    bool MenuCommand(UINT command);  // runs a menu item's handler; false for no item of the menus
    void CreateBanner();
    void CreateFolderControls();
    void CreatePanelControls();
    void SetImage1(HBITMAP picture);
    HFONT font_ = nullptr;
    HBITMAP image1_ = nullptr;
};

// The main window, set as soon as the window object exists.
extern TForm1* Form1;
