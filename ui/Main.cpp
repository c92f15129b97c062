#include "ui/Main.h"

TForm1* Form1 = nullptr;

namespace {
const UINT_PTR kTimerWpId = 1;
const UINT_PTR kTimerReklamaId = 2;
}

TForm1::TForm1() : TimerWp(*this, kTimerWpId), TimerReklama(*this, kTimerReklamaId) {
    Form1 = this;
    font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
    Style style;
    style.className = "TForm1";
    style.caption = "Tavrin Wallpaper";
    style.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    style.exStyle = 0;
    style.clientWidth = 478;
    style.clientHeight = 381;
    style.color = RGB(0xB4, 0xDE, 0xFE);  // 0xFEDEB4
    style.menu = BuildMainMenu();
    style.dialogKeys = true;  // Tab and the arrow keys move between the controls
    PopupMenu1 = BuildTrayMenu();
    // The wallpaper timer stays still until SetWallpaperTimer arms it.
    TimerWp.SetEnabled(false);
    TimerWp.OnTimer = [this] { TimerWpTimer(); };
    CreateHandle(style);
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    CreateBanner();
    CreateFolderControls();
    CreatePanelControls();
    // The creation handler runs inside the creation of the window; an error in
    // it is reported and ends it, and the window lives on.
    Guarded([this] { FormCreate(); });
    Guarded([this] { LoadFolderTree(); });
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
    if (font_) DeleteObject(font_);
    if (PopupMenu1) DestroyMenu(PopupMenu1);
    if (image1_) DeleteObject(image1_);
}

HMENU TForm1::BuildMainMenu() {
    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, CmdPlugins, WideFromUtf8("Плагины").c_str());
    AppendMenuW(file, MF_STRING, CmdN2, WideFromUtf8("Выход").c_str());
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), WideFromUtf8("Файл").c_str());
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, CmdN4, WideFromUtf8("О программе").c_str());
    AppendMenuW(help, MF_STRING, CmdN5, WideFromUtf8("Сайт разработчика").c_str());
    AppendMenuW(help, MF_STRING, CmdN10, WideFromUtf8("Скачать обои").c_str());
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), WideFromUtf8("Помощь").c_str());
    return menu;
}

HMENU TForm1::BuildTrayMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, CmdN6, WideFromUtf8("Настройки").c_str());
    AppendMenuW(menu, MF_STRING, CmdN7, WideFromUtf8("Следующая").c_str());
    AppendMenuW(menu, MF_STRING, CmdN8, WideFromUtf8("Предыдущая").c_str());
    AppendMenuW(menu, MF_STRING, CmdN9, WideFromUtf8("Выход").c_str());
    return menu;
}

bool TForm1::StartsWork(UINT message, WPARAM wParam, LPARAM lParam) const {
    return message == TrayCallbackMessage || TForm::StartsWork(message, wParam, lParam);
}

LRESULT TForm1::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (message == taskbarCreated && message != 0) {
        TaskbarCreated();
        return 0;
    }
    switch (message) {
    case TrayCallbackMessage:
        TrayIconMessage(lParam);
        return 0;
    case WM_COMMAND:
        if (lParam != 0) {  // from a control
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (control == SpinEditTimer.Handle()) SpinEditTimer.HandleCommand(HIWORD(wParam));
            if (HIWORD(wParam) == BN_CLICKED && control == ButtonApply) ButtonApplyClick();
            if (HIWORD(wParam) == BN_CLICKED && control == Button1) Button1Click();
            break;
        }
        if (HIWORD(wParam) == 0 && lParam == 0) {
            switch (LOWORD(wParam)) {
            case CmdN2:
                N2Click();
                return 0;
            case CmdN6:
                N6Click();
                return 0;
            case CmdN7:
                N7Click();
                return 0;
            case CmdN8:
                N8Click();
                return 0;
            case CmdN9:
                N9Click();
                return 0;
            case CmdN4:
                N4Click();
                return 0;
            case CmdN5:
                N5Click();
                return 0;
            case CmdN10:
                N10Click();
                return 0;
            case CmdPlugins:
                PluginsClick();
                return 0;
            }
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        FormPaint(dc);
        PaintImage1(dc);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_NOTIFY:
        if (SpinEditTimer.HandleNotify(*reinterpret_cast<NMHDR*>(lParam))) return TRUE;
        if (LRESULT result = 0; ShellTreeView1 && ShellTreeView1->HandleNotify(reinterpret_cast<NMHDR*>(lParam), result))
            return result;
        break;
    }
    return TForm::WndProc(message, wParam, lParam);
}

void TForm1::DoClose(bool& allowed) {
    (void)allowed;
    FormClose();
}
