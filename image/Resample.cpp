#include "image/Resample.h"

#include <algorithm>
#include <stdexcept>

#include "image/Rounding.h"

namespace {

constexpr int64_t kUnit = 4096;  // the kernel's argument in steps of 1/4096 pixel

}  // namespace

int64_t CatmullRomWeight(int64_t q) {
    const int64_t a = q < 0 ? -q : q, u = kUnit;
    // 1.5|t|^3 - 2.5|t|^2 + 1 below 1, -0.5|t|^3 + 2.5|t|^2 - 4|t| + 2 below 2,
    // both times 2u^3.
    if (a < u) return 3 * a * a * a - 5 * a * a * u + 2 * u * u * u;
    if (a < 2 * u) return -a * a * a + 5 * a * a * u - 8 * a * u * u + 4 * u * u * u;
    return 0;
}

ResampleTaps ComputeResampleTaps(int32_t source, int32_t scaled, int32_t from, int32_t count) {
    if (source <= 0 || scaled <= 0 || from < 0 || count < 0 || int64_t(from) + count > scaled)
        throw std::invalid_argument("resample window outside the picture");
    ResampleTaps taps;
    taps.first.reserve(static_cast<size_t>(count));
    taps.offset.reserve(static_cast<size_t>(count));
    taps.count.reserve(static_cast<size_t>(count));
    const int64_t s = source, d = scaled;
    // The kernel is widened by the reduction: t = (source distance) * min(1, d / s).
    const int64_t m = 2 * std::max(s, d);
    std::vector<int64_t> raw;
    for (int64_t i = from; i < int64_t(from) + count; ++i) {
        // Centre c = base / (2d); tap j lies at t = (2dj - base) / m.
        const int64_t base = (2 * i + 1) * s - d;
        const int64_t lo = FloorDiv(base - 2 * m, 2 * d) + 1;
        const int64_t hi = -FloorDiv(-(base + 2 * m), 2 * d) - 1;
        const int64_t first = std::clamp<int64_t>(lo, 0, s - 1), last = std::clamp<int64_t>(hi, 0, s - 1);
        raw.assign(static_cast<size_t>(last - first + 1), 0);
        int64_t sum = 0;
        for (int64_t j = lo; j <= hi; ++j) {
            const int64_t k = CatmullRomWeight(RoundHalfEven((2 * d * j - base) * kUnit, m));
            raw[static_cast<size_t>(std::clamp<int64_t>(j, 0, s - 1) - first)] += k;
            sum += k;
        }
        // A reduction of a very wide picture to a few pixels piles so many taps
        // onto the edge pixels that raw * kResampleOne would not fit 64 bits:
        // the sums are then halved together (exactly, the same on every build)
        // until it does; smaller reductions are untouched.
        if (sum > (int64_t(1) << 46)) {
            int shift = 0;
            while ((sum >> shift) > (int64_t(1) << 46)) ++shift;
            sum = 0;
            for (int64_t& r : raw) sum += (r >>= shift);
        }
        taps.first.push_back(static_cast<int32_t>(first));
        taps.offset.push_back(static_cast<int32_t>(taps.weights.size()));
        taps.count.push_back(static_cast<int32_t>(raw.size()));
        if (sum <= 0) {  // cannot happen for this kernel; the nearest pixel then
            for (size_t n = 0; n < raw.size(); ++n) taps.weights.push_back(n == 0 ? kResampleOne : 0);
            continue;
        }
        int32_t total = 0;
        size_t largest = 0;
        const size_t at = taps.weights.size();
        for (size_t n = 0; n < raw.size(); ++n) {
            const int32_t w = static_cast<int32_t>(RoundHalfEven(raw[n] * kResampleOne, sum));
            taps.weights.push_back(w);
            total += w;
            if (raw[n] > raw[largest]) largest = n;
        }
        taps.weights[at + largest] += kResampleOne - total;  // the weights sum to one exactly
    }
    return taps;
}

RowResampler::RowResampler(int32_t sourceWidth, int32_t sourceHeight, int32_t scaledWidth, int32_t scaledHeight,
                           const ResampleWindow& window, Emit emit)
    : sourceWidth_(sourceWidth), sourceHeight_(sourceHeight), window_(window), emit_(std::move(emit)),
      columns_(ComputeResampleTaps(sourceWidth, scaledWidth, window.x, window.width)),
      rows_(ComputeResampleTaps(sourceHeight, scaledHeight, window.y, window.height)) {
    rowLast_.resize(static_cast<size_t>(window.height));
    remaining_.resize(static_cast<size_t>(window.height));
    for (size_t r = 0; r < rowLast_.size(); ++r) {
        rowLast_[r] = rows_.first[r] + rows_.count[r] - 1;
        remaining_[r] = rows_.count[r];
    }
    hold_ = scaledHeight >= sourceHeight;
    done_.assign(static_cast<size_t>(window.height), false);
    across_.resize(static_cast<size_t>(window.width) * 3);
    out_.resize(static_cast<size_t>(window.width) * 3);
}

