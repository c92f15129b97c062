#include "image/BmpCodec.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

std::array<uint32_t, 3> DefaultMasks(int bitsPerPixel) {
    if (bitsPerPixel == 16) return {0x7C00, 0x03E0, 0x001F};
    return {0x00FF0000, 0x0000FF00, 0x000000FF};
}

bool AreDefaultMasks(const std::array<uint32_t, 3>& masks, int bitsPerPixel) {
    return masks == std::array<uint32_t, 3>{} || masks == DefaultMasks(bitsPerPixel);
}

bool UsesDefaultMasks(const Bitmap& bitmap) { return AreDefaultMasks(bitmap.masks, bitmap.bitsPerPixel); }

void SetIndex(Bitmap& bitmap, int32_t x, int32_t y, uint8_t index) {
    uint8_t* row = bitmap.Row(y);
    if (bitmap.bitsPerPixel == 8) {
        row[x] = index;
    } else {  // 4 bits, the high nibble first
        uint8_t& byte = row[x / 2];
        byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | (index & 0x0F))
                       : static_cast<uint8_t>((byte & 0x0F) | (index & 0x0F) << 4);
    }
}

// RLE8 and RLE4 streams. Rows run from the bottom; pixels beyond the width are
// dropped, a stream that ends early leaves the rest at index 0.
void DecodeRle(const uint8_t* p, const uint8_t* end, Bitmap& bitmap, bool four) {
    int32_t x = 0, line = 0;  // line counts from the bottom
    // The column stops at the width, so no run of records can carry it further.
    auto put = [&](uint8_t index) {
        if (x >= bitmap.width) return;
        SetIndex(bitmap, x, bitmap.height - 1 - line, index);
        ++x;
    };
    while (line < bitmap.height) {
        if (end - p < 2) return;
        const uint8_t count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < bitmap.width; ++i)
                put(four ? static_cast<uint8_t>((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            ++line;
            break;
        case 1:  // end of bitmap
            return;
        case 2:  // move right and up
            if (end - p < 2) return;
            x = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + p[0], bitmap.width));  // never past the row
            line += p[1];
            p += 2;
            break;
        default: {  // `value` literal pixels, padded to a 16-bit boundary
            const size_t bytes = four ? (value + 1u) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (static_cast<size_t>(end - p) < bytes) return;
            for (int i = 0; i < value; ++i)
                put(four ? static_cast<uint8_t>((i & 1) ? p[i / 2] & 0x0F : p[i / 2] >> 4) : p[i]);
            p += std::min(padded, static_cast<size_t>(end - p));
        }
        }
    }
}

int MaskShift(uint32_t mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int MaskBits(uint32_t mask) {
    mask >>= MaskShift(mask);
    int bits = 0;
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
    return bits;
}

// The channel of `pixel` under `mask`, scaled to 0..255.
uint8_t Channel(uint32_t pixel, uint32_t mask, int shift, int bits) {
    if (bits == 0) return 0;
    uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    const uint32_t maximum = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + maximum / 2) / maximum);
}

}  // namespace

