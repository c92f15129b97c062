// The window toolkit under Wine: guarded dispatch, closing, timers, texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "WindowsTestSupport.h"
#include "toolkit/Forms.h"

using testing_support::Pump;

namespace {

const UINT kThrow = WM_APP + 1;
const UINT kCount = WM_APP + 2;
const UINT kThrowOther = WM_APP + 3;

class ProbeForm : public TForm {
public:
    ProbeForm() {
        Style style{"TProbeForm", "Probe", WS_OVERLAPPEDWINDOW, 0, 200, 100, RGB(1, 2, 3), nullptr};
        CreateHandle(style);
    }
    int counted = 0;
    int commands = 0;
    bool allowClose = true;
    int closeAsked = 0;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrow) throw std::runtime_error("Unable to write to C:\\x\\config.ini");
        if (message == kThrowOther) throw 42;
        if (message == kCount) return ++counted;
        if (message == WM_COMMAND) ++commands;
        return TForm::WndProc(message, wParam, lParam);
    }
    void DoClose(bool& allowed) override {
        ++closeAsked;
        allowed = allowClose;
    }
};

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application.OnException = [this](const std::exception& error) { reported.push_back(error.what()); };
    }
    void TearDown() override {
        Application.OnException = nullptr;
        Application.OnBusy = nullptr;
    }
    std::vector<std::string> reported;
};

}  // namespace

TEST_F(FormsTest, AnErrorEscapingAHandlerIsReportedAndTheWindowGoesOn) {
    ProbeForm form;
    ASSERT_TRUE(IsWindow(form.Handle()));
    SendMessageW(form.Handle(), kThrow, 0, 0);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], "Unable to write to C:\\x\\config.ini");

    // The window still answers messages after the failed handler.
    EXPECT_EQ(SendMessageW(form.Handle(), kCount, 0, 0), 1);
    EXPECT_TRUE(IsWindow(form.Handle()));

    // Posted messages pass the same guard.
    PostMessageW(form.Handle(), kThrow, 0, 0);
    PostMessageW(form.Handle(), kThrowOther, 0, 0);
    Pump();
    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[2], "Unexpected error");
    EXPECT_EQ(SendMessageW(form.Handle(), kCount, 0, 0), 2);
}

// The program tells the toolkit when it waits (for a plugin): meanwhile a
// command that would start work is dropped, and other messages are answered.
TEST_F(FormsTest, WhileTheProgramsHookSaysBusyCommandsAreDropped) {
    ProbeForm form;
    EXPECT_FALSE(Application.Busy()) << "never busy without the hook";
    bool busy = true;
    Application.OnBusy = [&busy] { return busy; };
    SendMessageW(form.Handle(), WM_COMMAND, 1, 0);
    EXPECT_EQ(form.commands, 0);
    EXPECT_EQ(SendMessageW(form.Handle(), kCount, 0, 0), 1);
    busy = false;
    SendMessageW(form.Handle(), WM_COMMAND, 1, 0);
    EXPECT_EQ(form.commands, 1);
}

TEST_F(FormsTest, CloseAsksTheCloseHandlerAndDestroysOnlyWhenAllowed) {
    ProbeForm form;
    HWND handle = form.Handle();
    form.allowClose = false;
    form.Close();
    EXPECT_EQ(form.closeAsked, 1);
    EXPECT_TRUE(IsWindow(handle));

    // The close box takes the same path.
    form.allowClose = true;
    SendMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(form.closeAsked, 2);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_TRUE(reported.empty());
}

TEST_F(FormsTest, ShowCentresTheWindowOnceAndHideHidesIt) {
    ProbeForm form;
    EXPECT_FALSE(form.Visible());
    form.Show();
    EXPECT_TRUE(form.Visible());
    RECT frame;
    GetWindowRect(form.Handle(), &frame);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((frame.left + frame.right) / 2, screenWidth / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, screenHeight / 2, 1);
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);

    // A window the user moved stays where it is when shown again.
    SetWindowPos(form.Handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    form.Hide();
    EXPECT_FALSE(form.Visible());
    form.Show();
    GetWindowRect(form.Handle(), &frame);
    EXPECT_EQ(frame.left, 10);
    EXPECT_EQ(frame.top, 20);
}

TEST_F(FormsTest, ATimerTicksThroughTheFormWhileEnabledAndStopsWhenDisabled) {
    ProbeForm form;
    TTimer timer(form, 7);
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 2) throw std::runtime_error("tick failed");
    };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    for (int i = 0; i < 500 && ticks < 3; ++i) {
        Pump();
        Sleep(10);
    }
    EXPECT_GE(ticks, 3);
    // A failing tick is reported like any handler's error, and the timer goes on.
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], "tick failed");

    timer.SetEnabled(false);
    Pump();
    const int stopped = ticks;
    Sleep(100);
    Pump();
    EXPECT_EQ(ticks, stopped);

    // Without a handler the timer does not run.
    TTimer idle(form, 8);
    idle.SetInterval(10);
    idle.SetEnabled(true);
    Sleep(50);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, form.Handle(), WM_TIMER, WM_TIMER, PM_NOREMOVE));
}

