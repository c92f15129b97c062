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

bool UsesDefaultMasks(const PixelFormat& bitmap) { return AreDefaultMasks(bitmap.masks, bitmap.bitsPerPixel); }

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

// The first bytes of a file hold every field ReadHeader looks at: the file
// header and the info header up to the end of its masks.
constexpr size_t kHeaderBytes = 14 + 52;

// `data` holds the first min(size, kHeaderBytes) bytes of a file of `size` bytes.
Header ReadHeader(const uint8_t* data, uint64_t size) {
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') throw BmpError("Not a bitmap file");
    Header h;
    h.offBits = U32(data + 10);
    const uint8_t* info = data + 14;
    const uint64_t afterFileHeader = size - 14;
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

// A file's bytes: all in memory, or read from a source a piece at a time into
// one buffer, which a later read replaces.
class FileBytes {
public:
    FileBytes(const uint8_t* data, size_t size) : size_(size), memory_(data) {}
    explicit FileBytes(BmpSource& source) : size_(source.Size()), source_(&source) {}

    uint64_t Size() const { return size_; }

    // `count` bytes at `offset`, which the caller has checked lie in the file.
    // Unless they are at hand already, the source is asked for them and for the
    // bytes after them up to `ahead` in all (and the end of the file). `atHand`
    // is set to the number of bytes the result points to, `count` or more.
    const uint8_t* At(uint64_t offset, size_t count, size_t ahead = 0, size_t* atHand = nullptr) {
        if (memory_) {
            if (atHand) *atHand = static_cast<size_t>(size_ - offset);
            return memory_ + offset;
        }
        if (!(offset >= start_ && offset - start_ <= held_ && count <= held_ - (offset - start_))) {
            const size_t wanted =
                std::max<size_t>(count, static_cast<size_t>(std::min<uint64_t>(ahead, size_ - offset)));
            held_ = 0;
            if (buffer_.size() < wanted) {
                buffer_ = std::vector<uint8_t>();
                buffer_.resize(wanted);
            }
            const size_t got = std::min(source_->ReadAt(offset, buffer_.data(), wanted), wanted);
            if (got < count) throw BmpError("Bitmap data is truncated");
            start_ = offset;
            held_ = got;
        }
        if (atHand) *atHand = held_ - static_cast<size_t>(offset - start_);
        return buffer_.data() + (offset - start_);
    }

private:
    uint64_t size_;
    const uint8_t* memory_ = nullptr;
    BmpSource* source_ = nullptr;
    std::vector<uint8_t> buffer_;
    uint64_t start_ = 0;
    size_t held_ = 0;
};

// Where the pixels are and what they make, known before any pixel is read.
struct Layout {
    Bitmap format;
    uint64_t pixelsAt = 0;
    bool rle = false, topDown = false;
};

Layout ReadLayout(FileBytes& bytes) {
    const uint64_t size = bytes.Size();
    std::array<uint8_t, kHeaderBytes> head{};
    const size_t headBytes = static_cast<size_t>(std::min<uint64_t>(size, kHeaderBytes));
    if (headBytes > 0) std::memcpy(head.data(), bytes.At(0, headBytes), headBytes);
    const Header h = ReadHeader(head.data(), size);
    const uint8_t* info = head.data() + 14;
    const int bits = h.bits;
    const bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
    Layout layout;
    layout.rle = h.compression == kRle8 || h.compression == kRle4;
    layout.topDown = h.topDown;
    Bitmap& format = layout.format;

    uint64_t cursor = 14 + uint64_t{h.headerSize};
    if (fields) {
        if (h.headerSize >= 52) {
            format.masks = {U32(info + 40), U32(info + 44), U32(info + 48)};
        } else {
            const size_t count = h.compression == kAlphaBitFields ? 4 : 3;
            if (size < cursor + 4 * count) throw BmpError("Invalid bitmap header");
            const uint8_t* masks = bytes.At(cursor, 12);
            format.masks = {U32(masks), U32(masks + 4), U32(masks + 8)};
            cursor += 4 * count;
        }
        if (AreDefaultMasks(format.masks, bits)) format.masks = {};
    }
    if (bits <= 8) {
        const uint32_t full = 1u << bits;
        const uint32_t count = (h.colorsUsed == 0 || h.colorsUsed > full) ? full : h.colorsUsed;
        const size_t entrySize = h.core ? 3 : 4;
        // Some writers give a palette shorter than the depth allows; take what
        // stands before the pixels.
        uint64_t available = (size - cursor) / entrySize;
        if (h.offBits > cursor && h.offBits <= size) available = std::min<uint64_t>(available, (h.offBits - cursor) / entrySize);
        const size_t taken = static_cast<size_t>(std::min<uint64_t>(count, available));
        if (taken == 0) throw BmpError("Invalid bitmap palette");
        const uint8_t* entries = bytes.At(cursor, taken * entrySize);
        format.palette.resize(taken);
        for (size_t i = 0; i < taken; ++i, entries += entrySize)
            format.palette[i] = PaletteEntry{entries[0], entries[1], entries[2], 0};
        cursor += taken * entrySize;
    }
    layout.pixelsAt = (h.offBits >= cursor && h.offBits < size) ? h.offBits : cursor;
    if (layout.pixelsAt >= size) throw BmpError("Bitmap holds no pixels");
    const size_t needed = Bitmap::ByteCountFor(h.width, h.height, bits);  // or BitmapSizeError
    // Some writers leave out the last row's padding: the pixels are all there.
    const size_t padding = Bitmap::StrideFor(h.width, bits) - (size_t(h.width) * size_t(bits) + 7) / 8;
    if (!layout.rle && needed > size - layout.pixelsAt + padding) throw BmpError("Bitmap data is truncated");
    format.width = h.width;
    format.height = h.height;
    format.bitsPerPixel = bits;
    return layout;
}

void PutNibble(uint8_t* row, int32_t x, unsigned index) {
    uint8_t& byte = row[x / 2];
    byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | (index & 0x0F))
                   : static_cast<uint8_t>((byte & 0x0F) | (index & 0x0F) << 4);
}

