#include "app/SingleInstance.h"

#include <sddl.h>

#include <algorithm>
#include <vector>

#include "toolkit/Forms.h"
#include "ui/Main.h"

namespace {

const wchar_t kWindowClass[] = L"TavrinWallpaper.HandOver";

// Sent by a later start to the first copy's hand-over window; wParam is what
// the start asks (a TSingleInstance::Request). The first copy answers kTaken.
constexpr UINT kHandOverMessage = WM_APP + 1;
// Posted by the first copy to itself: a request waits to be carried out.
constexpr UINT kRunPendingMessage = WM_APP + 2;
// While the program is in the middle of something, the requests are looked at
// again this often.
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMs = 100;
constexpr LRESULT kTaken = 0x54575031;  // "TWP1"; an unknown window answers 0

// How long a later start waits for one answer, and in all. The first copy may
// be in the middle of a change (a large picture, a plugin) or of its own start.
constexpr DWORD kAnswerLimitMs = 15000;
constexpr DWORD kClaimLimitMs = 60000;
// While a copy closes, a later start looks this often whether it has ended.
constexpr DWORD kClosingPollMs = 100;
// Asked of the hand-over window: how many starts this copy has told that it
// is closing (they wait for it to end). What a test watches for.
constexpr UINT kClosingAnswersMessage = WM_APP + 3;

std::wstring UserSidText() {
    std::wstring text;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return text;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    wchar_t* sid = nullptr;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return text;
}

std::wstring UserNameText() {
    wchar_t name[257] = {};
    DWORD size = 257;
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

// The tray menu's item that a word stands for.
UINT TrayCommand(TSingleInstance::Request request) {
    switch (request) {
    case TSingleInstance::Request::Next:
        return CmdTrayNext;
    case TSingleInstance::Request::Previous:
        return CmdTrayPrevious;
    case TSingleInstance::Request::Settings:
        return CmdTraySettings;
    case TSingleInstance::Request::Exit:
        return CmdTrayExit;
    case TSingleInstance::Request::Open:
        return CmdTrayOpenPicture;
    case TSingleInstance::Request::Folder:
        return CmdTrayShowInFolder;
    default:
        return 0;
    }
}

}  // namespace

std::wstring TSingleInstance::InstanceName() {
    // Local\ is the session's; the user's SID keeps apart two users in one
    // session (a program started as another user), and a user's own copies
    // wherever the program file lies.
    std::wstring user = UserSidText();
    if (user.empty()) user = UserNameText();
    return L"TavrinWallpaper-" + user;
}

TSingleInstance::Claim TSingleInstance::ClaimSession(Request request) {
    const std::wstring name = InstanceName();
    mutex_ = CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str());
    // No mutex to be had at all: the program runs as it would alone.
    if (!mutex_) return Claim::First;
    // The limit counts the time without an answer: a copy that answers, even
    // that it is closing, is alive and is waited for.
    DWORD start = GetTickCount();
    for (;;) {
        // Owned by the first copy's main thread for its whole run; released (or
        // abandoned) only when that copy ends.
        const DWORD wait = WaitForSingleObject(mutex_, 0);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) break;
        // The first copy makes its window right after it took the mutex.
        if (HWND first = FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, name.c_str())) {
            DWORD process = 0;
            GetWindowThreadProcessId(first, &process);
            // This start came from the user and may take the foreground: it
            // passes that right on to the copy that may show its window.
            if (request != Request::Nothing && request != Request::Exit && process)
                AllowSetForegroundWindow(process);
            DWORD_PTR answer = 0;
            // The start's process id goes along: a send that timed out may
            // still be handled, and the copy takes each start's word once.
            if (SendMessageTimeoutW(first, kHandOverMessage, static_cast<WPARAM>(request), GetCurrentProcessId(),
                                    SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerLimitMs, &answer)) {
                if (static_cast<LRESULT>(answer) == kTaken) return Claim::HandedOver;
                // It answered that it is closing (it may be finishing a
                // change): this start waits for it to end, however long that
                // takes, and then claims the session again. Of several such
                // starts one runs in its place and the others hand over to it.
                bool owned = false;
                while (!owned && IsWindow(first)) {
                    const DWORD ended = WaitForSingleObject(mutex_, kClosingPollMs);
                    owned = ended == WAIT_OBJECT_0 || ended == WAIT_ABANDONED;
                }
                if (owned) break;
                start = GetTickCount();
                continue;
            }
        }
        if (GetTickCount() - start > kClaimLimitMs) return Claim::NoAnswer;
        Sleep(50);
    }
    owned_ = true;

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
    window_ = CreateWindowExW(0, kWindowClass, name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    // A later start from a lower integrity level (this copy runs elevated) may
    // still hand over.
    if (window_) ChangeWindowMessageFilterEx(window_, kHandOverMessage, MSGFLT_ALLOW, nullptr);
    return Claim::First;
}

