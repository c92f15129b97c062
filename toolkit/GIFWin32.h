// The Win32 edge of the GIF picture: frame bitmaps and composites become GDI
// bitmaps here and nowhere else.
#pragma once

#include <windows.h>

#include <optional>

#include "gif/GIFImage.h"
#include "image/Bitmap.h"
#include "toolkit/Win32.h"

// A DIB section holding a copy of `bitmap` (1, 4, 8 or 32 bits per pixel, with
// its palette). The caller deletes it. Throws std::runtime_error when GDI refuses.
HBITMAP CreateHBitmap(const Bitmap& bitmap);

// A 32-bit top-down DIB section of the given size whose pixels the program
// writes directly, kept together with its memory DC.
class TDibCanvas {
public:
    TDibCanvas(int width, int height);
    TDibCanvas(const TDibCanvas&) = delete;
    TDibCanvas& operator=(const TDibCanvas&) = delete;

    HDC DC() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixels as a 32-bit Bitmap view: rows are copied in and out.
    void ReadInto(Bitmap& bitmap) const;
    void WriteFrom(const Bitmap& bitmap);

private:
    // Made in this order, undone in the reverse: the DC, the bitmap, the bitmap selected into the DC.
    MemoryDC dc_;
    GdiObject<HBITMAP> bitmap_;
    std::optional<Selection> selected_;
    void* bits_ = nullptr;
    int width_, height_;
};

// Draws frame `frame` of its image stretched into `rect`, leaving out its
// transparent colour when `useTransparency` is set.
void DrawGIFFrame(HDC dc, const RECT& rect, TGIFFrame& frame, bool useTransparency);
