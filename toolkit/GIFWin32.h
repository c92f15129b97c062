// The Win32 edge of the GIF picture: a GIF read from the program's resources,
// and the DIB canvas that frame composites are drawn through.
#pragma once

#include <windows.h>

#include <optional>

#include "gif/GIFImage.h"
#include "image/Bitmap.h"
#include "toolkit/Win32.h"

// Reads the resource `name` of `type` from `module` into `image`, as
// TGIFImage::LoadFromMemory reads bytes. A missing resource throws
// EReadError("Resource <name> not found") ("#" for a numbered one), one that
// cannot be loaded EReadError("Resource cannot be loaded").
void ReadGIFResource(TGIFImage& image, HMODULE module, const char* name, const char* type);

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