void TSingleInstance::Queue(Request request) {
    if (request == Request::Nothing) return;
    // Many starts without a word while the copy is busy bring the window up once.
    if (request == Request::BringUp && !pending_.empty() && pending_.back() == Request::BringUp) return;
    pending_.push_back(request);
    if (running_ && window_) PostMessageW(window_, kRunPendingMessage, 0, 0);
}

void TSingleInstance::MessageLoopStarts() {
    running_ = true;
    if (!pending_.empty() && window_) PostMessageW(window_, kRunPendingMessage, 0, 0);
}

TSingleInstance::~TSingleInstance() {
    if (window_) DestroyWindow(window_);
    if (owned_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}

bool TSingleInstance::Closing() const {
    return ended_ || Application.Closing() || Application.ClosePending() ||
           std::find(pending_.begin(), pending_.end(), Request::Exit) != pending_.end() ||
           (running_ && (!Form1 || !Form1->Handle()));
}

namespace {

// A start told apart from any later process given the same id: its id and
// the moment it was made.
TSingleInstance::StartId IdentifyStart(DWORD process) {
    uint64_t made = 0;
    if (HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
        FILETIME creation, exit, kernel, user;
        if (GetProcessTimes(handle, &creation, &exit, &kernel, &user))
            made = static_cast<uint64_t>(creation.dwHighDateTime) << 32 | creation.dwLowDateTime;
        CloseHandle(handle);
    }
    return {process, made};
}

}  // namespace

LRESULT TSingleInstance::HandOver(Request request, DWORD process) {
    const StartId start = IdentifyStart(process);
    // Asked again by a start whose earlier send timed out after this copy had
    // taken its word: taken already.
    if (process && taken_.count(start)) return kTaken;
    // This copy is ending (its window is gone or going, it closes once a
    // change is over, or "exit" waits its turn): nothing handed over now would
    // be carried out, so the later start waits to take its place.
    if (Closing()) {
        if (!process || refused_.insert(start).second) ++closingAnswers_;
        return 0;
    }
    if (process) taken_.insert(start);
    Queue(request);
    return kTaken;
}

void TSingleInstance::MessageLoopEnded() {
    running_ = false;
    ended_ = true;
}

void TSingleInstance::RunPending() {
    KillTimer(window_, kRetryTimer);
    if (pending_.empty()) return;
    if (!running_ || !Form1 || !Form1->Handle()) {
        pending_.clear();
        return;
    }
    // Carried out from the message loop, never in the middle of a change, a
    // plugin's run or an error box, nor of the start sequence: the request
    // waits for them as a user would.
    if (Application.Busy() || Application.ClosePending()) {
        SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
        return;
    }
    const Request request = pending_.front();
    pending_.pop_front();
    if (request == Request::BringUp)
        TForm::Guarded([] { Form1->BringUp(); });
    else
        SendMessageW(Form1->Handle(), WM_COMMAND, TrayCommand(request), 0);
    // One at a time: what the request started (a close) goes first.
    if (!pending_.empty()) PostMessageW(window_, kRunPendingMessage, 0, 0);
}

LRESULT CALLBACK TSingleInstance::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TSingleInstance*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kHandOverMessage) {
        // A request from a newer or older program: a number it does not know brings the window up.
        return self->HandOver(wParam <= static_cast<WPARAM>(Request::Last) ? static_cast<Request>(wParam)
                                                                            : Request::BringUp,
                              static_cast<DWORD>(lParam));
    }
    if (self && message == kClosingAnswersMessage) return static_cast<LRESULT>(self->closingAnswers_);
    if (self && (message == kRunPendingMessage || (message == WM_TIMER && wParam == kRetryTimer))) {
        self->RunPending();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
