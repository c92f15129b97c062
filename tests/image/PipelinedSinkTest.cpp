// Rows handed to a second thread: every row once, in order and unchanged,
// through bands far smaller than the picture; and a failure on either side
// stops both without a hang.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "image/PipelinedSink.h"

namespace {

// Remembers what it gets; throws at row `failAt` if asked to.
class Recorder final : public PictureSink {
public:
    void Begin(const PixelFormat& format) override { format_ = format; }
    void Row(int32_t y, const uint8_t* row) override {
        if (y == failAt) throw std::runtime_error("the target's own failure");
        ys.push_back(y);
        rows.emplace_back(row, row + format_.Stride());
    }
    int32_t failAt = -1;
    std::vector<int32_t> ys;
    std::vector<std::vector<uint8_t>> rows;

private:
    PixelFormat format_;
};

std::vector<uint8_t> RowBytes(int32_t y, size_t stride) {
    std::vector<uint8_t> row(stride);
    for (size_t i = 0; i < stride; ++i) row[i] = static_cast<uint8_t>(y * 31 + i * 7);
    return row;
}

// A reader's rows: into the sink's buffer or from its own memory (alternating),
// top-down or bottom-up; a reader's own failure at row `failAt`.
void Read(PipelinedSink& sink, const PixelFormat& format, bool bottomUp, int32_t failAt = -1) {
    sink.Begin(format);
    for (int32_t i = 0; i < format.height; ++i) {
        const int32_t y = bottomUp ? format.height - 1 - i : i;
        if (y == failAt) throw std::runtime_error("the reader's own failure");
        const std::vector<uint8_t> bytes = RowBytes(y, format.Stride());
        if (i % 2 == 0) {
            uint8_t* into = sink.RowBuffer(y);
            std::copy(bytes.begin(), bytes.end(), into);
            sink.Row(y, into);
        } else {
            sink.Row(y, bytes.data());
        }
    }
}

TEST(PipelinedSink, EveryRowReachesTheTargetOnceInOrderAndUnchanged) {
    PixelFormat format;
    format.width = 37;  // rows with padding
    format.height = 301;
    for (const bool bottomUp : {false, true})
        for (const size_t bandBytes : {size_t(1), size_t(1000), size_t(1) << 20}) {
            Recorder target;
            PipelinedSink sink(target, bandBytes, 2);
            Read(sink, format, bottomUp);
            sink.Finish();
            ASSERT_EQ(target.ys.size(), size_t(format.height)) << bandBytes;
            for (int32_t i = 0; i < format.height; ++i) {
                const int32_t y = bottomUp ? format.height - 1 - i : i;
                ASSERT_EQ(target.ys[size_t(i)], y);
                ASSERT_EQ(target.rows[size_t(i)], RowBytes(y, format.Stride())) << "row " << y << ", bands of " << bandBytes;
            }
        }
}

TEST(PipelinedSink, AFailureOnEitherSideStopsBothWithoutAHang) {
    PixelFormat format;
    format.width = 64;
    format.height = 2000;
    // The target fails: the reader is stopped by the same exception, from
    // Row or at the latest from Finish, and the target gets nothing after it.
    for (const int32_t failAt : {0, 5, 1999}) {
        Recorder target;
        target.failAt = failAt;
        PipelinedSink sink(target, 64 * 3 * 4, 2);
        try {
            Read(sink, format, false);
            sink.Finish();
            ADD_FAILURE() << "no failure at row " << failAt;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "the target's own failure");
        }
        EXPECT_EQ(target.ys.size(), size_t(failAt));
    }
    // The reader fails: the sink is left without Finish, and its end stops
    // the second thread, whatever it still holds.
    Recorder target;
    {
        PipelinedSink sink(target, 64 * 3 * 4, 2);
        EXPECT_THROW(Read(sink, format, false, 1000), std::runtime_error);
    }
    EXPECT_LE(target.ys.size(), 1000u);
    for (size_t i = 0; i < target.ys.size(); ++i) ASSERT_EQ(target.ys[i], int32_t(i));
}

}  // namespace
