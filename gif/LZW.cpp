// The LZW decoder of GIF frame data; see gif/LZW.h for the algorithm.
#include "gif/LZW.h"

#include <array>
#include <cstring>

namespace {

// Codes of the frame's data sub-blocks, least significant bit first. The
// sub-blocks are joined into one buffer (with zero padding for word reads); a
// code that would reach past the last data bit is the end of the data.
class CodeReader {
public:
    explicit CodeReader(const std::vector<uint8_t>& encoded) {
        size_t position = 1, total = 0;
        while (position < encoded.size()) {
            const size_t size = encoded[position];
            if (size == 0 || position + 1 + size > encoded.size()) break;
            total += size;
            position += 1 + size;
        }
        bytes_.resize(total + 8);
        position = 1;
        size_t at = 0;
        while (at < total) {
            const size_t size = encoded[position];
            std::memcpy(bytes_.data() + at, encoded.data() + position + 1, size);
            at += size;
            position += 1 + size;
        }
        totalBits_ = uint64_t(total) * 8;
    }

    bool Read(unsigned width, unsigned& code) {
        if (bit_ + width > totalBits_) return false;
        const uint8_t* p = bytes_.data() + (bit_ >> 3);
        const uint32_t word = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
        code = (word >> (bit_ & 7)) & ((1u << width) - 1);
        bit_ += width;
        return true;
    }
    int Percent() const { return totalBits_ ? int(bit_ * 100 / totalBits_) : 100; }

private:
    std::vector<uint8_t> bytes_;
    uint64_t bit_ = 0;
    uint64_t totalBits_ = 0;
};

}  // namespace

LzwEnd DecodeLzw(const std::vector<uint8_t>& encoded, unsigned minimum, unsigned literals, PixelSink& sink,
                 bool& corrupted, const std::function<void(int)>& progress) {
    const unsigned clearCode = 1u << minimum;
    const unsigned endCode = clearCode + 1;
    const unsigned literalMask = literals - 1;
    unsigned width = minimum + 1;
    unsigned limit = 1u << width;
    unsigned next = clearCode + 2;
    bool tableFull = false;

    std::array<uint16_t, 4096> prefix{};
    std::array<uint8_t, 4096> suffix{};
    // The longest string the table allows plus the first character, and one
    // more for the code-not-yet-in-table case.
    constexpr size_t kStackSize = 4100;
    uint8_t stack[kStackSize];

    CodeReader codes(encoded);
    unsigned previous = 0;
    uint8_t first = 0;
    bool endOfData = false;
    bool tooLong = false;  // a string longer than the table: it loops
    // The next code gets the previous string plus the first character; the
    // width grows up to 12 bits, and then the table is full until a clear code.
    auto addEntry = [&] {
        if (tableFull) return;
        prefix[next] = uint16_t(previous);
        suffix[next] = first;
        if (++next < limit) return;
        if (width < 12) {
            ++width;
            limit <<= 1;
        } else {
            tableFull = true;
        }
    };

    while (!sink.Done()) {
        unsigned code;
        if (!codes.Read(width, code)) {
            endOfData = true;
            break;
        }
        if (code == endCode) break;
        if (code == clearCode) {
            width = minimum + 1;
            limit = 1u << width;
            next = clearCode + 2;
            tableFull = false;
            do {
                if (!codes.Read(width, code)) {
                    endOfData = true;
                    break;
                }
            } while (code == clearCode);
            if (endOfData || code == endCode) break;
            previous = code;
            first = uint8_t(code & literalMask);
            sink.Put(first);
        } else if (code < literals) {
            // The common case of a single pixel.
            first = uint8_t(code);
            sink.Put(first);
            addEntry();
            previous = code;
        } else {
            size_t top = kStackSize;
            unsigned current = code;
            if (code >= next) {
                stack[--top] = first;
                current = previous;
            }
            while (current > literalMask) {
                if (kStackSize - top > 4096) {
                    corrupted = tooLong = true;
                    break;
                }
                stack[--top] = suffix[current];
                current = prefix[current];
            }
            if (corrupted) break;
            first = uint8_t(current & literalMask);
            stack[--top] = first;
            sink.Put(stack + top, kStackSize - top);
            addEntry();
            previous = code;
        }
        if (progress) progress(codes.Percent());
        if (corrupted) break;
    }
    if (tooLong) return LzwEnd::Corrupt;
    return endOfData ? LzwEnd::EndOfData : LzwEnd::Stopped;
}
