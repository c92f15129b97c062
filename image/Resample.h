// Pictures scaled to any size, smaller or larger, with a Catmull-Rom filter
// widened by the reduction (so a large reduction averages every source pixel
// it covers), in integer arithmetic: the same bytes on every machine.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

// The taps of one axis: for each output pixel of a window of a picture
// scaled from `source` to `scaled` pixels, the first source pixel it reads
// and its weights (in units of 1/kResampleOne, summing to kResampleOne).
// Output pixel i of the scaled picture is centred on source coordinate
// (i + 0.5) * source / scaled - 0.5; taps beyond the edges read the edge pixel.
struct ResampleTaps {
    std::vector<int32_t> first;   // per output pixel
    std::vector<int32_t> offset;  // per output pixel: where its weights start in `weights`
    std::vector<int32_t> count;   // per output pixel
    std::vector<int32_t> weights;
};
inline constexpr int32_t kResampleOne = 1 << 14;

// The taps of output pixels [from, from + count) of a picture scaled from
// `source` to `scaled` pixels (both positive, from + count <= scaled).
ResampleTaps ComputeResampleTaps(int32_t source, int32_t scaled, int32_t from, int32_t count);

// The Catmull-Rom kernel at t = q / 4096, times 2 * 4096^3 (exact integers;
// zero for |t| >= 2).
int64_t CatmullRomWeight(int64_t q);

// A window of a picture scaled to scaledWidth × scaledHeight: the output pixels
// [x, x + width) × [y, y + height) of the scaled picture.
struct ResampleWindow {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// Scales a picture that comes a row at a time (24-bit blue-green-red rows,
// each once, top-down or bottom-up) and hands each output row of the window
// to `emit` as soon as every source row it reads has come, never holding the
// picture. Reducing, it keeps a sum per output row still open (about five,
// whatever the reduction); enlarging, the few source rows (scaled across)
// that output rows still to come read, about four, whatever the enlargement.
// Both give the same bytes.
class RowResampler {
public:
    using Emit = std::function<void(int32_t y, const uint8_t* bgr)>;  // y within the window
    RowResampler(int32_t sourceWidth, int32_t sourceHeight, int32_t scaledWidth, int32_t scaledHeight,
                 const ResampleWindow& window, Emit emit);
    // Whether source row `y` is read by any output row of the window; a row
    // that is not need not be passed to Add.
    bool Wanted(int32_t y) const;
    void Add(int32_t y, const uint8_t* bgr);
    // Every output row of the window was emitted.
    bool Complete() const { return emitted_ == window_.height; }
    // Rows held now: sums of open output rows, or source rows kept.
    size_t Holding() const { return open_.size() + held_.size(); }
    // The output rows that source row y is read by, as [first, last].
    void Readers(int32_t y, int32_t& first, int32_t& last) const;

private:
    int32_t sourceWidth_, sourceHeight_;
    ResampleWindow window_;
    Emit emit_;
    ResampleTaps columns_, rows_;
    std::vector<int32_t> rowLast_;         // last source row each output row reads
    std::vector<int32_t> remaining_;       // source rows each output row still waits for
    bool hold_;                            // enlarging: source rows are held, not sums
    std::map<int32_t, std::vector<int32_t>> open_;  // output row -> its sums, 3 per pixel
    std::map<int32_t, std::vector<int32_t>> held_;  // source row -> scaled across, 3 per pixel
    std::vector<bool> done_;               // output rows emitted
    std::vector<std::vector<int32_t>> spare_;
    std::vector<int32_t> across_;          // one source row scaled across, 3 per pixel
    std::vector<int32_t> sums_;            // one output row's sums (enlarging)
    void Finish(int32_t row, const int32_t* sums);
    std::vector<uint8_t> out_;
    int32_t emitted_ = 0;
};
