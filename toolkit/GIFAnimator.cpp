#include "toolkit/GIFAnimator.h"

#include "toolkit/Win32.h"

TGIFAnimator::TGIFAnimator() {
    image_.OnChange = [this] { ImageChanged(); };
}

TGIFAnimator::~TGIFAnimator() {
    destroying_ = true;
    OnChange = OnFrameChanged = OnStart = OnStop = nullptr;
    SetAnimate(false);
    composer_.Clear();
    image_.OnChange = nullptr;
}

void TGIFAnimator::SetAnimate(bool value) {
    if (value) {
        timer_.SetOnTimer([this] { Tick(); });
        timer_.SetEnabled(true);
        animate_ = timer_.Enabled();
        if (OnStart) OnStart();
    } else {
        timer_.SetEnabled(false);
        timer_.SetOnTimer(nullptr);
        animate_ = false;
        if (OnStop) OnStop();  // also when it was not playing
        PictureChanged();
    }
}

void TGIFAnimator::SetAsyncDrawing(bool value) {
    if (value == asyncDrawing_) return;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    asyncDrawing_ = value;
    timer_.SetSyncEvent(!value);
}

void TGIFAnimator::SetAutoSize(bool value) {
    autoSize_ = value;
    ApplyAutoSize();
}

void TGIFAnimator::SetLayoutFlag(bool& flag, bool value) {
    if (flag == value) return;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        flag = value;
    }
    PictureChanged();
    if (animate_) Repaint();
}

void TGIFAnimator::SetCenter(bool value) { SetLayoutFlag(center_, value); }
void TGIFAnimator::SetStretch(bool value) { SetLayoutFlag(stretch_, value); }
void TGIFAnimator::SetTransparent(bool value) { SetLayoutFlag(transparent_, value); }

void TGIFAnimator::SetFrameIndex(int value) {
    if (value == frameIndex_ || value < 0 || value >= image_.FrameCount()) return;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        frameIndex_ = value;
        timer_.SetInterval(TimerDelayOfFrame(image_, frameIndex_));
    }
    if (OnFrameChanged) OnFrameChanged();
    PictureChanged();
}

void TGIFAnimator::SetImage(const TGIFImage& image) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    image_.Assign(image);  // raises the image's change event
}

void TGIFAnimator::ImageChanged() {
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        composer_.Clear();
        frameIndex_ = image_.CurrentIndex();
        if (frameIndex_ >= 0 && image_.FrameCount() > 0) timer_.SetInterval(TimerDelayOfFrame(image_, frameIndex_));
    }
    PictureChanged();
    if (OnChange) OnChange();
}

void TGIFAnimator::ApplyAutoSize() {
    if (!autoSize_ || image_.Empty()) return;
    const RECT bounds = BoundsRect();
    SetBounds(bounds.left, bounds.top, image_.LogicalWidth(), image_.LogicalHeight());
}

void TGIFAnimator::PictureChanged() {
    if (destroying_) return;
    ApplyAutoSize();
    // On a true-colour display there is no palette to realise.
    image_.PaletteModified = false;
    if (!Drawing()) Invalidate();
}

void TGIFAnimator::Tick() {
    if (Drawing() || !Visible() || image_.FrameCount() < 2 || !Parent()) return;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    frameIndex_ = frameIndex_ + 1 >= image_.FrameCount() ? 0 : frameIndex_ + 1;
    timerRepaint_ = true;
    try {
        if (OnFrameChanged) {
            if (asyncDrawing_)
                timer_.Synchronize(OnFrameChanged);
            else
                OnFrameChanged();
        }
        if (GetWindowThreadProcessId(Handle(), nullptr) == GetCurrentThreadId()) {
            Repaint();
        } else if (const WindowDC dc(Handle()); dc) {
            PaintTo(dc);
        }
    } catch (...) {
        timerRepaint_ = false;
        timer_.SetInterval(TimerDelayOfFrame(image_, frameIndex_));
        throw;
    }
    timerRepaint_ = false;
    if (frameIndex_ >= 0 && frameIndex_ < image_.FrameCount())
        timer_.SetInterval(TimerDelayOfFrame(image_, frameIndex_));
    if (!loop_ && frameIndex_ == 0) {
        if (asyncDrawing_)
            timer_.Synchronize([this] { SetAnimate(false); });
        else
            SetAnimate(false);
    }
}

void TGIFAnimator::Paint(TDibCanvas& canvas) {
    const bool empty = image_.Empty();
    if (image_.Transparent() || empty) CopyParentBackground(canvas);
    if (empty || image_.LogicalWidth() < 1 || image_.LogicalHeight() < 1) return;

    std::lock_guard<std::recursive_mutex> guard(lock_);
    TColor transparent = clNone;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const Bitmap& composite = composer_.Compose(image_, frameIndex_, window, transparent_, transparent);

    const int width = canvas.Width(), height = canvas.Height();
    RECT dest;
    if (stretch_)
        dest = RECT{0, 0, width, height};
    else if (center_)
        dest = RECT{(width - composite.width) / 2, (height - composite.height) / 2, 0, 0};
    else
        dest = RECT{0, 0, 0, 0};
    if (!stretch_) {
        dest.right = dest.left + composite.width;
        dest.bottom = dest.top + composite.height;
    }
    const TColor key = transparent != clNone && transparent_ ? transparent : clNone;
    const int destWidth = dest.right - dest.left, destHeight = dest.bottom - dest.top;
    if (stretch_ && key == clNone && (destWidth != composite.width || destHeight != composite.height)) {
        // A picture drawn larger or smaller than it is (a screen of another
        // scale) is smoothed, not repeated pixel by pixel.
        BITMAPINFO info = TopDownBitmapInfo(composite.width, composite.height, 32);
        SetStretchBltMode(canvas.DC(), HALFTONE);
        SetBrushOrgEx(canvas.DC(), 0, 0, nullptr);
        StretchDIBits(canvas.DC(), dest.left, dest.top, destWidth, destHeight, 0, 0, composite.width,
                      composite.height, composite.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    Bitmap pixels;
    canvas.ReadInto(pixels);
    StretchBitmapInto(pixels, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, composite, key);
    canvas.WriteFrom(pixels);
}
