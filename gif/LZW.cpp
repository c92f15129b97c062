// The LZW decoder of GIF frame data; see gif/LZW.h for the algorithm.
#include "gif/LZW.h"

#include <array>

namespace {

// Codes of the frame's data sub-blocks, least significant bit first, read in
// place: up to eight bytes wait in a buffer, fetched across the sub-block
// boundaries as the codes use them up. The data ends at a zero size or at a
// sub-block that reaches past the end of `encoded`; a code that would reach
// past the last data bit is the end of the data.
class CodeReader {
public:
    explicit CodeReader(const std::vector<uint8_t>& encoded) {
        // Past the minimum-code-size byte.
        const uint8_t* data = encoded.data();
        at_ = encoded.empty() ? data : data + 1;
        end_ = data + encoded.size();
    }

    bool Read(unsigned width, unsigned& code) {
        if (held_ < width) Refill();
        if (held_ < width) return false;
        code = unsigned(buffer_) & ((1u << width) - 1);
        buffer_ >>= width;
        held_ -= width;
        return true;
    }

private:
    // Fills the buffer up to 57 bits or more, or to the end of the data. Inside
    // a sub-block the bytes come eight at a time, as one little-endian word of
    // which the buffer takes what fits.
    void Refill() {
        if (blockLeft_ >= 8) {
            uint64_t word = 0;
            for (int i = 7; i >= 0; --i) word = (word << 8) | at_[i];
            const unsigned take = (63 - held_) / 8;  // held_ < 12 here: 6 or 7 bytes
            buffer_ |= (word & ((uint64_t(1) << (take * 8)) - 1)) << held_;
            held_ += take * 8;
            at_ += take;
            blockLeft_ -= take;
            return;
        }
        while (held_ <= 56) {
            if (blockLeft_ == 0 && !NextBlock()) return;
            buffer_ |= uint64_t(*at_++) << held_;
            held_ += 8;
            --blockLeft_;
        }
    }
    bool NextBlock() {
        if (at_ >= end_) return false;
        const size_t size = *at_;
        if (size == 0 || size > size_t(end_ - at_) - 1) {
            at_ = end_;
            return false;
        }
        ++at_;
        blockLeft_ = size;
        return true;
    }
    const uint8_t* at_;
    const uint8_t* end_;
    size_t blockLeft_ = 0;
    uint64_t buffer_ = 0;
    unsigned held_ = 0;
};

}  // namespace

LzwEnd DecodeLzw(const std::vector<uint8_t>& encoded, unsigned minimum, unsigned literals, PixelSink& sink,
                 bool& corrupted) {
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
        if (corrupted) break;
    }
    if (tooLong) return LzwEnd::Corrupt;
    return endOfData ? LzwEnd::EndOfData : LzwEnd::Stopped;
}
