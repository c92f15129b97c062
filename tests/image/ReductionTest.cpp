// Area reduction, as the preview uses it.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "image/Reduction.h"

TEST(PreviewPicture, ReductionAveragesTheCoveredPixels) {
    Bitmap source;
    source.Reset(4, 2, 24);
    // Left half black and white columns, right half solid grey 100.
    for (int32_t y = 0; y < 2; ++y) {
        uint8_t* row = source.Row(y);
        const uint8_t values[4] = {0, 255, 100, 100};
        for (int x = 0; x < 4; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = values[x];
    }
    const Bitmap reduced = ReducePicture(source, 2, 1);
    EXPECT_EQ(reduced.Row(0)[0], 128);
    EXPECT_EQ(reduced.Row(0)[3], 100);
    const Bitmap same = ReducePicture(source, 4, 2);
    EXPECT_EQ(same.pixels, source.pixels);
}

// Rows fed bottom-up give exactly the rows fed top-down, and both are the
// area average (to rounding) for sizes whose pixels straddle several targets.
TEST(PreviewPicture, RowsInEitherOrderReduceToTheAreaAverage) {
    const int32_t sw = 37, sh = 23, w = 10, h = 7;
    std::vector<uint8_t> rows(static_cast<size_t>(sw * sh * 3));
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 131 ^ i >> 3);
    RowReducer down(sw, sh, w, h), up(sw, sh, w, h);
    for (int32_t y = 0; y < sh; ++y) down.Add(y, &rows[static_cast<size_t>(y * sw * 3)]);
    for (int32_t y = sh - 1; y >= 0; --y) up.Add(y, &rows[static_cast<size_t>(y * sw * 3)]);
    const Bitmap a = down.Take(), b = up.Take();
    EXPECT_EQ(a.pixels, b.pixels);
    const auto overlap = [](double from, double to, double at) { return std::max(0.0, std::min(to, at + 1) - std::max(from, at)); };
    for (int32_t ty = 0; ty < h; ++ty)
        for (int32_t tx = 0; tx < w; ++tx)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int32_t sy = 0; sy < sh; ++sy)
                    for (int32_t sx = 0; sx < sw; ++sx)
                        sum += overlap(double(ty) * sh / h, double(ty + 1) * sh / h, sy) *
                               overlap(double(tx) * sw / w, double(tx + 1) * sw / w, sx) * rows[(sy * sw + sx) * 3 + c];
                EXPECT_NEAR(a.Row(ty)[3 * tx + c], sum * w * h / (sw * sh), 1.0) << tx << "," << ty;
            }
    EXPECT_THROW(RowReducer(sw, sh, w, h).Add(sh, rows.data()), std::invalid_argument);
}
