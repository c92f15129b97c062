// Drawing on the main window's canvas: the gradient, and the pen, font and
// text the frames and painted captions of the panes use.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/Win32.h"

inline constexpr COLORREF kGradientTop = 0x00808080;
inline constexpr COLORREF kGradientBottom = 0x00FEDEB4;
inline constexpr COLORREF kFramePen = 0x00FA5F14;

// Fills (left, top)-(right, bottom) with a vertical gradient of 256 bands from
// `topColor` to `bottomColor`, sizes and colours split with the system's
// MulDiv. System colour constants are resolved first.
void DrawGradient(HDC dc, COLORREF topColor, COLORREF bottomColor, int left, int top, int right, int bottom);

// A child window's bounds in its parent's client coordinates.
RECT BoundsOf(HWND parent, HWND child);
// A frame in the pen of FrameCanvas, not filled (its brush is hollow).
void Outline(HDC dc, int left, int top, int right, int bottom);

// Painted texts read in any script: letters the window's font lacks (a
// picture named in another script) come from a face that has them.
void PaintText(HDC dc, int x, int y, const std::string& utf8);

// Pen, font and text settings for the frames and captions; restored on leaving.
class FrameCanvas {
public:
    FrameCanvas(HDC dc, HFONT font);

private:
    // Undone in the reverse order: the brush, the font and the pen selected again, then the pen deleted.
    GdiObject<HPEN> pen_;
    Selection penSelected_, fontSelected_, brushSelected_;
};
