// The banner control under Wine: its timer thread, the playing rules and what
// it paints.
#include <gtest/gtest.h>

#include <vector>

#include "WindowsTestSupport.h"
#include "tests/gif/GifBuilder.h"
#include "toolkit/Forms.h"
#include "toolkit/GIFAnimator.h"

using namespace gif_test;
using testing_support::Pump;
using testing_support::PumpUntil;

namespace {

const COLORREF kParentColor = RGB(10, 20, 30);
const std::vector<Rgb> kColours = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

class HostForm : public TForm {
public:
    HostForm() {
        Style style{"TAnimatorHost", "Host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 200, 120, kParentColor, nullptr};
        CreateHandle(style);
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    }
};

// Frames of 4 x 4, each one colour, with the given delays in hundredths.
Bytes Frames(const std::vector<unsigned>& delays) {
    GifBuilder b;
    b.Screen(4, 4, kColours);
    uint8_t colour = 1;
    for (unsigned delay : delays) {
        b.GraphicControl(delay).Image(0, 0, 4, 4, std::vector<uint8_t>(16, colour), 2);
        colour = uint8_t(colour % 3 + 1);
    }
    return b.Trailer().bytes;
}

void Load(TGIFAnimator& animator, const Bytes& bytes) { animator.Image().LoadFromMemory(bytes.data(), bytes.size()); }

// Paints the control into a bitmap of its size and reads one pixel.
class Painted {
public:
    explicit Painted(TGIFAnimator& animator) : canvas_(animator.Width(), animator.Height()) {
        animator.PaintTo(canvas_.DC());
    }
    COLORREF At(int x, int y) { return GetPixel(canvas_.DC(), x, y); }

private:
    TDibCanvas canvas_;
};

}  // namespace

TEST(GIFAnimator, PlaysOnTheGuiThreadAtTheFramesDelays) {
    HostForm host;
    TGIFAnimator animator;
    animator.CreateHandle(host.Handle(), 0, 0, 50, 50);
    Load(animator, Frames({0, 5, 2}));
    EXPECT_EQ(animator.Width(), 4) << "AutoSize takes the logical screen";
    EXPECT_EQ(animator.Timer().Interval(), 50u) << "frame 0's delay of 0 plays at 50 ms";

    std::vector<int> seen;
    std::vector<DWORD> threads;
    animator.OnFrameChanged = [&] {
        seen.push_back(animator.FrameIndex());
        threads.push_back(GetCurrentThreadId());
    };
    int started = 0;
    animator.OnStart = [&] { ++started; };
    animator.SetAnimate(true);
    EXPECT_EQ(started, 1);
    ASSERT_TRUE(PumpUntil([&] { return seen.size() >= 6; }));
    animator.SetAnimate(false);
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 6), (std::vector<int>{1, 2, 0, 1, 2, 0}));
    for (DWORD thread : threads) EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_TRUE(animator.Timer().ThreadSuspended()) << "a stopped animator's thread waits";
}

TEST(GIFAnimator, ASingleFrameGetsNoTicksAndIsShown) {
    HostForm host;
    TGIFAnimator animator;
    animator.CreateHandle(host.Handle(), 0, 0, 4, 4);
    animator.SetAnimate(true);
    Load(animator, Frames({100}));
    EXPECT_EQ(animator.Timer().Interval(), 0u);
    EXPECT_TRUE(animator.Timer().ThreadSuspended());
    const unsigned before = animator.Timer().TickCount();
    Sleep(300);
    Pump();
    EXPECT_EQ(animator.Timer().TickCount(), before);
    Painted painted(animator);
    EXPECT_EQ(painted.At(2, 2), RGB(255, 0, 0));
}

TEST(GIFAnimator, WithoutLoopPlayingStopsBackAtFrameZero) {
    HostForm host;
    TGIFAnimator animator;
    animator.CreateHandle(host.Handle(), 0, 0, 4, 4);
    Load(animator, Frames({10, 20, 2000}));
    animator.SetLoop(false);
    int stops = 0;
    animator.OnStop = [&] { ++stops; };
    animator.SetAnimate(true);
    animator.Tick();
    EXPECT_EQ(animator.FrameIndex(), 1);
    EXPECT_EQ(animator.Timer().Interval(), 200u);
    animator.Tick();
    EXPECT_EQ(animator.Timer().Interval(), 10000u) << "20 s is limited to 10 s";
    EXPECT_TRUE(animator.Animate());
    animator.Tick();
    EXPECT_EQ(animator.FrameIndex(), 0);
    EXPECT_FALSE(animator.Animate());
    EXPECT_EQ(stops, 1);
    animator.SetAnimate(false);
    EXPECT_EQ(stops, 2) << "turning Animate off raises OnStop every time";
    Painted painted(animator);
    EXPECT_EQ(painted.At(0, 0), RGB(255, 0, 0)) << "frame 0 is shown";
}

