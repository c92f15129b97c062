#include "toolkit/GIFWin32.h"

#include <cstring>
#include <stdexcept>

void ReadGIFResource(TGIFImage& image, HMODULE module, const char* name, const char* type) {
    HRSRC resource = FindResourceA(module, name, type);
    if (!resource) throw EReadError(std::string("Resource ") + (IS_INTRESOURCE(name) ? "#" : name) + " not found");
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) throw EReadError("Resource cannot be loaded");
    const DWORD size = SizeofResource(module, resource);
    TMemoryStream stream(bytes, size);
    image.ReadGifData(size, stream, true);
}

TDibCanvas::TDibCanvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = TopDownBitmapInfo(width, height, 32);
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
