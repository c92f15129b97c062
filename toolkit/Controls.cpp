#include "toolkit/Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cwctype>

#include "toolkit/Forms.h"

namespace {

const wchar_t kSpeedButtonClass[] = L"TSpeedButton";
const wchar_t kColorPanelClass[] = L"TPanel";

void RegisterOnce(const wchar_t* name, WNDPROC procedure) {
    RegisterWindowClass(name, procedure, CS_HREDRAW | CS_VREDRAW,
                        LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

// Draws `bitmap` at (x, y), `width` x `height` (stretched when that is not its
// size), leaving out the pixels of its transparent colour.
void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y, int width, int height) {
    BITMAP info;
    GetObjectW(bitmap, sizeof info, &info);
    const MemoryDC source(dc);
    const Selection sourceBitmap(source, bitmap);
    const COLORREF transparent = GetPixel(source, 0, info.bmHeight - 1);
    const MemoryDC maskDc(dc);
    const GdiObject<HBITMAP> mask(CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr));
    const Selection maskBitmap(maskDc, mask);
    SetBkColor(source, transparent);
    BitBlt(maskDc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);  // 1 where transparent
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    // The three steps stretch alike, pixel for pixel, so the mask keeps matching the glyph.
    const int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCINVERT);
    StretchBlt(dc, x, y, width, height, maskDc, 0, 0, info.bmWidth, info.bmHeight, SRCAND);
    StretchBlt(dc, x, y, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCINVERT);
    SetStretchBltMode(dc, mode);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

}  // namespace

// The control object of a window made with it as its creation parameter: kept
// in the window's user data from WM_NCCREATE on.
template <class Control>
Control* AttachedControl(HWND hwnd, UINT message, LPARAM lParam) {
    auto* control = AttachedObject<Control>(hwnd, message, lParam);
    if (message == WM_NCCREATE) control->handle_ = hwnd;
    return control;
}

bool ParseInteger(const std::wstring& text, int& value) {
    size_t i = 0, end = text.size();
    while (i < end && std::iswspace(text[i])) ++i;
    while (end > i && std::iswspace(text[end - 1])) --end;
    bool negative = false;
    if (i < end && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    if (i == end) return false;
    long long number = 0;
    for (; i < end; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        number = number * 10 + (text[i] - L'0');
        if (number > 2147483648LL) return false;
    }
    if (negative) number = -number;
    if (number < INT_MIN || number > INT_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

void FitComboItems(HWND combo) {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(combo, &info) || !info.hwndItem) return;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0));
    const WindowDC dc(info.hwndItem);
    const Selection selected(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    int widest = 0;
    const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length <= 0) continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(length), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    DWORD caret = 1;
    SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &caret, 0);
    const int needed = widest + static_cast<int>(caret);
    const DWORD margins = static_cast<DWORD>(SendMessageW(info.hwndItem, EM_GETMARGINS, 0, 0));
    const int left = LOWORD(margins), right = HIWORD(margins);
    const int field = info.rcItem.right - info.rcItem.left;
    if (needed <= field - left - right) return;
    const int slack = std::max(0, field - needed);
    const int newLeft = std::min(left, slack / 2), newRight = std::min(right, slack - newLeft);
    SendMessageW(info.hwndItem, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(newLeft, newRight));
    if (needed > field) {
        RECT box, dropped;
        GetWindowRect(combo, &box);
        SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        SetWindowPos(combo, nullptr, 0, 0, box.right - box.left + needed - field, dropped.bottom - dropped.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// ---- TSpeedButton ----

TSpeedButton::~TSpeedButton() {
    if (handle_) DestroyWindow(handle_);
}

void TSpeedButton::Create(HWND parent, int left, int top, int width, int height, const char* glyphResource) {
    RegisterOnce(kSpeedButtonClass, WindowProc);
    glyph_.Reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleW(nullptr), glyphResource, IMAGE_BITMAP, 0, 0, 0)));
    handle_ = CreateWindowExW(0, kSpeedButtonClass, L"", WS_CHILD | WS_VISIBLE, left, top, width, height, parent,
                              nullptr, GetModuleHandleW(nullptr), this);
}

void TSpeedButton::Click() {
    if (OnClick && !Application.Busy()) TForm::Guarded(OnClick);
}

