#include "ui/Main.h"

#include "core/Settings.h"
#include "platform/Platform.h"
#include "ui/LangUnit.h"
#include "ui/MainProgram.h"
#include "ui/Menus.h"
#include "ui/PluginForm.h"

TForm1* Form1 = nullptr;
TMainProgram* MainProgram = nullptr;

namespace {
const UINT_PTR kTimerWpId = 1;
const UINT_PTR kTimerReklamaId = 2;
}

TForm1::TForm1()
    : TimerWp(*this, kTimerWpId), Banner(*this, kTimerReklamaId), SettingsPanel(Folders, TimerWp), Tray(*this) {
    Form1 = this;
    Style style;
    style.className = "TForm1";
    style.caption = CaptionText(LangProgramName);
    style.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    style.exStyle = 0;
    style.clientWidth = 478;
    style.clientHeight = 381;
    style.color = RGB(0xB4, 0xDE, 0xFE);  // 0xFEDEB4
    style.menu = BuildMenu(MainMenuItems());
    style.dialogKeys = true;  // Tab and the arrow keys move between the controls
    // The wallpaper timer stays still until SetWallpaperTimer arms it.
    TimerWp.SetEnabled(false);
    TimerWp.OnTimer = [this] { TimerWpTimer(); };
    CreateHandle(style);
    font_ = ProgramFont(Dpi());
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    Banner.Create(Handle(), font_.get(), Dpi());
    Folders.Create(Handle(), font_.get(), Dpi());
    Folders.OnFolderChosen = [this](const std::string& folder) { Preview.ShowFolder(folder); };
    Preview.Create(Handle(), font_.get(), Dpi());
    SettingsPanel.Create(Handle(), font_.get(), Dpi());
    SetTabOrder();
    // The creation handler runs inside the creation of the window; an error in
    // it is reported and ends it, and the window lives on.
    Guarded([this] { FormCreate(); });
    Guarded([this] { Folders.LoadFolderTree(); });
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::SetTabOrder() {
    // Each window goes behind the one before it.
    TSettingsPanel& panel = SettingsPanel;
    HWND order[] = {Folders.EditDir,
                    panel.ButtonApply,
                    panel.CheckBoxStartUp,
                    panel.CheckBoxChangeStart,
                    panel.CheckBoxTimer,
                    panel.SpinEditTimer.Handle(),
                    Folders.ShellTreeView1 ? Folders.ShellTreeView1->Handle() : nullptr,
                    panel.TimerUnitBox,
                    panel.ColorSwatch.Handle(),
                    panel.ColorButton};
    HWND previous = HWND_TOP;
    for (HWND window : order) {
        if (!window) continue;
        SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = window;
    }
}

void TForm1::AssignCaptions() {
    AssignMenuCaptions(GetMenu(Handle()), MainMenuItems());
    DrawMenuBar(Handle());
    Tray.AssignCaptions();
    SettingsPanel.AssignCaptions();
}

void TForm1::SetCaptionLanguage(CaptionLanguage language) {
    LoadCaptions(language);
    AssignCaptions();
    Preview.AssignCaptions();
    Banner.AssignCaptions();
    AssignPluginFormCaptions();
    // The painted labels, in the new texts.
    InvalidateRect(Handle(), nullptr, FALSE);
}

bool TForm1::StartsWork(UINT message, WPARAM wParam, LPARAM lParam) const {
    // "Выход" in either menu starts nothing: it closes the window as the close
    // box does, which waits for the change in hand.
    if (message == WM_COMMAND && lParam == 0 &&
        (LOWORD(wParam) == CmdTrayExit || LOWORD(wParam) == CmdFileExit))
        return false;
    return message == TTray::CallbackMessage || TForm::StartsWork(message, wParam, lParam);
}

LRESULT TForm1::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (message == taskbarCreated && message != 0) {
        Tray.TaskbarCreated();
        return 0;
    }
    switch (message) {
    case TTray::CallbackMessage:
        Tray.IconMessage(lParam);
        return 0;
    case WM_COMMAND:
        if (lParam != 0) {  // from a control
            SettingsPanel.HandleCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            break;
        }
        if (HIWORD(wParam) == 0 && lParam == 0 && (RunMenuCommand(MainMenuItems(), LOWORD(wParam), *this) || Tray.MenuCommand(LOWORD(wParam))))
            return 0;
        break;
    case WM_INITMENUPOPUP: {
        // Both menus belong to this window: the state of whichever opens is evaluated now.
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        UpdateMenuState(GetMenu(Handle()), MainMenuItems(), popup, *this);
        UpdateMenuState(Tray.TrayMenu, TrayMenuItems(), popup, *this);
        break;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        FormPaint(dc);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_DISPLAYCHANGE:
        if (MainProgram) MainProgram->DisplayChanged();
        break;
    case WM_NOTIFY:
        if (SettingsPanel.HandleNotify(*reinterpret_cast<NMHDR*>(lParam))) return TRUE;
        if (LRESULT result = 0; Folders.HandleNotify(reinterpret_cast<NMHDR*>(lParam), result)) return result;
        break;
    }
    return TForm::WndProc(message, wParam, lParam);
}

void TForm1::DpiChanged() {
    // The old font goes once every control has the new one.
    const SharedFont old = font_;
    font_ = ProgramFont(Dpi());
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    Banner.Layout(Dpi(), font_.get());
    Folders.Layout(Dpi(), font_.get());
    Preview.Layout(Dpi(), font_.get());
    SettingsPanel.Layout(Dpi(), font_.get());
}

void TForm1::DoClose(bool& allowed) {
    (void)allowed;
    FormClose();
}

// ---- start-up, shutdown and the wallpaper changes: the program's ----

void TForm1::FormCreate() {
    if (MainProgram) MainProgram->Start(*this);
}

void TForm1::Minimize() {
    Hide();
    // The newest plugin manager window, if one was ever opened, is closed
    // (hidden) too; nothing that goes wrong there stops the minimising.
    if (PluginForm) {
        try {
            PluginForm->Close();
        } catch (...) {
        }
    }
}

void TForm1::FormClose() { Tray.Remove(); }

void TForm1::TakeSettingsAtStart() {
    // A Russian start keeps the captions the table was first filled with.
    if (LanguageOfKey(Settings.language) != LoadedCaptionLanguage())
        SetCaptionLanguage(LanguageOfKey(Settings.language));
    if (platform::DirectoryExists(Settings.wallpaper_directory)) Folders.SelectFolderInTree(Settings.wallpaper_directory);
    SettingsPanel.FillSettingsPanel();
}

void TForm1::CompleteStart() {
    SettingsPanel.LimitTimerCount();
    TimerWp.SetEnabled(false);
    if (Settings.wptimer) SetWallpaperTimer();
    Tray.Add();
    Banner.LoadFirstBanner();
    Preview.LoadDefaultPreview();
    SettingsPanel.SetSwatchColor(Settings.BackgroundColor);
}

void TForm1::KeepTrayIcon() {
    if (!Tray.Added()) Tray.Add();
}

void TForm1::RefillFromSettings() {
    SettingsPanel.FillSettingsPanel();
    // What the field now shows is what "Применить" saves: the tree and the
    // preview show the same folder.
    const std::string& folder = Settings.wallpaper_directory;
    if (!folder.empty() && platform::DirectoryExists(folder)) {
        Folders.SelectFolderInTree(folder);
        if (Preview.PreviewFolder != folder) Preview.ShowFolder(folder);
    } else {
        Folders.ClearSelection();
        Preview.ShowNothing();
    }
}

void TForm1::ShowFolderChooser() {
    Tray.TraySettingsClick();
    Folders.LoadFolderTree();
    if (Folders.ShellTreeView1) SetFocus(Folders.ShellTreeView1->Handle());
}

void TForm1::BringUp() {
    if (!Visible()) {
        Tray.TraySettingsClick();
        return;
    }
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    SetForegroundWindow(Handle());
}

void TForm1::SetWallPaper2() {
    if (MainProgram) MainProgram->ChangeWallpaper();
}

void TForm1::SetWallpaperTimer() {
    if (MainProgram) MainProgram->ArmTimer(TimerWp);
}

void TForm1::TimerWpTimer() {
    if (MainProgram) MainProgram->TimerTick();
}
