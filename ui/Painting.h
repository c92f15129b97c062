// Drawing on the main window's canvas.
#pragma once

#include <windows.h>

// Fills (left, top)-(right, bottom) with a vertical gradient of 256 bands from
// `topColor` to `bottomColor`, sizes and colours split with the system's
// MulDiv. System colour constants are resolved first.
void DrawGradient(HDC dc, COLORREF topColor, COLORREF bottomColor, int left, int top, int right, int bottom);
