// Pictures made smaller by area averaging, as the preview shows them.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "image/Bitmap.h"

// Reduces a picture that comes a row at a time to width × height by averaging
// the pixels each target pixel covers, holding only the rows that the target
// rows still open cover (each narrowed to the target's width), never the
// picture. The rows come top-down or bottom-up; the result is the same either
// way. The sums are exact integers, each pixel rounded once (halves up), so
// every build gives the same pixels. Width and height must not exceed the
// source's.
class RowReducer {
public:
    RowReducer(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height);
    // Source row `y` as 24-bit blue-green-red pixels, each row once, in
    // order; throws std::invalid_argument for a row that is not next to the
    // rows still held.
    void Add(int32_t y, const uint8_t* bgr);
    // The reduced picture (24 bits per pixel), complete once every row came.
    Bitmap Take() { return std::move(target_); }

private:
    struct Tap {
        int32_t source;
        uint32_t weight;  // in units of 1 / source width
    };
    int64_t FirstSourceRow(int64_t targetY) const { return targetY * sh_ / height_; }
    int64_t LastSourceRow(int64_t targetY) const;
    int64_t FirstTargetRow(int64_t sourceY) const { return sourceY * height_ / sh_; }
    int64_t LastTargetRow(int64_t sourceY) const;
    bool Spent(int64_t sourceY) const;
    void Emit(int64_t targetY);

    int64_t sw_, sh_;
    int32_t width_, height_;
    std::vector<std::vector<Tap>> taps_;
    Bitmap target_;
    std::vector<bool> done_;
    std::deque<std::vector<uint64_t>> held_;  // source rows first_ .. first_ + size - 1, narrowed (× source width)
    int64_t first_ = 0;
    std::vector<uint64_t> sum_;
};

// `source` reduced to width × height by averaging the pixels each target pixel
// covers (24 bits per pixel). Width and height must not exceed the source's.
Bitmap ReducePicture(const Bitmap& source, int32_t width, int32_t height);
