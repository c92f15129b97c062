// The LZW decoder of GIF frame data, and the pixel sink it writes into.
//
// The algorithm. A frame's pixels are coded as variable-width codes, packed
// least significant bit first into data sub-blocks, after a byte giving the
// minimum code size m (2 to 9). Codes below 2^m are single pixel values; 2^m
// is the clear code (the table starts anew, codes are m + 1 bits wide again)
// and 2^m + 1 ends the data. Every other code names a string in a table that
// the decoder builds as it goes, as the encoder did: after each code, the
// next free entry becomes the previous code's string plus the first pixel of
// the current one (a code that is not in the table yet is exactly that entry:
// the previous string plus its own first pixel). An entry is kept as a prefix
// code and one suffix pixel, so a string is read backwards onto a stack. When
// the next free entry reaches 2^width the codes grow one bit wider, up to 12
// bits (4096 entries); then the table stays full until the next clear code.
//
// Damaged data is decoded as far as it goes: codes ending early leave the
// rest of the picture to the caller, and a string longer than the table can
// hold (a table whose prefixes loop) ends the decoding as corrupt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/Bitmap.h"

// Where decoded pixels go: row by row in file order or through the four
// interlace passes, packed to the bitmap's depth.
class PixelSink {
public:
    PixelSink(Bitmap& bitmap, bool interlaced) : bitmap_(bitmap), interlaced_(interlaced) {
        width_ = size_t(bitmap.width);
        if (bitmap.width <= 0 || bitmap.height <= 0) {
            done_ = true;
            return;
        }
        if (bitmap.bitsPerPixel != 8) rowBuffer_.resize(width_);
        StartRow();
    }

    bool Done() const { return done_; }

    void Put(uint8_t pixel) {
        row_[column_++] = pixel;
        if (column_ == width_) FinishRow();
    }
    void Put(const uint8_t* pixels, size_t count) {
        while (count && !done_) {
            const size_t room = width_ - column_;
            const size_t n = count < room ? count : room;
            std::memcpy(row_ + column_, pixels, n);
            column_ += n;
            pixels += n;
            count -= n;
            if (column_ == width_) FinishRow();
        }
    }

    // Puts a row that the data left incomplete into the bitmap, the rest index 0.
    void Flush() {
        if (done_ || column_ == 0 || bitmap_.bitsPerPixel == 8) return;
        std::memset(row_ + column_, 0, width_ - column_);
        Pack();
    }

private:
    void StartRow() {
        row_ = bitmap_.bitsPerPixel == 8 ? bitmap_.Row(y_) : rowBuffer_.data();
        column_ = 0;
    }
    void FinishRow() {
        Pack();
        NextRow();
        if (!done_) StartRow();
    }
    void Pack() {
        if (bitmap_.bitsPerPixel == 4) {
            uint8_t* out = bitmap_.Row(y_);
            for (size_t x = 0; x + 1 < width_; x += 2) out[x / 2] = uint8_t((row_[x] << 4) | (row_[x + 1] & 15));
            if (width_ & 1) out[width_ / 2] = uint8_t(row_[width_ - 1] << 4);
        } else if (bitmap_.bitsPerPixel == 1) {
            uint8_t* out = bitmap_.Row(y_);
            std::memset(out, 0, (width_ + 7) / 8);
            for (size_t x = 0; x < width_; ++x)
                if (row_[x] & 1) out[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    void NextRow() {
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        if (!interlaced_) {
            if (++y_ >= bitmap_.height) done_ = true;
            return;
        }
        y_ += kStep[pass_];
        while (y_ >= bitmap_.height) {
            if (++pass_ >= 4) {
                done_ = true;
                return;
            }
            y_ = kStart[pass_];
        }
    }

    Bitmap& bitmap_;
    bool interlaced_;
    size_t width_ = 0;
    std::vector<uint8_t> rowBuffer_;
    uint8_t* row_ = nullptr;
    size_t column_ = 0;
    int32_t y_ = 0;
    int pass_ = 0;
    bool done_ = false;
};

// How decoding a frame's data ended.
enum class LzwEnd {
    Stopped,    // at the end code, with the picture complete, or after the first code when already corrupted
    EndOfData,  // the codes ran out before the end code and the complete picture
    Corrupt,    // a string longer than the table can hold: the table loops
};

// Decodes `encoded` (the minimum-code-size byte, then the data sub-blocks with
// their size bytes, as TGIFItem::Data holds them) into `sink`, with minimum
// code size `minimum` (2 to 9) and codes below `literals` (a power of 2, at
// most 2^minimum) taken as pixels. `corrupted` is set on Corrupt; once it is
// set (on entry too), decoding stops after the current code.
LzwEnd DecodeLzw(const std::vector<uint8_t>& encoded, unsigned minimum, unsigned literals, PixelSink& sink,
                 bool& corrupted);
