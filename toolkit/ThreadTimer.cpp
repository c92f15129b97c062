#include "toolkit/ThreadTimer.h"

#include <chrono>
#include <stdexcept>

#include "toolkit/Forms.h"

namespace {

const wchar_t kSyncClass[] = L"TThreadTimerSync";
const UINT kRunCall = WM_APP + 0x51;

int PriorityValue(TThreadPriority priority) {
    static const int values[] = {THREAD_PRIORITY_IDLE,   THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
                                 THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                 THREAD_PRIORITY_TIME_CRITICAL};
    return values[priority];
}

}  // namespace

// ---- TTimerThread ----

TTimerThread::TTimerThread(TThreadTimer& owner)
    : owner_(owner), finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!finished_) throw std::runtime_error("Cannot create the timer thread");
    thread_ = std::thread([this] { Execute(); });
}

TTimerThread::~TTimerThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        terminated_ = true;
        ending_ = true;
    }
    wake_.notify_all();
    // The thread may be handing a tick to this (GUI) thread: answer sent
    // messages while waiting, so that it can finish.
    while (MsgWaitForMultipleObjects(1, &finished_, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    thread_.join();
    CloseHandle(finished_);
}

void TTimerThread::Suspend() {
    std::lock_guard<std::mutex> lock(mutex_);
    suspended_ = true;
    ++generation_;
}

void TTimerThread::Resume(uint32_t interval, TThreadPriority priority) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        interval_ = interval;
        if (priority != priority_) {
            priority_ = priority;
            priorityChanged_ = true;
        }
        suspended_ = false;
        ++generation_;
    }
    wake_.notify_all();
}

bool TTimerThread::Suspended() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return suspended_;
}

void TTimerThread::Execute() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!terminated_) {
        if (priorityChanged_) {
            SetThreadPriority(GetCurrentThread(), PriorityValue(priority_));
            priorityChanged_ = false;
        }
        if (suspended_) {
            wake_.wait(lock, [this] { return terminated_ || !suspended_; });
            continue;
        }
        const unsigned generation = generation_;
        const auto interval = std::chrono::milliseconds(interval_);
        // Sleeps the whole interval unless re-armed, suspended or told to end.
        if (wake_.wait_for(lock, interval, [&] { return terminated_ || generation_ != generation; })) continue;
        lock.unlock();
        owner_.DeliverTick();
        lock.lock();
    }
    lock.unlock();
    SetEvent(finished_);
}

// ---- TThreadTimer ----

TThreadTimer::TThreadTimer() : guiThread_(GetCurrentThreadId()) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(kSyncClass, SyncWndProc);
    syncWindow_ = CreateWindowExW(0, kSyncClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!syncWindow_) throw std::runtime_error("Cannot create the timer's window");
    AttachObject(syncWindow_, this);
    thread_ = new TTimerThread(*this);
}

TThreadTimer::~TThreadTimer() {
    destroying_ = true;
    enabled_ = false;
    onTimer_ = nullptr;
    delete thread_;
    thread_ = nullptr;
    DestroyWindow(syncWindow_);
}

void TThreadTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    Rearm();
}

void TThreadTimer::SetInterval(uint32_t milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Rearm();
}

void TThreadTimer::SetThreadPriority(TThreadPriority value) {
    if (value == priority_) return;
    priority_ = value;
    Rearm();
}

void TThreadTimer::SetOnTimer(std::function<void()> handler) {
    const bool changes = static_cast<bool>(handler) != static_cast<bool>(onTimer_);
    onTimer_ = std::move(handler);
    if (changes) Rearm();
}

void TThreadTimer::Rearm() {
    if (!thread_) return;
    thread_->Suspend();
    if (interval_ != 0 && enabled_ && onTimer_) thread_->Resume(interval_, priority_);
}

void TThreadTimer::DeliverTick() {
    if (destroying_ || !enabled_) return;
    if (syncEvent_) {
        std::function<void()> tick = [this] { Tick(); };
        SendMessageW(syncWindow_, kRunCall, reinterpret_cast<WPARAM>(&tick), 0);
    } else {
        TForm::Guarded([this] { Tick(); });
    }
}

void TThreadTimer::Tick() {
    if (!enabled_ || destroying_ || !onTimer_) return;
    // A tick that is still running (an error box it opened answers sent
    // messages) is not entered again.
    if (inTick_) return;
    inTick_ = true;
    ++ticks_;
    try {
        const std::function<void()> handler = onTimer_;
        handler();
    } catch (...) {
        inTick_ = false;
        throw;
    }
    inTick_ = false;
}

void TThreadTimer::Synchronize(const std::function<void()>& call) {
    if (GetCurrentThreadId() == guiThread_ || !thread_ || thread_->Suspended() || !thread_->Running()) {
        call();
        return;
    }
    SendMessageW(syncWindow_, kRunCall, reinterpret_cast<WPARAM>(&call), 0);
}

LRESULT CALLBACK TThreadTimer::SyncWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunCall) {
        auto* timer = AttachedObject<TThreadTimer>(window);
        if (!timer || timer->destroying_) return 0;
        const auto* call = reinterpret_cast<const std::function<void()>*>(wParam);
        TForm::Guarded(*call);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
