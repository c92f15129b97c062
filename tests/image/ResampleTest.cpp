// Scaling pictures to any size: the taps, exact copies and flat colours, the
// order rows come in, windows, and what a large reduction does to fine detail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "image/Resample.h"

namespace {

struct Picture {
    int32_t width, height;
    std::vector<uint8_t> bgr;
    const uint8_t* Row(int32_t y) const { return bgr.data() + 3 * size_t(width) * size_t(y); }
};

Picture Noise(int32_t width, int32_t height, unsigned seed) {
    Picture p{width, height, std::vector<uint8_t>(3 * size_t(width) * size_t(height))};
    for (uint8_t& v : p.bgr) {
        seed = seed * 1103515245u + 12345u;
        v = static_cast<uint8_t>(seed >> 16);
    }
    return p;
}

// Every output row of the window, rows given top-down or bottom-up; fails the
// test when a row comes twice or never.
Picture Resample(const Picture& source, int32_t scaledWidth, int32_t scaledHeight, ResampleWindow window,
                 bool bottomUp = false) {
    Picture out{window.width, window.height, std::vector<uint8_t>(3 * size_t(window.width) * size_t(window.height))};
    std::vector<int> seen(size_t(window.height), 0);
    RowResampler resampler(source.width, source.height, scaledWidth, scaledHeight, window,
                           [&](int32_t y, const uint8_t* bgr) {
                               ++seen[size_t(y)];
                               std::copy(bgr, bgr + 3 * size_t(window.width), out.bgr.begin() + 3 * size_t(window.width) * size_t(y));
                           });
    for (int32_t i = 0; i < source.height; ++i) {
        const int32_t y = bottomUp ? source.height - 1 - i : i;
        resampler.Add(y, source.Row(y));
    }
    EXPECT_TRUE(resampler.Complete());
    for (int count : seen) EXPECT_EQ(count, 1);
    return out;
}

Picture Whole(const Picture& source, int32_t w, int32_t h, bool bottomUp = false) {
    return Resample(source, w, h, {0, 0, w, h}, bottomUp);
}

}  // namespace

TEST(Resample, TapsStayInThePictureAndSumToOne) {
    const struct {
        int32_t source, scaled;
    } sizes[] = {{1, 1}, {1, 7}, {7, 1}, {10, 10}, {3, 1000}, {1000, 3}, {6000, 1920}, {1920, 6000}, {1081, 1080}, {5, 9},
                 {262144, 1}, {64265, 3}};  // every tap summed into one output pixel
    for (const auto& s : sizes) {
        const ResampleTaps taps = ComputeResampleTaps(s.source, s.scaled, 0, s.scaled);
        for (int32_t i = 0; i < s.scaled; ++i) {
            ASSERT_GE(taps.first[i], 0);
            ASSERT_LE(taps.first[i] + taps.count[i], s.source) << s.source << "->" << s.scaled << " at " << i;
            int32_t sum = 0;
            for (int32_t n = 0; n < taps.count[i]; ++n) sum += taps.weights[taps.offset[i] + n];
            ASSERT_EQ(sum, kResampleOne) << s.source << "->" << s.scaled << " at " << i;
        }
        // A large reduction reads every source pixel it covers: about four per
        // unit of reduction, so no detail falls between the taps.
        if (s.source >= 4 * s.scaled) EXPECT_GE(taps.count[s.scaled / 2], std::min(s.source, 4 * s.source / s.scaled - 1));
    }
    // The kernel: one at the centre, zero at whole distances and from 2 on, negative lobes between 1 and 2.
    EXPECT_EQ(CatmullRomWeight(0), 2LL * 4096 * 4096 * 4096);
    EXPECT_EQ(CatmullRomWeight(4096), 0);
    EXPECT_EQ(CatmullRomWeight(-4096), 0);
    EXPECT_EQ(CatmullRomWeight(8192), 0);
    EXPECT_LT(CatmullRomWeight(6144), 0);
    EXPECT_EQ(CatmullRomWeight(2048), CatmullRomWeight(-2048));
    EXPECT_THROW(ComputeResampleTaps(10, 5, 3, 3), std::invalid_argument);
}