namespace {

// What the file and info headers say, checked as far as they can be alone.
struct Header {
    uint32_t offBits = 0;
    uint32_t headerSize = 0;
    int32_t width = 0, height = 0;  // height made positive
    int bits = 0;
    uint32_t compression = kRgb, colorsUsed = 0;
    bool core = false, topDown = false;
};

Header ReadHeader(const uint8_t* data, size_t size) {
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') throw BmpError("Not a bitmap file");
    Header h;
    h.offBits = U32(data + 10);
    const uint8_t* info = data + 14;
    const size_t afterFileHeader = size - 14;
    h.headerSize = U32(info);
    if (h.headerSize < 12 || h.headerSize > afterFileHeader) throw BmpError("Invalid bitmap header");
    int32_t width, height;
    int bits;
    uint32_t compression = kRgb;
    h.core = h.headerSize == 12;
    if (h.core) {
        width = U16(info + 4);
        height = static_cast<int16_t>(U16(info + 6));
        if (U16(info + 8) != 1) throw BmpError("Invalid bitmap header");
        bits = U16(info + 10);
    } else {
        if (h.headerSize < 16) throw BmpError("Invalid bitmap header");
        width = static_cast<int32_t>(U32(info + 4));
        height = static_cast<int32_t>(U32(info + 8));
        if (U16(info + 12) != 1) throw BmpError("Invalid bitmap header");
        bits = U16(info + 14);
        if (h.headerSize >= 20) compression = U32(info + 16);
        if (h.headerSize >= 36) h.colorsUsed = U32(info + 32);
        if (h.headerSize == 64 && compression > kRle4) throw BmpError("Unsupported bitmap compression");
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw BmpError("Unsupported bitmap depth");
    const bool rle = compression == kRle8 || compression == kRle4;
    const bool fields = compression == kBitFields || compression == kAlphaBitFields;
    if (!(compression == kRgb || (compression == kRle8 && bits == 8) || (compression == kRle4 && bits == 4) ||
          (fields && (bits == 16 || bits == 32))))
        throw BmpError("Unsupported bitmap compression");
    h.topDown = height < 0;
    if (width <= 0 || height == 0 || height == INT32_MIN || (h.topDown && rle)) throw BmpError("Invalid bitmap size");
    h.width = width;
    h.height = h.topDown ? -height : height;
    h.bits = bits;
    h.compression = compression;
    return h;
}

}  // namespace

BmpSize ReadBmpSize(const uint8_t* data, size_t size) {
    const Header h = ReadHeader(data, size);
    return BmpSize{h.width, h.height, h.bits};
}

Bitmap DecodeBmp(const uint8_t* data, size_t size) {
    const Header h = ReadHeader(data, size);
    const uint8_t* info = data + 14;
    const uint32_t offBits = h.offBits, headerSize = h.headerSize, compression = h.compression,
                   colorsUsed = h.colorsUsed;
    const int32_t width = h.width, height = h.height;
    const int bits = h.bits;
    const bool core = h.core, topDown = h.topDown;
    const bool rle = compression == kRle8 || compression == kRle4;
    const bool fields = compression == kBitFields || compression == kAlphaBitFields;
    Bitmap bitmap;

    size_t cursor = 14 + headerSize;
    if (fields) {
        if (headerSize >= 52) {
            bitmap.masks = {U32(info + 40), U32(info + 44), U32(info + 48)};
        } else {
            const size_t count = compression == kAlphaBitFields ? 4 : 3;
            if (size < cursor + 4 * count) throw BmpError("Invalid bitmap header");
            bitmap.masks = {U32(data + cursor), U32(data + cursor + 4), U32(data + cursor + 8)};
            cursor += 4 * count;
        }
        if (AreDefaultMasks(bitmap.masks, bits)) bitmap.masks = {};
    }
    if (bits <= 8) {
        const uint32_t full = 1u << bits;
        const uint32_t count = (colorsUsed == 0 || colorsUsed > full) ? full : colorsUsed;
        const size_t entrySize = core ? 3 : 4;
        // Some writers give a palette shorter than the depth allows; take what
        // stands before the pixels.
        size_t available = (size - cursor) / entrySize;
        if (offBits > cursor && offBits <= size) available = std::min<size_t>(available, (offBits - cursor) / entrySize);
        const size_t taken = std::min<size_t>(count, available);
        if (taken == 0) throw BmpError("Invalid bitmap palette");
        bitmap.palette.resize(taken);
        for (size_t i = 0; i < taken; ++i) {
            const uint8_t* entry = data + cursor + i * entrySize;
            bitmap.palette[i] = PaletteEntry{entry[0], entry[1], entry[2], 0};
        }
        cursor += taken * entrySize;
    }
    const size_t pixelsAt = (offBits >= cursor && offBits < size) ? offBits : cursor;
    if (pixelsAt >= size) throw BmpError("Bitmap holds no pixels");
    const uint8_t* pixels = data + pixelsAt;
    const size_t pixelBytes = size - pixelsAt;

    if (rle) {
        bitmap.Reset(width, height, bits);
        DecodeRle(pixels, pixels + pixelBytes, bitmap, compression == kRle4);
        return bitmap;
    }
    const size_t needed = Bitmap::ByteCountFor(width, height, bits);
    if (needed > pixelBytes) throw BmpError("Bitmap data is truncated");
    bitmap.Reset(width, height, bits);
    const size_t stride = bitmap.Stride();
    for (int32_t y = 0; y < height; ++y) {
        const int32_t source = topDown ? y : height - 1 - y;
        std::memcpy(bitmap.Row(y), pixels + static_cast<size_t>(source) * stride, stride);
    }
    return bitmap;
}

BmpFileLayout LayOutBmpFile(const Bitmap& bitmap) {
    if (bitmap.Empty()) throw BmpError("Empty bitmap");
    BmpFileLayout layout;
    layout.stride = bitmap.Stride();
    layout.height = bitmap.height;
    const size_t imageBytes = Bitmap::ByteCountFor(bitmap.width, bitmap.height, bitmap.bitsPerPixel);
    const bool fields = (bitmap.bitsPerPixel == 16 || bitmap.bitsPerPixel == 32) && !UsesDefaultMasks(bitmap);
    const size_t colors = bitmap.bitsPerPixel <= 8 ? std::min<size_t>(bitmap.palette.size(), 1u << bitmap.bitsPerPixel) : 0;
    if (bitmap.bitsPerPixel <= 8 && colors == 0) throw BmpError("Bitmap palette missing");
    const size_t headers = 14 + 40 + (fields ? 12 : 0) + 4 * colors;

    std::vector<uint8_t>& head = layout.header;
    head.assign(headers, 0);
    head[0] = 'B';
    head[1] = 'M';
    Put32(&head[2], static_cast<uint32_t>(headers + imageBytes));
    Put32(&head[10], static_cast<uint32_t>(headers));
    uint8_t* info = &head[14];
    Put32(info, 40);
    Put32(info + 4, static_cast<uint32_t>(bitmap.width));
    Put32(info + 8, static_cast<uint32_t>(bitmap.height));
    Put16(info + 12, 1);
    Put16(info + 14, static_cast<uint32_t>(bitmap.bitsPerPixel));
    Put32(info + 16, fields ? kBitFields : kRgb);
    Put32(info + 20, static_cast<uint32_t>(imageBytes));
    Put32(info + 24, 3780);  // 96 dots per inch
    Put32(info + 28, 3780);
    Put32(info + 32, static_cast<uint32_t>(colors));
    uint8_t* p = info + 40;
    if (fields) {
        for (uint32_t mask : bitmap.masks) {
            Put32(p, mask);
            p += 4;
        }
    }
    for (size_t i = 0; i < colors; ++i, p += 4) {
        p[0] = bitmap.palette[i].blue;
        p[1] = bitmap.palette[i].green;
        p[2] = bitmap.palette[i].red;
    }
    return layout;
}

void EncodeBmp(const Bitmap& bitmap, const std::function<void(const void*, size_t)>& write) {
    const BmpFileLayout layout = LayOutBmpFile(bitmap);
    if (bitmap.pixels.size() < layout.stride * static_cast<size_t>(bitmap.height)) throw BmpError("Bitmap pixels missing");
    write(layout.header.data(), layout.header.size());
    for (int32_t y = bitmap.height - 1; y >= 0; --y) write(bitmap.Row(y), layout.stride);
}

std::vector<uint8_t> EncodeBmp(const Bitmap& bitmap) {
    std::vector<uint8_t> bytes;
    EncodeBmp(bitmap, [&](const void* data, size_t size) {
        const uint8_t* b = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), b, b + size);
    });
    return bytes;
}

