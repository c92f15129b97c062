// The main window's look: a gradient over the whole window, blue frames around
// the groups of controls, the painted captions, and the preview frame.
#include "ui/Painting.h"

#include "ui/StartSteps.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "toolkit/Win32.h"

namespace {

const COLORREF kGradientTop = 0x00808080;
const COLORREF kGradientBottom = 0x00FEDEB4;
const COLORREF kFramePen = 0x00FA5F14;

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

// Painted texts read in any script: letters the window's font lacks (a
// picture named in another script) come from a face that has them.
void Text(HDC dc, int x, int y, const std::string& utf8) { TextOutAnyScript(dc, x, y, WideFromUtf8(utf8)); }

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

// Pen, font and text settings for the frames and captions; restored on leaving.
class Canvas {
public:
    Canvas(HDC dc, HFONT font)
        : pen_(CreatePen(PS_SOLID, 1, kFramePen)), penSelected_(dc, pen_), fontSelected_(dc, font),
          brushSelected_(dc, GetStockObject(NULL_BRUSH)) {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
    }

private:
    // Undone in the reverse order: the brush, the font and the pen selected again, then the pen deleted.
    GdiObject<HPEN> pen_;
    Selection penSelected_, fontSelected_, brushSelected_;
};

}  // namespace

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
        Canvas canvas(dc, Font());
        Outline(dc, 4, 4, 476, 80);
        Text(dc, 5, 5, LangAdvert + ":");

        const HWND form = Handle();
        const RECT tree = ShellTreeView1 ? BoundsOf(form, ShellTreeView1->Handle()) : RECT{8, 104, 257, 337};
        const RECT edit = BoundsOf(form, EditDir);
        Outline(dc, 4, 84, tree.right + 4, edit.bottom + 4);
        Text(dc, 6, 85, LangFolderChoice);
        Text(dc, tree.left, tree.bottom + 2, LangWallpaperFolder + ":");

        const RECT startUp = BoundsOf(form, CheckBoxStartUp);
        const RECT changeStart = BoundsOf(form, CheckBoxChangeStart);
        const RECT timer = BoundsOf(form, CheckBoxTimer);
        BoxCaption(dc, startUp, LangStartWithWindows);
        BoxCaption(dc, changeStart, LangChangeAtStart);
        BoxCaption(dc, timer, LangByTimer);
        const RECT panel = BoundsOf(form, ColorSwatch.Handle());
        Text(dc, panel.right + 2, panel.top, LangBackgroundColor);

        const RECT previous = BoundsOf(form, SpeedButtonPre.Handle());
        Outline(dc, 273, 84, 475, previous.bottom + 2);
        const RECT apply = BoundsOf(form, ButtonApply);
        Outline(dc, startUp.left - 2, startUp.top - 2, apply.right + 2, apply.bottom + 2);
    }
    PaintPreviewFrame(dc);
}

void TForm1::PaintPreviewFrame(HDC dc) {
    const RECT& box = Image1Bounds;
    {
        Canvas canvas(dc, Font());
        const GdiObject<HBRUSH> brush(CreateSolidBrush(kGradientBottom));
        const Selection selected(dc, brush);
        Rectangle(dc, box.left - 1, box.top - 1, box.right + 1, box.bottom + 16);
    }
    DrawGradient(dc, kGradientTop, kGradientBottom, box.left, box.top, box.right, box.bottom + 15);
    Canvas canvas(dc, Font());
    Text(dc, box.left, box.bottom + 2, PreviewCaption);
}

void TForm1::PaintPreviewFrame() {
    const WindowDC dc(Handle());
    PaintPreviewFrame(dc);
}
