// TGIFAnimator: shows a TGIFImage and plays its frames at their own delays,
// composing each onto the ones before it by the GIF disposal rules. Its ticks
// come from a TThreadTimer and run on the GUI thread.
#pragma once

#include <functional>

#include "gif/GIFCompose.h"
#include "gif/GIFImage.h"
#include "toolkit/ImageControl.h"
#include "toolkit/ThreadTimer.h"

class TGIFAnimator : public TImageControl {
public:
    TGIFAnimator();
    ~TGIFAnimator() override;

    bool AsyncDrawing() const { return asyncDrawing_; }
    void SetAsyncDrawing(bool value);
    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    int FrameIndex() const { return frameIndex_; }
    void SetFrameIndex(int value);
    // The picture, owned by the control; loading it (ReadGIFResource, ...)
    // restarts the animation at its first frame.
    TGIFImage& Image() { return image_; }
    void SetImage(const TGIFImage& image);  // copies
    bool Loop() const { return loop_; }
    void SetLoop(bool value) { loop_ = value; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

    std::function<void()> OnChange;
    std::function<void()> OnFrameChanged;
    std::function<void()> OnStart;
    std::function<void()> OnStop;

    // The timer's tick: the next frame (public for tests that step by hand).
    void Tick();
    TThreadTimer& Timer() { return timer_; }
    const TGIFComposer& Composer() const { return composer_; }

protected:
    void Paint(TDibCanvas& canvas) override;

private:
    void ImageChanged();
    void PictureChanged();
    void ApplyAutoSize();
    void SetLayoutFlag(bool& flag, bool value);

    TThreadTimer timer_;
    TGIFImage image_;
    TGIFComposer composer_;
    bool asyncDrawing_ = false;
    bool animate_ = false;
    bool autoSize_ = true;
    bool center_ = false;
    int frameIndex_ = 0;
    bool loop_ = true;
    bool stretch_ = false;
    bool transparent_ = true;
    bool timerRepaint_ = false;
    bool destroying_ = false;
};
