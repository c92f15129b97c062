// A timer whose ticks come from a thread of its own (TTimerThread), which
// sleeps for the interval (never polls) and hands each tick to the GUI thread
// while it waits. The window-timer mode of the toolkit's component is not
// built: nothing in the program uses it.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThreadTimer;

// The sleeping thread of one TThreadTimer; created suspended with the timer.
class TTimerThread {
public:
    explicit TTimerThread(TThreadTimer& owner);
    ~TTimerThread();  // tells the thread to end and waits for it
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    void Suspend();
    // Starts (or restarts) a sleep of `interval` ms at the given priority.
    void Resume(uint32_t interval, TThreadPriority priority);
    bool Suspended() const;
    bool Running() const { return !ending_; }

private:
    void Execute();

    TThreadTimer& owner_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool suspended_ = true;
    bool terminated_ = false;
    std::atomic<bool> ending_{false};
    uint32_t interval_ = 1000;
    unsigned generation_ = 0;  // bumped by every re-arm: a sleep in progress starts again
    TThreadPriority priority_ = tpNormal;
    bool priorityChanged_ = false;
    HANDLE finished_;
    std::thread thread_;
};

class TThreadTimer {
public:
    TThreadTimer();
    ~TThreadTimer();
    TThreadTimer(const TThreadTimer&) = delete;
    TThreadTimer& operator=(const TThreadTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t milliseconds);
    bool SyncEvent() const { return syncEvent_; }
    void SetSyncEvent(bool value) { syncEvent_ = value; }
    TThreadPriority ThreadPriority() const { return priority_; }
    void SetThreadPriority(TThreadPriority value);
    const std::function<void()>& OnTimer() const { return onTimer_; }
    void SetOnTimer(std::function<void()> handler);

    // Runs `call` on the GUI thread while the caller waits; directly when the
    // caller is the GUI thread or the timer thread is not running.
    void Synchronize(const std::function<void()>& call);
    // The thread sleeps (true) or waits to be resumed (false).
    bool ThreadSuspended() const { return thread_ ? thread_->Suspended() : true; }
    // Ticks delivered so far, and those the timer thread delivered.
    unsigned TickCount() const { return ticks_; }

private:
    friend class TTimerThread;
    void Rearm();
    void DeliverTick();  // on the timer thread
    void Tick();         // the tick itself
    static LRESULT CALLBACK SyncWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool enabled_ = true;
    uint32_t interval_ = 1000;
    std::atomic<bool> syncEvent_{true};
    TThreadPriority priority_ = tpNormal;
    std::function<void()> onTimer_;
    std::atomic<bool> destroying_{false};
    bool inTick_ = false;
    std::atomic<unsigned> ticks_{0};
    DWORD guiThread_;
    HWND syncWindow_ = nullptr;
    TTimerThread* thread_ = nullptr;
};
