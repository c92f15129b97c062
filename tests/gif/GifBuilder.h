// Builds GIF files byte by byte for the decoder's tests, with an LZW encoder
// that can reset its table when it fills (as most encoders do) or keep coding
// with a full table until an explicit clear.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace gif_test {

using Bytes = std::vector<uint8_t>;

// Packs codes least significant bit first.
class BitWriter {
public:
    void Put(unsigned code, unsigned width) {
        for (unsigned i = 0; i < width; ++i) {
            if (bit_ == 0) bytes.push_back(0);
            if (code & (1u << i)) bytes.back() |= uint8_t(1u << bit_);
            bit_ = (bit_ + 1) & 7;
        }
    }
    Bytes bytes;

private:
    unsigned bit_ = 0;
};

// The LZW code stream for `pixels` (no sub-blocks). With `resetWhenFull` off the
// table stays full (12-bit codes, no new entries) until the end.
inline Bytes LzwEncode(const std::vector<uint8_t>& pixels, unsigned minimumCodeSize, bool resetWhenFull = true) {
    const unsigned clear = 1u << minimumCodeSize, end = clear + 1;
    BitWriter out;
    std::map<std::pair<unsigned, uint8_t>, unsigned> table;
    unsigned width = minimumCodeSize + 1, next = clear + 2;
    out.Put(clear, width);
    if (pixels.empty()) {
        out.Put(end, width);
        return out.bytes;
    }
    unsigned current = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint8_t pixel = pixels[i];
        auto found = table.find({current, pixel});
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        out.Put(current, width);
        if (next < 4096) {
            table[{current, pixel}] = next++;
            if (next > (1u << width) && width < 12) ++width;
        }
        if (next == 4096 && resetWhenFull) {
            out.Put(clear, width);
            table.clear();
            width = minimumCodeSize + 1;
            next = clear + 2;
        }
        current = pixel;
    }
    out.Put(current, width);
    out.Put(end, width);
    return out.bytes;
}

// Splits a code stream into data sub-blocks with the zero terminator.
inline Bytes SubBlocks(const Bytes& data, bool terminator = true, size_t blockSize = 255) {
    Bytes out;
    for (size_t at = 0; at < data.size(); at += blockSize) {
        const size_t n = std::min(blockSize, data.size() - at);
        out.push_back(uint8_t(n));
        out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + n));
    }
    if (terminator) out.push_back(0);
    return out;
}

struct Rgb {
    uint8_t r, g, b;
};

// A greyscale-ish table of `count` entries: entry i = (i, 255 - i, i / 2).
inline std::vector<Rgb> Ramp(unsigned count) {
    std::vector<Rgb> table;
    for (unsigned i = 0; i < count; ++i) table.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
    return table;
}

class GifBuilder {
public:
    explicit GifBuilder(const std::string& signature = "GIF89a") { Append(signature); }

    GifBuilder& Screen(uint16_t width, uint16_t height, const std::vector<Rgb>& table = {},
                       uint8_t background = 0, uint8_t colorResolutionBits = 8) {
        Word(width);
        Word(height);
        uint8_t packed = uint8_t((colorResolutionBits - 1) << 4);
        if (!table.empty()) packed |= 0x80 | uint8_t(BitsFor(table.size()) - 1);
        bytes.push_back(packed);
        bytes.push_back(background);
        bytes.push_back(0);
        Table(table);
        return *this;
    }
    GifBuilder& GraphicControl(unsigned delayHundredths, int transparentIndex = -1, unsigned disposal = 0) {
        Append("\x21\xF9\x04");
        bytes.push_back(uint8_t((disposal << 2) | (transparentIndex >= 0 ? 1 : 0)));
        Word(uint16_t(delayHundredths));
        bytes.push_back(uint8_t(transparentIndex >= 0 ? transparentIndex : 0));
        bytes.push_back(0);
        return *this;
    }
    GifBuilder& Comment(const std::vector<std::string>& blocks) {
        Append("\x21\xFE");
        for (const std::string& block : blocks) {
            bytes.push_back(uint8_t(block.size()));
            Append(block);
        }
        bytes.push_back(0);
        return *this;
    }
    GifBuilder& Application(const std::string& identifier, const Bytes& data) {
        Append("\x21\xFF");
        bytes.push_back(11);
        Append(identifier.substr(0, 11));
        Raw(SubBlocks(data));
        return *this;
    }
    GifBuilder& Loop(uint16_t repeat) { return Application("NETSCAPE2.0", {1, uint8_t(repeat), uint8_t(repeat >> 8)}); }
    GifBuilder& PlainText() {
        Append("\x21\x01\x0C");
        Raw(Bytes(12, 0));
        Raw(SubBlocks({'h', 'i'}));
        return *this;
    }
    // An image descriptor, its local table and its LZW data for `pixels`.
    GifBuilder& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                      const std::vector<uint8_t>& pixels, unsigned minimumCodeSize,
                      const std::vector<Rgb>& localTable = {}, bool interlaced = false, bool resetWhenFull = true) {
        Descriptor(left, top, width, height, localTable, interlaced);
        bytes.push_back(uint8_t(minimumCodeSize));
        Raw(SubBlocks(LzwEncode(pixels, minimumCodeSize, resetWhenFull)));
        return *this;
    }
    GifBuilder& Descriptor(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                           const std::vector<Rgb>& localTable = {}, bool interlaced = false) {
        bytes.push_back(',');
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        uint8_t packed = interlaced ? 0x40 : 0;
        if (!localTable.empty()) packed |= 0x80 | uint8_t(BitsFor(localTable.size()) - 1);
        bytes.push_back(packed);
        Table(localTable);
        return *this;
    }
    GifBuilder& Trailer() {
        bytes.push_back(';');
        return *this;
    }
    GifBuilder& Raw(const Bytes& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    GifBuilder& Append(const std::string& text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }

    Bytes bytes;

private:
    static unsigned BitsFor(size_t count) {
        unsigned bits = 1;
        while ((1u << bits) < count) ++bits;
        return bits;
    }
    void Word(uint16_t value) {
        bytes.push_back(uint8_t(value));
        bytes.push_back(uint8_t(value >> 8));
    }
    void Table(const std::vector<Rgb>& table) {
        if (table.empty()) return;
        const size_t count = size_t(1) << BitsFor(table.size());
        for (size_t i = 0; i < count; ++i) {
            Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
            bytes.push_back(c.r);
            bytes.push_back(c.g);
            bytes.push_back(c.b);
        }
    }
};

}  // namespace gif_test
