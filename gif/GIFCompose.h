// Composition of animated GIF frames onto the logical screen, as the banner
// control shows them: the disposal rules, the start frame of a full
// recomposition, and the cache that lets each step draw only the new frame.
// Portable: pictures are 32-bit Bitmaps (blue, green, red, unused bytes); the
// animator copies them to the screen at the Win32 edge.
#pragma once

#include <vector>

#include "image/Bitmap.h"
#include "gif/GIFImage.h"

// The delay the animator's timer uses for frame `index`: 0 when the index is
// outside the frame list or the image has fewer than 2 frames; otherwise the
// frame's delay limited to 50 ... 10000 ms.
uint32_t TimerDelayOfFrame(TGIFImage& image, int index);

// A 32-bit pixel as the composite holds it, from a 0x00BBGGRR colour and back.
inline uint32_t PixelOfColor(TColor color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
inline TColor ColorOfPixel(uint32_t pixel) {
    return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

// Fills a rectangle of a 32-bit bitmap, clipped to it.
void FillBitmapRect(Bitmap& target, int32_t left, int32_t top, int32_t width, int32_t height, TColor color);
// Draws a frame's bitmap into a 32-bit bitmap at the frame's position; with
// `useTransparency` every pixel whose colour is the frame's transparent colour
// is left out (the colour decides, not the index).
void DrawFrameInto(Bitmap& target, TGIFFrame& frame, bool useTransparency);
// The same at another position.
void DrawFrameAt(Bitmap& target, TGIFFrame& frame, bool useTransparency, int32_t left, int32_t top);
// Stretches a 32-bit bitmap into a rectangle of another, clipped to the target;
// pixels of colour `key` are left out unless `key` is clNone.
void StretchBitmapInto(Bitmap& target, int32_t left, int32_t top, int32_t width, int32_t height,
                       const Bitmap& source, TColor key);

// The composition cache of one animator.
class TGIFComposer {
public:
    // Composes frame `index` (limited to the last frame) of `image`. `windowColor`
    // fills the screen when neither the current frame's transparent colour nor
    // the background colour applies; `transparentOn` is the control's
    // Transparent property. Returns the composite and sets `transparent` to its
    // transparent colour (clNone for none).
    const Bitmap& Compose(TGIFImage& image, int index, TColor windowColor, bool transparentOn,
                          TColor& transparent);
    // Forgets the composite (a new picture).
    void Clear();

    int CachedIndex() const { return cachedIndex_; }
    bool HasBitmap() const { return bitmap_ != nullptr; }
    // The frames drawn (or cleared) by the last composition, in order, and
    // whether it started from scratch.
    const std::vector<int>& LastDrawnFrames() const { return lastDrawn_; }
    bool LastWasFull() const { return lastFull_; }

private:
    std::unique_ptr<Bitmap> bitmap_;
    int cachedIndex_ = -1;
    TColor cachedTransparent_ = clNone;
    TColor fill_ = clNone;  // the brush of the composite
    std::vector<int> lastDrawn_;
    bool lastFull_ = false;
};
