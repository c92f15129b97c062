#include "ui/About.h"

#include <algorithm>
#include <memory>

#include "core/Version.h"
#include "ui/Banner.h"
#include "ui/LangUnit.h"

namespace {

constexpr int kClientWidth = 190;

struct LabelLayout {
    int left, top;
    const std::string* text;  // its entry in the caption table
    const char* suffix = "";
};

const LabelLayout kLabels[] = {
    {48, 0, &LangProgramName},
    {64, 16, &LangAboutVersion, TAVRIN_VERSION},
    {0, 40, &LangAboutAuthor},
    {40, 56, &LangSiteAddress},
    {40, 72, &LangAboutMail},
    {0, 96, &LangAboutThanks},
    {40, 112, &LangAboutThanked},
};

}  // namespace

TAboutForm::TAboutForm() {
    Style style;
    style.className = "TAboutForm";
    style.caption = CaptionText(LangAbout);
    // An overlapped window created at CW_USEDEFAULT: the system places it.
    style.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    style.exStyle = WS_EX_DLGMODALFRAME;
    style.clientWidth = kClientWidth;
    style.clientHeight = 205;
    style.color = GetSysColor(COLOR_BTNFACE);
    style.menu = nullptr;
    CreateHandle(style);

    for (const LabelLayout& layout : kLabels) {
        const std::string text = CaptionText(*layout.text) + layout.suffix;
        HWND label = CreateWindowExW(0, L"STATIC", WideFromUtf8(text).c_str(),
                                     WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, Handle(), nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        labels_.push_back({label, layout.left, layout.top, text});
    }
    button_ = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                              Handle(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kOkButtonId)),
                              GetModuleHandleW(nullptr), nullptr);
    DpiChanged();
    FormCreate();
}

void TAboutForm::DpiChanged() {
    const SharedFont old = font_;  // goes once the controls have the new one
    font_ = ProgramFont(Dpi());
    // The labels, measured in their font.
    const WindowDC dc(Handle());
    const Selection font(dc, font_.get());
    for (const Label& label : labels_) {
        const std::wstring text = WideFromUtf8(label.text);
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        // Each label reaches the box's right edge: where the Russian letters
        // come from another face (on another code page), a line can draw wider
        // than the extent measured here and would lose its last letters. The
        // label's background is the box's own, so the room shows nothing.
        const int width = std::max<int>(size.cx, Scale(kClientWidth) - Scale(label.left));
        SendMessageW(label.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        SetWindowPos(label.handle, nullptr, Scale(label.left), Scale(label.top), width, size.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    PlaceChild(button_, Dpi(), 72, 176, 49, 25);
}

TAboutForm::~TAboutForm() {
    // The window goes before its font.
    if (Handle()) DestroyWindow(Handle());
}

LRESULT TAboutForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kOkButtonId) {  // "OK", or Esc through the dialog keys
            ModalResult = 2;
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    }
    return TForm::WndProc(message, wParam, lParam);
}

void TAboutForm::DoClose(bool& allowed) {
    FormClose();
    if (modal_) {
        // The system menu's "Close" ends the modal loop; the caller destroys the box.
        ModalResult = 2;
        allowed = false;
    }
}

namespace {

// The program's other windows, disabled while a modal window is shown.
struct DisabledWindows {
    HWND except;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM data) {
    auto* disabled = reinterpret_cast<DisabledWindows*>(data);
    if (window != disabled->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        disabled->windows.push_back(window);
    }
    return TRUE;
}

}  // namespace

int TAboutForm::ShowModal() {
    DisabledWindows disabled{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled));
    ModalResult = 0;
    modal_ = true;
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetFocus(button_);
    MSG message;
    bool quit = false;
    while (ModalResult == 0 && IsWindow(Handle())) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (!IsDialogMessageW(Handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    modal_ = false;
    // Enable the others before hiding the box, so that activation goes back to them.
    for (HWND window : disabled.windows)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    if (quit) PostQuitMessage(static_cast<int>(message.wParam));
    return ModalResult;
}

void ShowAbout() {
    auto box = std::make_unique<TAboutForm>();
    box->ShowModal();
}