void RowToBgr24(const Bitmap& bitmap, int32_t y, uint8_t* out) { RowToBgr24(bitmap, bitmap.Row(y), out); }

void RowToBgr24(const Bitmap& bitmap, const uint8_t* row, uint8_t* out) {
    const int bits = bitmap.bitsPerPixel;
    auto fromPalette = [&](unsigned index) {
        const PaletteEntry entry = index < bitmap.palette.size() ? bitmap.palette[index] : PaletteEntry{};
        out[0] = entry.blue;
        out[1] = entry.green;
        out[2] = entry.red;
        out += 3;
    };
    switch (bits) {
    case 1:
    case 4:
    case 8: {
        const int perByte = 8 / bits;
        const unsigned mask = (1u << bits) - 1;
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const int shift = 8 - bits * (x % perByte + 1);
            fromPalette((row[x / perByte] >> shift) & mask);
        }
        break;
    }
    case 24:
        std::memcpy(out, row, static_cast<size_t>(bitmap.width) * 3);
        break;
    case 16:
    case 32: {
        const std::array<uint32_t, 3> masks = UsesDefaultMasks(bitmap) ? DefaultMasks(bits) : bitmap.masks;
        int shifts[3], widths[3];
        for (int c = 0; c < 3; ++c) {
            shifts[c] = MaskShift(masks[c]);
            widths[c] = MaskBits(masks[c]);
        }
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const uint32_t pixel = bits == 16 ? U16(row + 2 * x) : U32(row + 4 * x);
            out[2] = Channel(pixel, masks[0], shifts[0], widths[0]);
            out[1] = Channel(pixel, masks[1], shifts[1], widths[1]);
            out[0] = Channel(pixel, masks[2], shifts[2], widths[2]);
            out += 3;
        }
        break;
    }
    }
}
