#include "ui/Main.h"

TForm1* Form1 = nullptr;

namespace {
const UINT_PTR kTimerWpId = 1;
}

TForm1::TForm1() : TimerWp(*this, kTimerWpId) {
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
    CreateHandle(style);
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    CreateFolderControls();
    // The creation handler runs inside the creation of the window; an error in
    // it is reported and ends it, and the window lives on.
    Guarded([this] { FormCreate(); });
    Guarded([this] { LoadFolderTree(); });
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
    if (font_) DeleteObject(font_);
}

HMENU TForm1::BuildMainMenu() {
    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, CmdN2, WideFromUtf8("Выход").c_str());
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), WideFromUtf8("Файл").c_str());
    return menu;
}

LRESULT TForm1::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0) {
            switch (LOWORD(wParam)) {
            case CmdN2:
                N2Click();
                return 0;
            }
        }
        break;
    case WM_NOTIFY:
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
