#include "toolkit/Win32.h"

#include <cstdint>
#include <vector>

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

// ---- drawing text ----

int InkLeft(HDC dc, const std::wstring& text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    // Room on both sides for glyphs that reach beyond their cells.
    const int margin = metrics.tmMaxCharWidth, width = size.cx + 2 * margin, height = size.cy;
    if (text.empty() || height <= 0) return 0;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const GdiObject<HBITMAP> canvas(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!canvas) return 0;
    const MemoryDC memory(dc);
    const Selection bitmap(memory, canvas), font(memory, GetCurrentObject(dc, OBJ_FONT));
    PatBlt(memory, 0, 0, width, height, WHITENESS);
    SetTextColor(memory, RGB(0, 0, 0));
    SetBkMode(memory, TRANSPARENT);
    TextOutW(memory, margin, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int column = 0; column < width; ++column)
        for (int row = 0; row < height; ++row)
            if ((pixels[row * width + column] & 0xFFFFFF) != 0xFFFFFF) return column - margin;
    return 0;
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