TEST(Resample, SameSizeCopiesAndFlatColoursStayExactAtAnySize) {
    const Picture noise = Noise(37, 23, 1);
    EXPECT_EQ(Whole(noise, 37, 23).bgr, noise.bgr);
    Picture flat{29, 17, {}};
    for (int i = 0; i < 29 * 17; ++i) flat.bgr.insert(flat.bgr.end(), {12, 200, 255});
    const struct {
        int32_t w, h;
    } sizes[] = {{1, 1}, {3, 2}, {29, 17}, {100, 61}, {58, 9}, {7, 170}};
    for (const auto& s : sizes) {
        const Picture out = Whole(flat, s.w, s.h);
        for (size_t i = 0; i < out.bgr.size(); i += 3)
            ASSERT_EQ((std::vector<uint8_t>{out.bgr[i], out.bgr[i + 1], out.bgr[i + 2]}),
                      (std::vector<uint8_t>{12, 200, 255}))
                << s.w << "x" << s.h << " at " << i / 3;
    }
}

TEST(Resample, RowOrderAndWindowsGiveTheSameBytes) {
    const Picture noise = Noise(61, 47, 7);
    const struct {
        int32_t w, h;
    } sizes[] = {{20, 15}, {150, 90}, {61, 12}, {9, 140}};
    for (const auto& s : sizes) {
        const Picture down = Whole(noise, s.w, s.h);
        EXPECT_EQ(Whole(noise, s.w, s.h, true).bgr, down.bgr) << s.w << "x" << s.h;
        // The middle of the scaled picture, as a covering picture is cut.
        const ResampleWindow window{s.w / 4, s.h / 3, s.w / 2, s.h / 3};
        const Picture part = Resample(noise, s.w, s.h, window, true);
        for (int32_t y = 0; y < window.height; ++y)
            for (int32_t x = 0; x < 3 * window.width; ++x)
                ASSERT_EQ(part.bgr[3 * size_t(window.width) * y + x],
                          down.bgr[3 * size_t(s.w) * (y + window.y) + 3 * size_t(window.x) + x])
                    << s.w << "x" << s.h << " at " << x / 3 << "," << y;
    }
    // Rows a window never reads are not wanted.
    RowResampler resampler(100, 100, 10, 10, {0, 0, 10, 2}, [](int32_t, const uint8_t*) {});
    EXPECT_TRUE(resampler.Wanted(0));
    EXPECT_FALSE(resampler.Wanted(99));
}

TEST(Resample, LargeReductionsAverageFineDetailAndEnlargementsStayFaithful) {
    // Stripes one pixel wide, black and white: any reduction by a large factor
    // must give mid grey, not whichever stripes its taps happen to hit.
    Picture stripes{640, 8, {}};
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 640; ++x) stripes.bgr.insert(stripes.bgr.end(), 3, x % 2 ? 255 : 0);
    for (int32_t width : {13, 64, 101}) {
        const Picture out = Whole(stripes, width, 2);
        for (size_t i = 3; i + 3 < out.bgr.size() / 2; ++i)
            ASSERT_NEAR(out.bgr[i], 128, 3) << "to width " << width << " at " << i / 3;
    }
    // An enlarged smooth ramp stays a ramp: monotone, ends kept.
    Picture ramp{16, 1, {}};
    for (int32_t x = 0; x < 16; ++x) ramp.bgr.insert(ramp.bgr.end(), 3, static_cast<uint8_t>(x * 17));
    const Picture big = Whole(ramp, 160, 3);
    for (int32_t x = 1; x < 160; ++x) ASSERT_GE(big.bgr[3 * x], big.bgr[3 * (x - 1)]) << x;
    EXPECT_EQ(big.bgr[0], 0);
    EXPECT_EQ(big.bgr[3 * 159], 255);
}

// What a resampler holds stays a few rows, however large the enlargement or
// the reduction: a tiny picture on a 4K monitor holds no thousand rows.
TEST(Resample, HoldsAFewRowsWhateverTheScale) {
    const struct {
        int32_t sw, sh, w, h;
    } cases[] = {{2, 2, 64, 2160}, {70, 46, 300, 2000}, {8, 4000, 8, 3}, {30, 3000, 20, 1080}, {50, 50, 50, 50}};
    for (const auto& c : cases) {
        const Picture p = Noise(c.sw, c.sh, 3);
        size_t most = 0;
        RowResampler resampler(c.sw, c.sh, c.w, c.h, {0, 0, c.w, c.h}, [](int32_t, const uint8_t*) {});
        for (int32_t y = 0; y < c.sh; ++y) {
            resampler.Add(y, p.Row(y));
            most = std::max(most, resampler.Holding());
        }
        EXPECT_TRUE(resampler.Complete());
        EXPECT_LE(most, 6u) << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h;
        EXPECT_EQ(resampler.Holding(), 0u);
    }
}
