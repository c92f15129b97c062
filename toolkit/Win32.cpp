#include "toolkit/Win32.h"

#include "platform/win32/AnsiPaths.h"

namespace {

std::wstring Widen(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(UINT codePage, const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

}  // namespace

// ---- text ----

std::wstring WideFromUtf8(const std::string& text) { return Widen(CP_UTF8, text); }
// The ANSI conversions are the platform layer's, which the paths use too.
std::wstring WideFromAnsi(const std::string& text) { return platform::WideFromAnsiText(text); }
std::string AnsiFromWide(const std::wstring& text) { return platform::AnsiLossy(text); }
std::string AnsiFromWide(const wchar_t* text) { return text ? platform::AnsiLossy(text) : std::string(); }
std::string Utf8FromWide(const std::wstring& text) { return Narrow(CP_UTF8, text); }

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
