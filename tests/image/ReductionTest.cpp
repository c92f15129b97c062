// Area reduction, as the preview uses it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

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

// The reduction is exact: every pixel is the covered area's mean, rounded once
// (halves up), as a plain sum over the source's pixels in whole numbers gives
// it, for sizes whose weights no binary fraction holds, in either row order.
// A float sum is one level off on some of these pixels, and the i686 build's
// x87 arithmetic rounds otherwise than SSE does.
TEST(PreviewPicture, ReductionIsTheExactlyRoundedMean) {
    struct Case {
        int32_t sourceWidth, sourceHeight, width, height;
    };
    uint32_t seed = 12345;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u, static_cast<uint8_t>(seed >> 16); };
    // Few distinct values, so that many means fall on exact halves.
    const uint8_t values[] = {0, 1, 2, 3, 5, 127, 128, 254, 255};
    for (const Case& c : {Case{1000, 777, 170, 131}, Case{333, 250, 170, 127}, Case{14, 2, 11, 1}, Case{12, 6, 5, 3},
                          Case{8, 6, 7, 5}, Case{10, 4, 9, 3}, Case{641, 479, 170, 127}}) {
        Bitmap source;
        source.Reset(c.sourceWidth, c.sourceHeight, 24);
        for (uint8_t& byte : source.pixels) byte = values[next() % 9];
        const Bitmap reduced = ReducePicture(source, c.width, c.height);
        RowReducer upwards(c.sourceWidth, c.sourceHeight, c.width, c.height);
        for (int32_t y = c.sourceHeight; y-- > 0;) upwards.Add(y, source.Row(y));
        EXPECT_EQ(upwards.Take().pixels, reduced.pixels);
        int wrong = 0;
        for (int32_t ty = 0; ty < c.height; ++ty)
            for (int32_t tx = 0; tx < c.width; ++tx)
                for (int channel = 0; channel < 3; ++channel) {
                    // Target pixel (tx, ty) covers [tx·sw, (tx+1)·sw) × [ty·sh, (ty+1)·sh)
                    // in units where a source pixel is width × height.
                    uint64_t sum = 0;
                    const int64_t lastY = ((ty + 1) * int64_t{c.sourceHeight} - 1) / c.height;
                    const int64_t lastX = ((tx + 1) * int64_t{c.sourceWidth} - 1) / c.width;
                    for (int64_t sy = ty * int64_t{c.sourceHeight} / c.height; sy <= lastY; ++sy) {
                        const int64_t dy = std::min<int64_t>((ty + 1) * int64_t{c.sourceHeight}, (sy + 1) * c.height) -
                                           std::max<int64_t>(ty * int64_t{c.sourceHeight}, sy * c.height);
                        if (dy <= 0) continue;
                        for (int64_t sx = tx * int64_t{c.sourceWidth} / c.width; sx <= lastX; ++sx) {
                            const int64_t dx = std::min<int64_t>((tx + 1) * int64_t{c.sourceWidth}, (sx + 1) * c.width) -
                                               std::max<int64_t>(tx * int64_t{c.sourceWidth}, sx * c.width);
                            if (dx > 0) sum += uint64_t(dx * dy) * source.Row(int32_t(sy))[3 * sx + channel];
                        }
                    }
                    const uint64_t area = uint64_t(c.sourceWidth) * uint64_t(c.sourceHeight);
                    const uint64_t expected = (2 * sum + area) / (2 * area);
                    wrong += reduced.Row(ty)[3 * tx + channel] != expected;
                }
        EXPECT_EQ(wrong, 0) << c.sourceWidth << " x " << c.sourceHeight;
    }
}
