// The main window's look: a gradient over the whole window, blue frames around
// the panes' groups of controls, and the painted captions; the preview pane
// paints its own frame.
#include "ui/Painting.h"

#include "ui/LangUnit.h"
#include "ui/Main.h"

namespace {

COLORREF Resolve(COLORREF color) {
    // System colours are given as 0x80000000 | index, as the toolkit stores them.
    return (color & 0xFF000000) == 0x80000000 ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

RECT BoundsOf(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Outline(HDC dc, int left, int top, int right, int bottom) { Rectangle(dc, left, top, right, bottom); }

// The blank columns between a check box and the first column its caption
// inks: the two between the box and the caption's place, 16 pixels right of
// the box's left edge, and the one that the letters of MS Sans Serif carry.
const int kCaptionGap = 3;

// A check box's caption at its place, or as far further right as the letters
// of the face the system realised for the window's font (starting at their
// origin, or left of it) need to keep kCaptionGap from the box.
void BoxCaption(HDC dc, const RECT& box, const std::string& utf8) {
    const std::wstring text = WideFromUtf8(utf8);
    const int place = box.left + 16;
    const int shortfall = box.right + kCaptionGap - (place + InkLeft(dc, text));
    TextOutAnyScript(dc, shortfall > 0 ? place + shortfall : place, box.top, text);
}

}  // namespace

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
    {
        FrameCanvas canvas(dc, Font());
        Outline(dc, 4, 4, 476, 80);
        PaintText(dc, 5, 5, LangAdvert + ":");

        const HWND form = Handle();
        const RECT tree =
            Folders.ShellTreeView1 ? BoundsOf(form, Folders.ShellTreeView1->Handle()) : RECT{8, 104, 257, 337};
        const RECT edit = BoundsOf(form, Folders.EditDir);
        Outline(dc, 4, 84, tree.right + 4, edit.bottom + 4);
        PaintText(dc, 6, 85, LangFolderChoice);
        PaintText(dc, tree.left, tree.bottom + 2, LangWallpaperFolder + ":");

        const RECT startUp = BoundsOf(form, SettingsPanel.CheckBoxStartUp);
        const RECT changeStart = BoundsOf(form, SettingsPanel.CheckBoxChangeStart);
        const RECT timer = BoundsOf(form, SettingsPanel.CheckBoxTimer);
        BoxCaption(dc, startUp, LangStartWithWindows);
        BoxCaption(dc, changeStart, LangChangeAtStart);
        BoxCaption(dc, timer, LangByTimer);
        const RECT panel = BoundsOf(form, SettingsPanel.ColorSwatch.Handle());
        PaintText(dc, panel.right + 2, panel.top, LangBackgroundColor);

        const RECT previous = BoundsOf(form, Preview.SpeedButtonPre.Handle());
        Outline(dc, 273, 84, 475, previous.bottom + 2);
        const RECT apply = BoundsOf(form, SettingsPanel.ButtonApply);
        Outline(dc, startUp.left - 2, startUp.top - 2, apply.right + 2, apply.bottom + 2);
    }
    Preview.PaintPreviewFrame(dc);
}
