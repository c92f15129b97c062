#include "toolkit/Win32.h"

#include "platform/win32/AnsiPaths.h"

// ---- text ----

// The conversions are the platform layer's, which the paths use too.
std::wstring WideFromUtf8(const std::string& text) { return platform::WideFromCodePage(CP_UTF8, text); }
std::wstring WideFromAnsi(const std::string& text) { return platform::WideFromAnsiText(text); }
std::string AnsiFromWide(const std::wstring& text) { return platform::AnsiLossy(text); }
std::string AnsiFromWide(const wchar_t* text) { return text ? platform::AnsiLossy(text) : std::string(); }
std::string Utf8FromWide(const std::wstring& text) { return platform::CodePageFromWide(CP_UTF8, text); }

std::wstring WindowTextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

// ---- window classes ----

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, UINT style, HCURSOR cursor, HICON icon) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    if (GetClassInfoW(instance, name, &windowClass)) return true;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0;
}
