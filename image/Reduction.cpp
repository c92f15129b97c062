#include "image/Reduction.h"

#include <algorithm>
#include <stdexcept>

#include "image/BmpCodec.h"

// Exact area averaging: in units of 1/width of a source pixel, target pixel x
// covers [x * sw, (x + 1) * sw) and source pixel sx covers
// [sx * width, (sx + 1) * width); the overlaps are the weights. Rows alike,
// each target row summed over its source rows from the top, whichever order
// they came in. The sums are whole numbers in units of 1 / (sw × sh) and each
// pixel is rounded once, so no build's floating point can change a pixel.
RowReducer::RowReducer(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height)
    : sw_(sourceWidth), sh_(sourceHeight), width_(width), height_(height), taps_(static_cast<size_t>(width)),
      done_(static_cast<size_t>(height), false), sum_(static_cast<size_t>(width) * 3, 0) {
    // 255 × sw × sh must fit the sums: any picture a bitmap can hold does.
    if (sw_ <= 0 || sh_ <= 0 || sw_ > (int64_t(1) << 31) || sh_ > (int64_t(1) << 55) / sw_)
        throw std::invalid_argument("source too large to reduce");
    target_.Reset(width, height, 24);
    for (int64_t x = 0; x < width; ++x) {
        const int64_t from = x * sw_, to = (x + 1) * sw_;
        for (int64_t sx = from / width; sx * width < to && sx < sw_; ++sx) {
            const int64_t overlap = std::min(to, (sx + 1) * width) - std::max(from, sx * width);
            if (overlap > 0)
                taps_[x].push_back({static_cast<int32_t>(sx), static_cast<uint32_t>(overlap)});
        }
    }
}

int64_t RowReducer::LastSourceRow(int64_t targetY) const {
    return std::min(sh_ - 1, ((targetY + 1) * sh_ + height_ - 1) / height_ - 1);
}

int64_t RowReducer::LastTargetRow(int64_t sourceY) const {
    return std::min<int64_t>(height_ - 1, ((sourceY + 1) * height_ + sh_ - 1) / sh_ - 1);
}

// Every target row that source row `sourceY` covers is written.
bool RowReducer::Spent(int64_t sourceY) const {
    for (int64_t y = FirstTargetRow(sourceY); y <= LastTargetRow(sourceY); ++y)
        if (!done_[static_cast<size_t>(y)]) return false;
    return true;
}

void RowReducer::Add(int32_t y, const uint8_t* bgr) {
    const int64_t last = first_ + static_cast<int64_t>(held_.size()) - 1;
    if (y < 0 || y >= sh_ || (!held_.empty() && y != last + 1 && y != first_ - 1))
        throw std::invalid_argument("source row out of order");
    std::vector<uint64_t> across(static_cast<size_t>(width_) * 3);
    for (int32_t x = 0; x < width_; ++x) {
        uint64_t b = 0, g = 0, r = 0;
        for (const Tap& tap : taps_[x]) {
            const uint8_t* p = &bgr[3 * static_cast<size_t>(tap.source)];
            b += tap.weight * p[0];
            g += tap.weight * p[1];
            r += tap.weight * p[2];
        }
        across[3 * x] = b;
        across[3 * x + 1] = g;
        across[3 * x + 2] = r;
    }
    if (held_.empty() || y == last + 1) {
        if (held_.empty()) first_ = y;
        held_.push_back(std::move(across));
    } else {
        held_.push_front(std::move(across));
        first_ = y;
    }
    const int64_t held = first_ + static_cast<int64_t>(held_.size()) - 1;
    for (int64_t target = FirstTargetRow(y); target <= LastTargetRow(y); ++target)
        if (!done_[static_cast<size_t>(target)] && FirstSourceRow(target) >= first_ && LastSourceRow(target) <= held)
            Emit(target);
    while (!held_.empty() && Spent(first_)) {
        held_.pop_front();
        ++first_;
    }
    while (!held_.empty() && Spent(first_ + static_cast<int64_t>(held_.size()) - 1)) held_.pop_back();
}

void RowReducer::Emit(int64_t targetY) {
    std::fill(sum_.begin(), sum_.end(), 0);
    const int64_t rowFrom = targetY * sh_, rowTo = (targetY + 1) * sh_;
    for (int64_t sy = FirstSourceRow(targetY); sy <= LastSourceRow(targetY); ++sy) {
        const int64_t piece = std::min(rowTo, (sy + 1) * height_) - std::max(rowFrom, sy * height_);
        const uint64_t weight = static_cast<uint64_t>(piece);
        const std::vector<uint64_t>& across = held_[static_cast<size_t>(sy - first_)];
        for (size_t i = 0; i < sum_.size(); ++i) sum_[i] += weight * across[i];
    }
    uint8_t* out = target_.Row(static_cast<int32_t>(targetY));
    const uint64_t whole = static_cast<uint64_t>(sw_) * static_cast<uint64_t>(sh_);
    for (size_t i = 0; i < sum_.size(); ++i)
        out[i] = static_cast<uint8_t>(std::min<uint64_t>(255, (2 * sum_[i] + whole) / (2 * whole)));
    done_[static_cast<size_t>(targetY)] = true;
}

Bitmap ReducePicture(const Bitmap& source, int32_t width, int32_t height) {
    RowReducer reducer(source.width, source.height, width, height);
    std::vector<uint8_t> row(static_cast<size_t>(source.width) * 3);
    for (int32_t y = 0; y < source.height; ++y) {
        RowToBgr24(source, y, row.data());
        reducer.Add(y, row.data());
    }
    return reducer.Take();
}