// The records of a run-length stream, from an offset to the end of the file.
class RunStream {
public:
    RunStream(FileBytes& bytes, uint64_t at, size_t piece) : bytes_(bytes), startAt_(at), piece_(piece) {}
    // The next `count` bytes, or null when the stream holds fewer.
    const uint8_t* Next(size_t count) {
        if (static_cast<size_t>(stop_ - read_) < count && !Fetch(count)) return nullptr;
        const uint8_t* p = read_;
        read_ += count;
        return p;
    }

private:
    bool Fetch(size_t count) {
        const uint64_t offset = startAt_ + static_cast<uint64_t>(read_ - start_);
        if (bytes_.Size() - offset < count) return false;
        size_t atHand = 0;
        start_ = read_ = bytes_.At(offset, count, piece_, &atHand);
        stop_ = start_ + atHand;
        startAt_ = offset;
        return true;
    }

    FileBytes& bytes_;
    // The bytes at hand run from `start_` (at `startAt_` in the file) to `stop_`;
    // `read_` is the next one.
    const uint8_t *start_ = nullptr, *read_ = nullptr, *stop_ = nullptr;
    uint64_t startAt_;
    size_t piece_;
};

// RLE8 and RLE4 streams, from `at` to the end of the file. Rows run from the
// bottom; pixels beyond the width are dropped, rows the stream skips or never
// reaches are index 0. A row goes to the sink as soon as the stream leaves it.
void DecodeRleRows(FileBytes& bytes, uint64_t at, const Bitmap& format, PictureSink& sink, size_t piece) {
    const bool four = format.bitsPerPixel == 4;
    const int32_t width = format.width, height = format.height;
    std::vector<uint8_t> row(format.Stride(), 0);
    int32_t x = 0;   // never past the width, so no run of records can carry it further
    int64_t line = 0;  // counts from the bottom
    RunStream stream(bytes, at, piece);
    auto next = [&](size_t count) { return stream.Next(count); };
    // Hands the current line over, then the lines up to `to` as index 0.
    auto leave = [&](int64_t to) {
        sink.Row(static_cast<int32_t>(height - 1 - line), row.data());
        std::fill(row.begin(), row.end(), uint8_t{0});
        for (++line; line < std::min<int64_t>(to, height); ++line)
            sink.Row(static_cast<int32_t>(height - 1 - line), row.data());
        line = to;
    };
    while (line < height) {
        const uint8_t* p = next(2);
        if (!p) break;
        const uint8_t count = p[0], value = p[1];
        if (count > 0) {
            const int32_t n = std::min<int32_t>(count, width - x);
            if (four) {
                for (int32_t i = 0; i < n; ++i) PutNibble(row.data(), x++, (i & 1) ? value : value >> 4);
            } else {
                std::memset(row.data() + x, value, static_cast<size_t>(n));
                x += n;
            }
            continue;
        }
        if (value == 0) {  // end of line
            leave(line + 1);
            x = 0;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // move right and up
            if (!(p = next(2))) break;
            x = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + p[0], width));
            if (p[1] > 0) leave(line + p[1]);
        } else {  // `value` literal pixels, padded to a 16-bit boundary
            const size_t stored = four ? (value + 1u) / 2 : value;
            if (!(p = next(stored))) break;
            const int32_t n = std::min<int32_t>(value, width - x);
            if (four) {
                for (int32_t i = 0; i < n; ++i) PutNibble(row.data(), x++, (i & 1) ? p[i / 2] : p[i / 2] >> 4);
            } else {
                std::memcpy(row.data() + x, p, static_cast<size_t>(n));
                x += n;
            }
            if (stored & 1) next(1);  // when the stream has it
        }
    }
    if (line < height) leave(height);
}

