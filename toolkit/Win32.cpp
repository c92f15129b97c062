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

namespace {

// The character sets a letter missing from a font is looked for in, each with
// its code page: the East Asian ones first, then the others.
const struct {
    BYTE charset;
    UINT codePage;
} kCharsets[] = {
    {SHIFTJIS_CHARSET, 932},  {GB2312_CHARSET, 936},   {HANGUL_CHARSET, 949},     {CHINESEBIG5_CHARSET, 950},
    {GREEK_CHARSET, 1253},    {TURKISH_CHARSET, 1254}, {HEBREW_CHARSET, 1255},    {ARABIC_CHARSET, 1256},
    {BALTIC_CHARSET, 1257},   {VIETNAMESE_CHARSET, 1258}, {THAI_CHARSET, 874},    {EASTEUROPE_CHARSET, 1250},
    {RUSSIAN_CHARSET, 1251},  {ANSI_CHARSET, 1252},
};

bool InCodePage(UINT codePage, wchar_t letter) {
    char bytes[4];
    BOOL lost = FALSE;
    return WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &letter, 1, bytes, sizeof bytes, nullptr, &lost) > 0 &&
           !lost;
}

bool HasGlyph(HDC dc, wchar_t letter) {
    WORD index = 0xFFFF;
    return GetGlyphIndicesW(dc, &letter, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == 1 && index != 0xFFFF;
}

}  // namespace

int TextOutAnyScript(HDC dc, int x, int y, const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const HGDIOBJ base = GetCurrentObject(dc, OBJ_FONT);
    // The font each letter is drawn in: nullptr for the selected one.
    std::vector<HFONT> letterFont(text.size(), nullptr);
    std::vector<GdiObject<HFONT>> made(std::size(kCharsets));
    LOGFONTW look = {};
    GetObjectW(base, sizeof look, &look);
    // A font that cannot tell its missing letters draws the text as it is.
    std::vector<WORD> glyphs(text.size() + 1, 0);
    const bool told = !text.empty() && GetGlyphIndicesW(dc, text.c_str(), length, glyphs.data(),
                                                        GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR;
    for (size_t i = 0; told && i < text.size(); ++i) {
        if (glyphs[i] != 0xFFFF) continue;
        for (size_t c = 0; c < std::size(kCharsets) && !letterFont[i]; ++c) {
            if (!InCodePage(kCharsets[c].codePage, text[i])) continue;
            if (!made[c]) {
                LOGFONTW other = look;
                other.lfCharSet = kCharsets[c].charset;
                other.lfFaceName[0] = L'\0';  // the face the font mapper has for that character set
                made[c].Reset(CreateFontIndirectW(&other));
            }
            const Selection trial(dc, made[c]);
            if (HasGlyph(dc, text[i])) letterFont[i] = made[c];
        }
    }
    TEXTMETRICW baseMetrics;
    GetTextMetricsW(dc, &baseMetrics);
    int width = 0;
    for (int start = 0, end; start < length; start = end) {
        for (end = start + 1; end < length && letterFont[end] == letterFont[start];) ++end;
        const Selection run(dc, letterFont[start] ? letterFont[start] : base);
        TEXTMETRICW metrics;
        GetTextMetricsW(dc, &metrics);
        // One baseline for all runs.
        TextOutW(dc, x + width, y + baseMetrics.tmAscent - metrics.tmAscent, text.data() + start, end - start);
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.data() + start, end - start, &size);
        width += size.cx;
    }
    return width;
}

int InkLeft(HDC dc, const std::wstring& text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    // Room on both sides for glyphs that reach beyond their cells.
    const int margin = metrics.tmMaxCharWidth, width = size.cx + 2 * margin, height = size.cy;
    if (text.empty() || height <= 0) return 0;
    BITMAPINFO info = TopDownBitmapInfo(width, height, 32);
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

BITMAPINFO TopDownBitmapInfo(int width, int height, int bitCount) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// ---- screens of any scale ----

namespace {

// A function of user32 that older systems lack, looked up once.
template <class Function>
Function User32Function(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    return SystemDpi();
}

int SystemDpi() {
    static const auto getDpiForSystem = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
    if (getDpiForSystem)
        if (const UINT dpi = getDpiForSystem()) return static_cast<int>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    // Older systems give metrics at the system's DPI.
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void PlaceChild(HWND child, int dpi, int left, int top, int width, int height) {
    SetWindowPos(child, nullptr, Scaled(left, dpi), Scaled(top, dpi), Scaled(width, dpi), Scaled(height, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
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