// Sums in units of 1/2^20 to bytes, and the row out.
void RowResampler::Finish(int32_t row, const int32_t* sums) {
    for (size_t k = 0; k < out_.size(); ++k)
        out_[k] = static_cast<uint8_t>(std::clamp((sums[k] + (1 << 19)) >> 20, 0, 255));
    done_[static_cast<size_t>(row)] = true;
    ++emitted_;
    emit_(row, out_.data());
}

void RowResampler::Readers(int32_t y, int32_t& first, int32_t& last) const {
    // Both ends of the rows' ranges grow with the output row.
    first = static_cast<int32_t>(std::lower_bound(rowLast_.begin(), rowLast_.end(), y) - rowLast_.begin());
    last = static_cast<int32_t>(std::upper_bound(rows_.first.begin(), rows_.first.end(), y) - rows_.first.begin()) - 1;
}

bool RowResampler::Wanted(int32_t y) const {
    int32_t first = 0, last = 0;
    Readers(y, first, last);
    return first <= last;
}

void RowResampler::Add(int32_t y, const uint8_t* bgr) {
    if (y < 0 || y >= sourceHeight_) throw std::invalid_argument("source row outside the picture");
    int32_t first = 0, last = 0;
    Readers(y, first, last);
    if (first > last) return;
    // Across: each output pixel in units of 1/64 (sums of weights of 1/16384, rounded).
    const int32_t* weights = columns_.weights.data();
    for (int32_t x = 0; x < window_.width; ++x) {
        const uint8_t* p = bgr + 3 * static_cast<size_t>(columns_.first[x]);
        const int32_t* w = weights + columns_.offset[x];
        int32_t b = 0, g = 0, r = 0;
        for (int32_t n = 0; n < columns_.count[x]; ++n, p += 3) {
            b += w[n] * p[0];
            g += w[n] * p[1];
            r += w[n] * p[2];
        }
        int32_t* a = &across_[3 * static_cast<size_t>(x)];
        a[0] = (b + 128) >> 8;
        a[1] = (g + 128) >> 8;
        a[2] = (r + 128) >> 8;
    }
    if (hold_) {
        // Enlarging: keep the row for the output rows that read it, emit those
        // it completes, and let go of the rows no output row still to come reads.
        std::vector<int32_t> kept;
        if (!spare_.empty()) {
            kept = std::move(spare_.back());
            spare_.pop_back();
        }
        kept.assign(across_.begin(), across_.end());
        held_.emplace(y, std::move(kept));
        sums_.resize(across_.size());
        for (int32_t row = first; row <= last; ++row) {
            if (--remaining_[row] > 0) continue;
            std::fill(sums_.begin(), sums_.end(), 0);
            for (int32_t n = 0; n < rows_.count[row]; ++n) {
                const int32_t w = rows_.weights[static_cast<size_t>(rows_.offset[row] + n)];
                if (w == 0) continue;
                const int32_t* a = held_.at(rows_.first[row] + n).data();
                for (size_t k = 0; k < sums_.size(); ++k) sums_[k] += w * a[k];
            }
            Finish(row, sums_.data());
        }
        for (auto it = held_.begin(); it != held_.end();) {
            int32_t from = 0, to = 0;
            Readers(it->first, from, to);
            bool needed = false;
            for (int32_t row = from; row <= to && !needed; ++row) needed = !done_[static_cast<size_t>(row)];
            if (needed) {
                ++it;
            } else {
                spare_.push_back(std::move(it->second));
                it = held_.erase(it);
            }
        }
        return;
    }
    for (int32_t row = first; row <= last; ++row) {
        auto it = open_.find(row);
        if (it == open_.end()) {
            std::vector<int32_t> sums;
            if (!spare_.empty()) {
                sums = std::move(spare_.back());
                spare_.pop_back();
            }
            sums.assign(across_.size(), 0);
            it = open_.emplace(row, std::move(sums)).first;
        }
        const int32_t w = rows_.weights[static_cast<size_t>(rows_.offset[row] + (y - rows_.first[row]))];
        int32_t* sums = it->second.data();
        if (w != 0)
            for (size_t k = 0; k < across_.size(); ++k) sums[k] += w * across_[k];
        if (--remaining_[row] > 0) continue;
        Finish(row, sums);
        spare_.push_back(std::move(it->second));
        open_.erase(it);
    }
}