// The rows of a file whose layout is read, in memory or from a source read by
// pieces of `piece` bytes.
void DecodeRows(FileBytes& bytes, const Layout& layout, PictureSink& sink, size_t piece) {
    const Bitmap& format = layout.format;
    sink.Begin(format);
    if (layout.rle) return DecodeRleRows(bytes, layout.pixelsAt, format, sink, piece);
    const int32_t height = format.height;
    const size_t stride = format.Stride();
    const uint64_t available = bytes.Size() - layout.pixelsAt;
    const int32_t perPiece = static_cast<int32_t>(std::clamp<size_t>(piece / stride, 1, size_t(height)));
    const auto place = [&](int32_t i) { return layout.topDown ? i : height - 1 - i; };
    for (int32_t first = 0; first < height; first += perPiece) {
        const int32_t rows = std::min(perPiece, height - first);
        const uint64_t start = uint64_t(first) * stride;
        // Only the file's last row can be short, by no more than its padding.
        const int32_t whole = start + uint64_t(rows) * stride > available ? rows - 1 : rows;
        const uint8_t* p = whole > 0 ? bytes.At(layout.pixelsAt + start, size_t(whole) * stride) : nullptr;
        for (int32_t i = 0; i < whole; ++i, p += stride) sink.Row(place(first + i), p);
        if (whole < rows) {
            const uint64_t at = start + uint64_t(whole) * stride;
            const size_t have = static_cast<size_t>(available - at);
            std::vector<uint8_t> last(stride, 0);
            std::memcpy(last.data(), bytes.At(layout.pixelsAt + at, have), have);
            sink.Row(place(first + whole), last.data());
        }
    }
}

// The one reader of BMP files, in memory or from a source read by pieces of
// `piece` bytes.
void DecodeRows(FileBytes& bytes, PictureSink& sink, size_t piece) { DecodeRows(bytes, ReadLayout(bytes), sink, piece); }

class BmpReader final : public PictureReader {
public:
    explicit BmpReader(BmpSource& source) : bytes_(source) {}
    PictureHeader Header() override {
        layout_ = ReadLayout(bytes_);
        read_ = true;
        return {layout_.format.width, layout_.format.height, layout_.format.bitsPerPixel, 0, false};
    }
    void Rows(PictureSink& sink, const ReadOptions&) override {
        if (!read_) Header();
        DecodeRows(bytes_, layout_, sink, kBmpReadPiece);
    }

private:
    FileBytes bytes_;
    Layout layout_;
    bool read_ = false;
};

}  // namespace

BmpSize ReadBmpSize(const uint8_t* data, size_t size) {
    const Header h = ReadHeader(data, size);
    return BmpSize{h.width, h.height, h.bits};
}

void DecodeBmpRows(BmpSource& source, PictureSink& sink) { DecodeBmpRows(source, sink, kBmpReadPiece); }

std::unique_ptr<PictureReader> MakeBmpReader(BmpSource& source) { return std::make_unique<BmpReader>(source); }

void DecodeBmpRows(BmpSource& source, PictureSink& sink, size_t piece) {
    FileBytes bytes(source);
    DecodeRows(bytes, sink, piece);
}

Bitmap DecodeBmp(const uint8_t* data, size_t size) {
    // The rows as DecodeBmpRows reads them, from memory without a copy.
    class Filler final : public PictureSink {
    public:
        void Begin(const PixelFormat& format) override {
            bitmap.palette = format.palette;
            bitmap.masks = format.masks;
            bitmap.Reset(format.width, format.height, format.bitsPerPixel);
            stride = bitmap.Stride();
        }
        void Row(int32_t y, const uint8_t* row) override { std::memcpy(bitmap.Row(y), row, stride); }
        Bitmap bitmap;
        size_t stride = 0;
    } filler;
    FileBytes bytes(data, size);
    DecodeRows(bytes, filler, kBmpReadPiece);
    return std::move(filler.bitmap);
}

BmpFileLayout LayOutBmpFile(const PixelFormat& bitmap) {
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

void RowToBgr24(const PixelFormat& bitmap, const uint8_t* row, uint8_t* out) {
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
