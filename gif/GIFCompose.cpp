#include "gif/GIFCompose.h"

#include <algorithm>
#include <cstring>

uint32_t TimerDelayOfFrame(TGIFImage& image, int index) {
    if (index < 0 || index >= image.FrameCount() || image.FrameCount() < 2) return 0;
    return std::clamp<uint32_t>(image.Frame(index).Delay, 50, 10000);
}

namespace {

uint32_t* PixelRow(Bitmap& bitmap, int32_t y) { return reinterpret_cast<uint32_t*>(bitmap.Row(y)); }
const uint32_t* PixelRow(const Bitmap& bitmap, int32_t y) {
    return reinterpret_cast<const uint32_t*>(bitmap.Row(y));
}

template <int depth>
unsigned IndexAt(const uint8_t* row, int64_t x) {
    if constexpr (depth == 8) return row[x];
    if constexpr (depth == 4) return (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

// A frame's colours as drawn: the composite's pixel for each index, or
// kLeftOut for the transparent colour and for indices beyond the palette.
// Composite pixels never set the top byte, so one table lookup decides both.
constexpr uint32_t kLeftOut = 0xFF000000u;

// `count` columns from x0 on of one row of a frame at `depth` bits into `out`,
// which points at the composite's pixel of the frame's column x0.
template <int depth>
void DrawRow(const uint8_t* in, uint32_t* out, int64_t x0, int64_t count, const uint32_t* drawn) {
    for (int64_t i = 0; i < count; ++i) {
        const uint32_t pixel = drawn[IndexAt<depth>(in, x0 + i)];
        if (pixel != kLeftOut) out[i] = pixel;
    }
}

}  // namespace

void FillBitmapRect(Bitmap& target, int32_t left, int32_t top, int32_t width, int32_t height, TColor color) {
    const int64_t x0 = std::max<int64_t>(left, 0), y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(left) + width, target.width);
    const int64_t y1 = std::min<int64_t>(int64_t(top) + height, target.height);
    if (x0 >= x1 || y0 >= y1) return;  // wholly off the bitmap
    // The first row is filled pixel by pixel, the others are copies of it.
    uint32_t* first = PixelRow(target, int32_t(y0)) + x0;
    std::fill(first, first + (x1 - x0), PixelOfColor(color));
    for (int64_t y = y0 + 1; y < y1; ++y) std::memcpy(PixelRow(target, int32_t(y)) + x0, first, size_t(x1 - x0) * 4);
}

void DrawFrameInto(Bitmap& target, TGIFFrame& frame, bool useTransparency) {
    DrawFrameAt(target, frame, useTransparency, frame.Left, frame.Top);
}

void DrawFrameAt(Bitmap& target, TGIFFrame& frame, bool useTransparency, int32_t left, int32_t top) {
    const Bitmap& source = frame.GetBitmap();
    const size_t colours = source.palette.size();
    uint32_t drawn[256];
    std::fill(std::begin(drawn), std::end(drawn), kLeftOut);
    const TColor key = useTransparency ? frame.TransparentColor : clNone;
    for (size_t i = 0; i < colours && i < 256; ++i) {
        const PaletteEntry& entry = source.palette[i];
        const TColor color = RGBColor(entry.red, entry.green, entry.blue);
        if (key == clNone || color != key) drawn[i] = PixelOfColor(color);
    }
    const int64_t x0 = std::max<int64_t>(0, -int64_t(left));
    const int64_t x1 = std::min<int64_t>(source.width, int64_t(target.width) - left);
    if (x0 >= x1) return;  // no column on the bitmap
    for (int32_t y = 0; y < source.height; ++y) {
        const int64_t ty = int64_t(top) + y;
        if (ty < 0) continue;
        if (ty >= target.height) break;
        const uint8_t* in = source.Row(y);
        uint32_t* out = PixelRow(target, int32_t(ty)) + (left + x0);
        switch (source.bitsPerPixel) {
        case 8: DrawRow<8>(in, out, x0, x1 - x0, drawn); break;
        case 4: DrawRow<4>(in, out, x0, x1 - x0, drawn); break;
        default: DrawRow<1>(in, out, x0, x1 - x0, drawn); break;
        }
    }
}

void StretchBitmapInto(Bitmap& target, int32_t left, int32_t top, int32_t width, int32_t height,
                       const Bitmap& source, TColor key) {
    if (width <= 0 || height <= 0 || source.Empty()) return;
    const uint32_t keyPixel = PixelOfColor(key);
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(int64_t(top) + height, target.height);
    const int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(int64_t(left) + width, target.width);
    for (int64_t y = y0; y < y1; ++y) {
        const int64_t sy = (y - top) * source.height / height;
        const uint32_t* in = PixelRow(source, int32_t(sy));
        uint32_t* out = PixelRow(target, int32_t(y));
        for (int64_t x = x0; x < x1; ++x) {
            const uint32_t pixel = in[(x - left) * source.width / width] & 0xFFFFFF;
            if (key == clNone || pixel != keyPixel) out[x] = pixel;
        }
    }
}

void TGIFComposer::Clear() {
    bitmap_.reset();
    cachedIndex_ = -1;
    cachedTransparent_ = clNone;
}

const Bitmap& TGIFComposer::Compose(TGIFImage& image, int index, TColor windowColor, bool transparentOn,
                                    TColor& transparent) {
    const int count = image.FrameCount();
    if (count == 0) throw EInvalidGraphicOperation("The picture has no frames");
    const int n = std::clamp(index, 0, count - 1);
    lastDrawn_.clear();

    const bool useCache = bitmap_ && cachedIndex_ >= 0 && n == cachedIndex_ + 1 &&
                          image.Frame(cachedIndex_).Disposal != 3;
    if (useCache) {
        transparent = cachedTransparent_;
        TGIFFrame& previous = image.Frame(cachedIndex_);
        if (previous.Disposal == 2) {
            FillBitmapRect(*bitmap_, previous.Left, previous.Top, previous.Width(), previous.Height(), fill_);
            lastDrawn_.push_back(cachedIndex_);
        }
        DrawFrameInto(*bitmap_, image.Frame(n), true);
        lastDrawn_.push_back(n);
        lastFull_ = false;
        cachedIndex_ = n;
        return *bitmap_;
    }

    // A composite of the screen's size is filled anew below, wholly: its
    // memory serves again instead of a new bitmap.
    std::unique_ptr<Bitmap> bitmap = std::move(bitmap_);
    Clear();
    if (!bitmap || bitmap->width != image.LogicalWidth() || bitmap->height != image.LogicalHeight()) {
        bitmap.reset();
        bitmap = std::make_unique<Bitmap>();
        bitmap->Reset(image.LogicalWidth(), image.LogicalHeight(), 32);
    }
    transparent = clNone;
    const int current = image.CurrentIndex();
    TColor fill;
    if (current >= 0 && current < count && image.Frame(current).TransparentColor != clNone) {
        transparent = image.Frame(current).TransparentColor;
        fill = transparent;
    } else if (image.BackgroundColor() != clNone && image.Transparent()) {
        fill = image.BackgroundColor();
    } else {
        fill = windowColor;
    }
    FillBitmapRect(*bitmap, 0, 0, bitmap->width, bitmap->height, fill);

    // The nearest frame back from n that covers the screen and needs nothing under it.
    int start = n;
    while (start > 0) {
        TGIFFrame& frame = image.Frame(start);
        const bool covers = frame.Width() == bitmap->width && frame.Height() == bitmap->height;
        if (covers && (frame.TransparentColor == clNone || (frame.Disposal == 2 && start < n))) break;
        --start;
    }
    for (int i = start; i < n; ++i) {
        TGIFFrame& frame = image.Frame(i);
        if (frame.Disposal <= 1) {
            DrawFrameInto(*bitmap, frame, true);
            lastDrawn_.push_back(i);
        } else if (frame.Disposal == 2 && i != start) {
            FillBitmapRect(*bitmap, frame.Left, frame.Top, frame.Width(), frame.Height(), fill);
            lastDrawn_.push_back(i);
        }
    }
    DrawFrameInto(*bitmap, image.Frame(n), true);
    lastDrawn_.push_back(n);
    if (!transparentOn) transparent = clNone;
    lastFull_ = true;

    bitmap_ = std::move(bitmap);
    cachedIndex_ = n;
    cachedTransparent_ = transparent;
    fill_ = fill;
    return *bitmap_;
}
