// The Win32 chores the windows share, written once: text between the ANSI code
// page, UTF-8 and UTF-16; holders of COM initialisation and interface
// pointers; holders of device contexts, selections and GDI objects; and
// window classes, with the object a window stands for kept in its user data.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <utility>

// ---- text ----

std::wstring WideFromUtf8(const std::string& text);  // the program's fixed texts
std::wstring WideFromAnsi(const std::string& text);  // paths and other ANSI strings
std::string AnsiFromWide(const std::wstring& text);  // what a user typed, as a path
std::string AnsiFromWide(const wchar_t* text);       // the same for a C string; "" for none
std::string Utf8FromWide(const std::wstring& text);
std::wstring WindowTextOf(HWND window);

// ---- COM ----

// OLE and COM (single-threaded apartment) initialised on the calling thread
// for as long as the holder lives.
class OleScope {
public:
    OleScope() : result_(OleInitialize(nullptr)) {}
    ~OleScope() {
        if (SUCCEEDED(result_)) OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

private:
    HRESULT result_;
};

// A COM interface pointer, released when the holder goes.
template <class T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* pointer) : pointer_(pointer) {}
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // Where a call that hands out an interface puts it (the one held is released first).
    void** Out() {
        Reset();
        return reinterpret_cast<void**>(&pointer_);
    }
    void Reset() {
        if (pointer_) pointer_->Release();
        pointer_ = nullptr;
    }

private:
    T* pointer_ = nullptr;
};

// ---- GDI ----

// A GDI object (brush, pen, font, bitmap), deleted when the holder goes.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    Handle get() const { return handle_; }
    operator Handle() const { return handle_; }
    void Reset(Handle handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

// A memory device context compatible with `dc` (the screen's for none),
// deleted when the holder goes.
class MemoryDC {
public:
    explicit MemoryDC(HDC dc = nullptr) : dc_(CreateCompatibleDC(dc)) {}
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// The device context of a window's client area, released when the holder goes.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// `object` selected into `dc`; the object it replaced is selected again when
// the holder goes.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Draws `text` at (x, y) as TextOutW does with the font selected in `dc`; the
// letters that font lacks (a name in a script its character set does not
// hold) are drawn in a face of the same size that has them, which the font
// mapper chooses for a character set whose code page holds them, on the
// same baseline. Returns the width drawn.
int TextOutAnyScript(HDC dc, int x, int y, const std::wstring& text);

// The first column that `text`, drawn at x = 0 with the font selected in
// `dc`, puts ink on (a glyph may start right, or left, of its origin); 0 for
// text that inks nothing.
int InkLeft(HDC dc, const std::wstring& text);

// The header of a top-down DIB of `width` x `height` at `bitCount` bits per
// pixel (24 or 32, no palette): rows from the top, as the program's Bitmap holds them.
BITMAPINFO TopDownBitmapInfo(int width, int height, int bitCount);

// ---- screens of any scale ----

// Sizes and places in the program's code are the values at 96 dots per inch;
// a window shows them at its own DPI, scaled here.
inline int Scaled(int value, int dpi) { return MulDiv(value, dpi, 96); }
// The DPI of the screen a window is on (Windows 10 1607 and later tell it for
// each monitor), else the system's.
int WindowDpi(HWND window);
// The system's DPI: where a window is made before it knows its screen.
int SystemDpi();
// A system metric (an icon's size, say) at `dpi`.
int SystemMetricForDpi(int index, int dpi);
// Moves `child` to the place and size given at 96 DPI, scaled to `dpi`.
void PlaceChild(HWND child, int dpi, int left, int top, int width, int height);

// ---- window classes ----

// Registers the Unicode window class `name` of this module, unless it is there
// already. False when the system refuses it.
bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, UINT style = 0, HCURSOR cursor = nullptr,
                         HICON icon = nullptr);

// The object a window stands for, kept in its user data: attached when the
// window is made with it as its creation parameter (at WM_NCCREATE, which
// this is to be called with as with every message) or by AttachObject, and
// null once DetachObject has run.
template <class T>
T* AttachedObject(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
template <class T>
T* AttachedObject(HWND window) {
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
inline void AttachObject(HWND window, void* object) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}
inline void DetachObject(HWND window) { SetWindowLongPtrW(window, GWLP_USERDATA, 0); }
