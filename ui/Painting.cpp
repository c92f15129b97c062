// The main window's look: a gradient over the whole window, under the panes,
// each of which paints its blue frames and its captions; and the drawing
// helpers the panes paint with.
#include "ui/Painting.h"

#include "ui/Main.h"

namespace {

COLORREF Resolve(COLORREF color) {
    // System colours are given as 0x80000000 | index, as the toolkit stores them.
    return (color & 0xFF000000) == 0x80000000 ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

}  // namespace

RECT BoundsOf(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Outline(HDC dc, int left, int top, int right, int bottom) { Rectangle(dc, left, top, right, bottom); }

void PaintText(HDC dc, int x, int y, const std::string& utf8) { TextOutAnyScript(dc, x, y, WideFromUtf8(utf8)); }

FrameCanvas::FrameCanvas(HDC dc, HFONT font)
    : pen_(CreatePen(PS_SOLID, 1, kFramePen)), penSelected_(dc, pen_), fontSelected_(dc, font),
      brushSelected_(dc, GetStockObject(NULL_BRUSH)) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
}

void DrawGradient(HDC dc, COLORREF topColor, COLORREF bottomColor, int left, int top, int right, int bottom) {
    topColor = Resolve(topColor);
    bottomColor = Resolve(bottomColor);
    const int r0 = GetRValue(topColor), g0 = GetGValue(topColor), b0 = GetBValue(topColor);
    const int dr = GetRValue(bottomColor) - r0, dg = GetGValue(bottomColor) - g0, db = GetBValue(bottomColor) - b0;
    const int height = bottom - top;
    for (int i = 0; i < 256; ++i) {
        RECT band = {left, top + MulDiv(i, height, 256), right, top + MulDiv(i + 1, height, 256)};
        if (band.bottom <= band.top) continue;
        const COLORREF color = RGB((r0 + MulDiv(i, dr, 255)) & 0xFF, (g0 + MulDiv(i, dg, 255)) & 0xFF,
                                   (b0 + MulDiv(i, db, 255)) & 0xFF);
        FillRect(dc, &band, GdiObject<HBRUSH>(CreateSolidBrush(color)));
    }
}

void TForm1::FormPaint(HDC dc) {
    // The gradient runs over the window's outer size, so it continues below
    // the client area; row 0 and column 0 keep the window's colour.
    RECT outer;
    GetWindowRect(Handle(), &outer);
    DrawGradient(dc, kGradientTop, kGradientBottom, 1, 1, outer.right - outer.left, outer.bottom - outer.top);
    Banner.Paint(dc);
    Folders.Paint(dc);
    Preview.Paint(dc);
    SettingsPanel.Paint(dc);
}
