#include "image/PipelinedSink.h"

#include <algorithm>
#include <cstring>
#include <system_error>

PipelinedSink::PipelinedSink(PictureSink& target, size_t bandBytes, int bands)
    : target_(target), bandBytes_(bandBytes), bandCount_(std::max(bands, 2)) {}

PipelinedSink::~PipelinedSink() { Stop(); }

void PipelinedSink::Stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void PipelinedSink::Begin(const PixelFormat& format) {
    target_.Begin(format);
    stride_ = format.Stride();
    bandRows_ = std::clamp<size_t>(bandBytes_ / std::max<size_t>(stride_, 1), 1, 256);
    bands_.resize(static_cast<size_t>(bandCount_));
    for (Band& band : bands_) {
        band.pixels.resize(bandRows_ * stride_);
        band.rows.reserve(bandRows_);
        free_.push_back(&band);
    }
    try {
        thread_ = std::thread([this] { Pass(); });
    } catch (const std::system_error&) {
        alone_ = true;  // no second thread to be had: the rows go on here
    }
}

PipelinedSink::Band* PipelinedSink::Filling() {
    if (filling_) return filling_;
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return !free_.empty() || failure_; });
    if (failure_) std::rethrow_exception(failure_);
    filling_ = free_.front();
    free_.pop_front();
    filling_->rows.clear();
    return filling_;
}

void PipelinedSink::Hand(Band* band) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        full_.push_back(band);
    }
    changed_.notify_all();
}

uint8_t* PipelinedSink::RowBuffer(int32_t y) {
    if (alone_) return target_.RowBuffer(y);
    Band* band = Filling();
    return band->pixels.data() + band->rows.size() * stride_;
}

void PipelinedSink::Row(int32_t y, const uint8_t* row) {
    if (alone_) return target_.Row(y, row);
    Band* band = Filling();
    uint8_t* place = band->pixels.data() + band->rows.size() * stride_;
    if (row != place) std::memcpy(place, row, stride_);
    band->rows.push_back(y);
    if (band->rows.size() == bandRows_) {
        filling_ = nullptr;
        Hand(band);
    }
}

void PipelinedSink::Finish() {
    if (!thread_.joinable()) return;  // no Begin, or no second thread: nothing is queued
    if (filling_ && !filling_->rows.empty()) Hand(filling_);
    filling_ = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock_);
        ended_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (failure_) std::rethrow_exception(failure_);
}

void PipelinedSink::Pass() {
    for (;;) {
        Band* band = nullptr;
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [this] { return stopping_ || !full_.empty() || ended_; });
            if (stopping_ || full_.empty()) return;
            band = full_.front();
            full_.pop_front();
        }
        try {
            const uint8_t* pixels = band->pixels.data();
            for (const int32_t y : band->rows) {
                target_.Row(y, pixels);
                pixels += stride_;
            }
        } catch (...) {
            std::lock_guard<std::mutex> hold(lock_);
            failure_ = std::current_exception();
            changed_.notify_all();
            return;
        }
        {
            std::lock_guard<std::mutex> hold(lock_);
            free_.push_back(band);
        }
        changed_.notify_all();
    }
}