TEST(GIFAnimator, FrameIndexOutsideTheFramesIsIgnoredAndReloadRestarts) {
    HostForm host;
    TGIFAnimator animator;
    animator.CreateHandle(host.Handle(), 0, 0, 4, 4);
    Load(animator, Frames({30, 40, 50}));
    int changes = 0;
    animator.OnFrameChanged = [&] { ++changes; };
    animator.SetFrameIndex(-1);
    animator.SetFrameIndex(3);
    animator.SetFrameIndex(0);  // unchanged
    EXPECT_EQ(changes, 0);
    animator.SetFrameIndex(2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(animator.Timer().Interval(), 500u);
    EXPECT_EQ(Painted(animator).At(1, 1), RGB(0, 0, 255));

    // Reloading while playing keeps playing, from frame 0 with its delay.
    animator.SetAnimate(true);
    int pictureChanges = 0;
    animator.OnChange = [&] { ++pictureChanges; };
    Load(animator, Frames({70, 10}));
    EXPECT_TRUE(animator.Animate());
    EXPECT_EQ(animator.FrameIndex(), 0);
    EXPECT_EQ(animator.Timer().Interval(), 700u);
    EXPECT_EQ(pictureChanges, 1);
    EXPECT_EQ(Painted(animator).At(1, 1), RGB(255, 0, 0));

    // A copy assigned to the control shares the data and shows the same.
    TGIFImage other;
    const Bytes bytes = Frames({10, 10, 10});
    other.LoadFromMemory(bytes.data(), bytes.size());
    animator.SetImage(other);
    EXPECT_TRUE(animator.Image().Equals(other));
    EXPECT_EQ(animator.Image().FrameCount(), 3);
}

TEST(GIFAnimator, PlacementOfAPictureLargerOrSmallerThanTheControl) {
    // 8 x 8: the left half red, the right half green, the bottom-right quarter blue.
    std::vector<uint8_t> pixels(64);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) pixels[size_t(y * 8 + x)] = uint8_t(x < 4 ? 1 : (y < 4 ? 2 : 3));
    const Bytes bytes = GifBuilder().Screen(8, 8, kColours).Image(0, 0, 8, 8, pixels, 2).Trailer().bytes;

    HostForm host;
    TGIFAnimator animator;
    animator.SetAutoSize(false);
    animator.CreateHandle(host.Handle(), 0, 0, 4, 4);
    Load(animator, bytes);
    EXPECT_EQ(Painted(animator).At(3, 3), RGB(255, 0, 0)) << "drawn at (0, 0), clipped";
    animator.SetCenter(true);
    EXPECT_EQ(Painted(animator).At(0, 0), RGB(255, 0, 0)) << "centred at (-2, -2)";
    EXPECT_EQ(Painted(animator).At(3, 3), RGB(0, 0, 255));
    animator.SetStretch(true);
    EXPECT_EQ(Painted(animator).At(3, 0), RGB(0, 255, 0)) << "stretched over the control";

    // A picture smaller than the control: the rest shows the control's colour.
    animator.SetStretch(false);
    animator.SetCenter(false);
    animator.SetBounds(0, 0, 12, 12);
    EXPECT_EQ(Painted(animator).At(10, 10), kParentColor);
}

TEST(GIFAnimator, TransparentAreasShowTheParentOnlyWhenTransparentIsOn) {
    // One frame, index 0 transparent, covering the left half only.
    const Bytes bytes =
        GifBuilder().Screen(8, 4, kColours).GraphicControl(0, 0).Image(0, 0, 4, 4, std::vector<uint8_t>(16, 2), 2).Trailer().bytes;
    HostForm host;
    TGIFAnimator animator;
    animator.CreateHandle(host.Handle(), 0, 0, 8, 4);
    Load(animator, bytes);
    EXPECT_EQ(Painted(animator).At(6, 1), kParentColor);
    EXPECT_EQ(Painted(animator).At(1, 1), RGB(0, 255, 0));
    animator.SetTransparent(false);
    EXPECT_EQ(Painted(animator).At(6, 1), RGB(0, 0, 0)) << "the fill: the frame's transparent colour";
}

TEST(ThreadTimer, ReArmsOnlyOnChangesAndEndsWhileTicking) {
    {
        TThreadTimer timer;
        EXPECT_TRUE(timer.ThreadSuspended()) << "no handler: no ticks";
        int ticks = 0;
        timer.SetInterval(20);
        timer.SetOnTimer([&] { ++ticks; });
        EXPECT_FALSE(timer.ThreadSuspended());
        ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
        timer.SetEnabled(false);
        EXPECT_TRUE(timer.ThreadSuspended());
        const int stopped = ticks;
        Sleep(100);
        Pump();
        EXPECT_EQ(ticks, stopped);
        timer.SetEnabled(true);
        timer.SetInterval(0);
        EXPECT_TRUE(timer.ThreadSuspended()) << "an interval of 0 gives no ticks";
        timer.SetInterval(1);
        Sleep(50);  // the thread is now waiting for this thread to take its tick
    }  // destroyed without pumping: it must not wait forever
    SUCCEED();
}
