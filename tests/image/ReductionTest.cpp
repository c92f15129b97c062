// Area reduction, as the preview uses it.
#include <gtest/gtest.h>

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