void TSpeedButton::Paint(HDC dc) {
    RECT client;
    GetClientRect(handle_, &client);
    DrawFrameControl(dc, &client, DFC_BUTTON, DFCS_BUTTONPUSH | (down_ ? DFCS_PUSHED : 0));
    if (!glyph_) return;
    BITMAP info;
    GetObjectW(glyph_, sizeof info, &info);
    // The glyph is drawn for 96 DPI, and at the button's scale on other screens.
    const int dpi = WindowDpi(handle_);
    const int width = Scaled(info.bmWidth, dpi), height = Scaled(info.bmHeight, dpi);
    const int shift = down_ ? Scaled(1, dpi) : 0;
    DrawTransparent(dc, glyph_, (client.right - width) / 2 + shift, (client.bottom - height) / 2 + shift, width, height);
}

LRESULT CALLBACK TSpeedButton::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* button = AttachedControl<TSpeedButton>(hwnd, message, lParam);
    if (!button) return DefWindowProcW(hwnd, message, wParam, lParam);
    auto inside = [&] {
        RECT client;
        GetClientRect(hwnd, &client);
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        return PtInRect(&client, point) != FALSE;
    };
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        button->Paint(dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        button->tracking_ = true;
        button->down_ = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (button->tracking_ && button->down_ != inside()) {
            button->down_ = !button->down_;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP: {
        const bool clicked = button->tracking_ && inside();
        button->tracking_ = false;
        button->down_ = false;
        ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        if (clicked) button->Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (button->tracking_) {
            button->tracking_ = false;
            button->down_ = false;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_NCDESTROY:
        button->handle_ = nullptr;
        DetachObject(hwnd);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---- TSpinEdit ----

void TSpinEdit::Create(HWND parent, int left, int top, int width, int height, UINT id, HFONT font) {
    edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"0", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, left,
                            top, width, height, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The arrows sit inside the field's width, at its right edge.
    updown_ = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0, 0, 0,
                              parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id + 1)),
                              GetModuleHandleW(nullptr), nullptr);
    SendMessageW(updown_, UDM_SETRANGE32, 0, 100);
    SendMessageW(updown_, UDM_SETPOS32, 0, 50);
    SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
}

void TSpinEdit::FollowField() { SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0); }

int TSpinEdit::Clamp(int value) const {
    if (min_ == max_) return value;
    return value < min_ ? min_ : value > max_ ? max_ : value;
}

int TSpinEdit::Value() const {
    const int length = GetWindowTextLengthW(edit_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(edit_, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    int value;
    return ParseInteger(text, value) ? value : min_;
}

void TSpinEdit::SetValue(int value) { SetWindowTextW(edit_, std::to_wstring(Clamp(value)).c_str()); }

void TSpinEdit::SetRange(int minimum, int maximum) {
    min_ = minimum;
    max_ = maximum;
}

void TSpinEdit::HandleCommand(WORD code) {
    if (code == EN_KILLFOCUS && Clamp(Value()) != Value()) SetValue(Value());
}

bool TSpinEdit::HandleNotify(const NMHDR& header) {
    if (header.hwndFrom != updown_ || header.code != UDN_DELTAPOS) return false;
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    const long long next = static_cast<long long>(Value()) + (change.iDelta > 0 ? 1 : -1);
    if (next >= INT_MIN && next <= INT_MAX) SetValue(static_cast<int>(next));
    return true;
}

// ---- TColorPanel ----

TColorPanel::~TColorPanel() {
    if (handle_) DestroyWindow(handle_);
}

void TColorPanel::Create(HWND parent, int left, int top, int width, int height, UINT id) {
    RegisterOnce(kColorPanelClass, WindowProc);
    handle_ = CreateWindowExW(0, kColorPanelClass, L"", WS_CHILD | WS_VISIBLE, left, top, width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), this);
}

void TColorPanel::SetColor(COLORREF color) {
    color_ = color;
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

LRESULT CALLBACK TColorPanel::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* panel = AttachedControl<TColorPanel>(hwnd, message, lParam);
    if (panel) {
        switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(dc, &client, GdiObject<HBRUSH>(CreateSolidBrush(panel->color_)));
            DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_NCDESTROY:
            panel->handle_ = nullptr;
            DetachObject(hwnd);
            break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
