#include "toolkit/ImageControl.h"

#include <stdexcept>

#include "toolkit/Forms.h"

namespace {
const wchar_t kClass[] = L"TImageControl";
}

TImageControl::TImageControl() = default;

TImageControl::~TImageControl() {
    if (handle_) {
        DetachObject(handle_);
        DestroyWindow(handle_);
    }
}

void TImageControl::CreateHandle(HWND parent, int left, int top, int width, int height) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterWindowClass(kClass, StaticWndProc, CS_DBLCLKS,
                             LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW))))
        throw std::runtime_error("Cannot register the window class");
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    handle_ = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left, top, width, height,
                              parent, nullptr, instance, this);
    if (!handle_) throw std::runtime_error("Cannot create the window");
    if (color_ == CLR_INVALID) {
        // Parent colour: what the parent's background paints at the control's corner.
        TDibCanvas probe(1, 1);
        SetViewportOrgEx(probe.DC(), -left, -top, nullptr);
        SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(probe.DC()), 0);
        SetViewportOrgEx(probe.DC(), 0, 0, nullptr);
        color_ = GetPixel(probe.DC(), 0, 0) & 0xFFFFFF;
    }
}

RECT TImageControl::BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }

void TImageControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TImageControl::SetColor(COLORREF color) {
    color_ = color;
    Invalidate();
}

void TImageControl::Repaint() {
    if (!handle_) return;
    InvalidateRect(handle_, nullptr, FALSE);
    UpdateWindow(handle_);
}

void TImageControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TImageControl::PaintTo(HDC dc) {
    if (width_ <= 0 || height_ <= 0) return;
    TDibCanvas canvas(width_, height_);
    const GdiObject<HBRUSH> brush(CreateSolidBrush(color_ == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : color_));
    RECT client = {0, 0, width_, height_};
    FillRect(canvas.DC(), &client, brush);
    drawing_ = true;
    try {
        Paint(canvas);
    } catch (...) {
        drawing_ = false;
        throw;
    }
    drawing_ = false;
    BitBlt(dc, 0, 0, width_, height_, canvas.DC(), 0, 0, SRCCOPY);
}

void TImageControl::CopyParentBackground(TDibCanvas& canvas) {
    HWND parent = Parent();
    if (!parent) return;
    POINT old;
    SetViewportOrgEx(canvas.DC(), -left_, -top_, &old);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.DC()), 0);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    SetViewportOrgEx(canvas.DC(), old.x, old.y, nullptr);
}

LRESULT CALLBACK TImageControl::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = AttachedObject<TImageControl>(window, message, lParam);
    if (message == WM_NCCREATE) control->handle_ = window;
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    TForm::Guarded([&] { result = control->WndProc(message, wParam, lParam); });
    return result;
}

LRESULT TImageControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(handle_, &paint);
        try {
            PaintTo(dc);
        } catch (...) {
            EndPaint(handle_, &paint);
            throw;
        }
        EndPaint(handle_, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SIZE:
        width_ = LOWORD(lParam);
        height_ = HIWORD(lParam);
        break;
    case WM_LBUTTONDOWN:
        SetCapture(handle_);
        pressed_ = true;
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (GetCapture() == handle_) ReleaseCapture();
        const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const RECT client = {0, 0, width_, height_};
        if (wasPressed && PtInRect(&client, at) && OnClick) OnClick();
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick();
        return 0;
    case WM_NCDESTROY:
        DetachObject(handle_);
        handle_ = nullptr;
        break;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}
