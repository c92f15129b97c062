// The one picture type of the program: the BMP codec, the JPEG decoder, the
// wallpaper renderer, the preview and the GIF frames all speak it. It becomes
// an HBITMAP or a DIB section only at the Win32 edge.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

// A palette entry in the order of a Windows RGBQUAD.
struct PaletteEntry {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Raised when a picture's size cannot be held: the byte count overflows or
// exceeds kMaxBitmapBytes.
class BitmapSizeError : public std::length_error {
public:
    using std::length_error::length_error;
};

// How a picture's pixels are laid out, without the pixels: the layout of a
// Windows DIB, but always top-down: rows from the top, each padded to a
// multiple of 4 bytes. 1, 4 and 8 bits per pixel index the palette (most
// significant bits first); 16 and 32 bits are described by the three masks
// (zero masks mean the defaults: 5-5-5 and 8-8-8); 24 bits are blue, green, red.
// What a decoder announces before its rows, and what a writer lays out a file by.
struct PixelFormat {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 24;
    std::vector<PaletteEntry> palette;
    std::array<uint32_t, 3> masks{};  // red, green, blue for 16 and 32 bits

    bool Empty() const { return width <= 0 || height <= 0; }
    size_t Stride() const;
};

// A picture: its format and its pixels.
struct Bitmap : PixelFormat {
    std::vector<uint8_t> pixels;

    uint8_t* Row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * Stride(); }
    const uint8_t* Row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * Stride(); }

    // Gives the bitmap a new size and depth with every pixel zero; the palette
    // and masks are kept. Throws BitmapSizeError for sizes that cannot be held
    // (negative, overflowing, or above kMaxBitmapBytes) and std::bad_alloc when
    // memory runs out; the bitmap is unchanged then.
    void Reset(int32_t newWidth, int32_t newHeight, int newBitsPerPixel);

    // Bytes of one row of `width` pixels at `bitsPerPixel`, padded to 4 bytes.
    // Throws BitmapSizeError when that does not fit.
    static size_t StrideFor(int32_t width, int bitsPerPixel);
    // Bytes of the whole pixel array, or BitmapSizeError.
    static size_t ByteCountFor(int32_t width, int32_t height, int bitsPerPixel);
};

inline size_t PixelFormat::Stride() const { return Bitmap::StrideFor(width, bitsPerPixel); }

// The largest pixel array the program agrees to hold (1 GiB): beyond it a
// picture is refused before any memory is asked for.
inline constexpr size_t kMaxBitmapBytes = size_t(1) << 30;
