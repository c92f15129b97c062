// A picture sink that passes its rows on to another sink on a second thread,
// so a reader decodes the next rows while the rows before are scaled and
// written. Rows go on in bands through a few buffers of fixed size: memory
// stays a few bands, whatever the picture's size, and the rows reach the
// other sink in the order they came, so the result is the same bytes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "image/PictureReader.h"

class PipelinedSink final : public PictureSink {
public:
    // `target` gets Begin on the reader's thread, then every row on the second.
    explicit PipelinedSink(PictureSink& target, size_t bandBytes = size_t(256) << 10, int bands = 4);
    // Stops the second thread without waiting for the rows still queued
    // (where the reader failed and Finish was not reached).
    ~PipelinedSink();
    PipelinedSink(const PipelinedSink&) = delete;
    PipelinedSink& operator=(const PipelinedSink&) = delete;

    void Begin(const PixelFormat& format) override;
    uint8_t* RowBuffer(int32_t y) override;
    // Throws what the target threw for an earlier row, so the reader stops.
    void Row(int32_t y, const uint8_t* row) override;
    // After the reader's last row: waits until the target has every row, and
    // throws what the target threw.
    void Finish();

private:
    struct Band {
        std::vector<uint8_t> pixels;
        std::vector<int32_t> rows;  // y of each row held, in order
    };
    Band* Filling();     // the band the reader fills, taken from the free ones
    void Hand(Band* band);  // a filled band to the second thread
    void Pass();         // the second thread
    void Stop();

    PictureSink& target_;
    size_t bandBytes_;
    int bandCount_;
    size_t stride_ = 0;
    size_t bandRows_ = 0;
    std::vector<Band> bands_;
    Band* filling_ = nullptr;

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Band*> free_, full_;
    bool ended_ = false;     // no more bands come
    bool stopping_ = false;  // the second thread leaves at once
    std::exception_ptr failure_;  // what the target threw
    bool alone_ = false;          // the system gave no second thread: rows go on at once
    std::thread thread_;
};
