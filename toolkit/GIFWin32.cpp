#include "toolkit/GIFWin32.h"

#include <cstring>
#include <stdexcept>
#include <vector>

#include "gif/GIFCompose.h"

void TGIFImage::ReadFromResource(void* instance, const char* name, const char* type) {
    HMODULE module = static_cast<HMODULE>(instance);
    HRSRC resource = FindResourceA(module, name, type);
    if (!resource) throw EReadError(std::string("Resource ") + (IS_INTRESOURCE(name) ? "#" : name) + " not found");
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) throw EReadError("Resource cannot be loaded");
    const DWORD size = SizeofResource(module, resource);
    TMemoryStream stream(bytes, size);
    ReadGifData(size, stream, true);
}

HBITMAP CreateHBitmap(const Bitmap& bitmap) {
    const int depth = bitmap.bitsPerPixel;
    const size_t colours = depth <= 8 ? size_t(1) << depth : 0;
    std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD), 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(header.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = bitmap.width;
    info->bmiHeader.biHeight = -bitmap.height;  // top-down, as the Bitmap is
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = WORD(depth);
    info->bmiHeader.biCompression = BI_RGB;
    for (size_t i = 0; i < colours && i < bitmap.palette.size(); ++i) {
        const PaletteEntry& entry = bitmap.palette[i];
        info->bmiColors[i] = RGBQUAD{entry.blue, entry.green, entry.red, 0};
    }
    void* bits = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!handle || !bits) throw std::runtime_error("Out of system resources");
    std::memcpy(bits, bitmap.pixels.data(), bitmap.pixels.size());
    return handle;
}

TDibCanvas::TDibCanvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!dc_ || !bitmap_ || !bits_) throw std::runtime_error("Out of system resources");
    selected_.emplace(dc_, bitmap_);
}

void TDibCanvas::ReadInto(Bitmap& bitmap) const {
    GdiFlush();
    bitmap.Reset(width_, height_, 32);
    std::memcpy(bitmap.pixels.data(), bits_, bitmap.pixels.size());
}

void TDibCanvas::WriteFrom(const Bitmap& bitmap) {
    if (bitmap.width != width_ || bitmap.height != height_ || bitmap.bitsPerPixel != 32) return;
    GdiFlush();
    std::memcpy(bits_, bitmap.pixels.data(), bitmap.pixels.size());
}

void DrawGIFFrame(HDC dc, const RECT& rect, TGIFFrame& frame, bool useTransparency) {
    const Bitmap& source = frame.GetBitmap();
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || source.Empty()) return;
    // The destination is read, the frame laid over it, and the result written back.
    TDibCanvas canvas(width, height);
    BitBlt(canvas.DC(), 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
    Bitmap picture;
    picture.Reset(source.width, source.height, 32);
    Bitmap under;
    canvas.ReadInto(under);
    TColor key = clNone;
    if (useTransparency && frame.TransparentColor != clNone) {
        // Fill with a colour the frame never shows, then draw only its opaque pixels.
        key = frame.TransparentColor;
        FillBitmapRect(picture, 0, 0, picture.width, picture.height, key);
    }
    DrawFrameAt(picture, frame, useTransparency, 0, 0);
    StretchBitmapInto(under, 0, 0, width, height, picture, key);
    canvas.WriteFrom(under);
    BitBlt(dc, rect.left, rect.top, width, height, canvas.DC(), 0, 0, SRCCOPY);
}