TEST_F(FormsTest, LongIntervalsRunAsSeveralSystemPeriodsAndRepeatedSettingsKeepTheCountdown) {
    ProbeForm form;
    TTimer timer(form, 9);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(3456000000u);  // 960 hours
    EXPECT_LE(timer.SystemPeriod(), static_cast<UINT>(USER_TIMER_MAXIMUM));
    EXPECT_GE(static_cast<uint64_t>(timer.SystemPeriod()) * timer.PeriodsPerTick(), 3456000000u);
    EXPECT_EQ(timer.PeriodsPerTick(), 2u);
    timer.SetInterval(0xFFFFFFFFu);
    EXPECT_LE(timer.SystemPeriod(), static_cast<UINT>(USER_TIMER_MAXIMUM));
    EXPECT_GE(static_cast<uint64_t>(timer.SystemPeriod()) * timer.PeriodsPerTick(), 0xFFFFFFFFu);

    // Only the last system period of an interval is a tick.
    const UINT periods = timer.PeriodsPerTick();
    for (UINT i = 1; i < periods; ++i) SendMessageW(form.Handle(), WM_TIMER, 9, 0);
    EXPECT_EQ(ticks, 0);
    // Setting what is already set does not restart the countdown.
    timer.SetInterval(0xFFFFFFFFu);
    timer.SetEnabled(true);
    SendMessageW(form.Handle(), WM_TIMER, 9, 0);
    EXPECT_EQ(ticks, 1);

    // Short intervals are one system period each.
    timer.SetInterval(60000);
    EXPECT_EQ(timer.SystemPeriod(), 60000u);
    EXPECT_EQ(timer.PeriodsPerTick(), 1u);
    SendMessageW(form.Handle(), WM_TIMER, 9, 0);
    EXPECT_EQ(ticks, 2);
}

// A tick whose handler waits on messages (as an error box does) is not entered
// again; a system timer that cannot be made is an error of the enabling call.
TEST_F(FormsTest, ARunningTickGetsNoNestedTicksAndAFailedSystemTimerIsAnError) {
    ProbeForm form;
    TTimer timer(form, 10);
    int depth = 0, deepest = 0, ticks = 0;
    timer.OnTimer = [&] {  // each tick waits on messages for a while, as an error box does
        deepest = std::max(deepest, ++depth);
        ++ticks;
        for (int i = 0; i < 10; ++i, Sleep(10)) Pump();
        --depth;
    };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    for (int i = 0; i < 500 && ticks < 2; ++i, Sleep(10)) Pump();
    EXPECT_GE(ticks, 2);
    EXPECT_EQ(deepest, 1);

    // The window is gone behind the form's back: the system refuses the timer.
    TTimer orphan(form, 11);
    orphan.OnTimer = [] {};
    SetWindowLongPtrW(form.Handle(), GWLP_USERDATA, 0);
    DestroyWindow(form.Handle());
    EXPECT_EQ(testing_support::ThrownText([&] { orphan.SetInterval(50); }), "Not enough timers available");
}

// While an error box (the hook, pumping as a box does) is open, no tick, command or other box comes.
TEST_F(FormsTest, OneErrorBoxAtATimeAndNoWorkStartsBehindIt) {
    ProbeForm form;
    TTimer timer(form, 12);
    int depth = 0, deepest = 0;
    timer.OnTimer = [] { throw std::runtime_error("tick failed"); };
    Application.OnException = [&](const std::exception& error) {
        reported.push_back(error.what());
        deepest = std::max(deepest, ++depth);
        PostMessageW(form.Handle(), WM_COMMAND, 1, 0);
        PostMessageW(form.Handle(), kThrow, 0, 0);
        for (int i = 0; i < 5; ++i, Sleep(10)) Pump();
        --depth;
    };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    for (int i = 0; i < 500 && reported.size() < 2; ++i, Sleep(10)) Pump();
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(form.commands, 0);
    EXPECT_GE(reported.size(), 2u);
    EXPECT_EQ(reported, std::vector<std::string>(reported.size(), "tick failed"));
}

TEST(Texts, FixedTextsAreUtf8AndPathsAreAnsi) {
    EXPECT_EQ(WideFromUtf8("\xD0\x92\xD1\x8B\xD1\x85\xD0\xBE\xD0\xB4"), L"\u0412\u044B\u0445\u043E\u0434");
    EXPECT_EQ(WideFromAnsi("C:\\Pictures"), L"C:\\Pictures");
    EXPECT_EQ(WideFromUtf8(""), L"");
}
