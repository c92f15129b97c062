#include "app/SingleInstance.h"

#include <sddl.h>

#include <vector>

#include "toolkit/Forms.h"
#include "ui/Main.h"

namespace {

const wchar_t kWindowClass[] = L"TavrinWallpaper.HandOver";

// Sent by a later start to the first copy's hand-over window; wParam is 1 when
// the main window should come up. The first copy answers kTaken.
constexpr UINT kHandOverMessage = WM_APP + 1;
// Posted by the first copy to itself: the main window comes up.
constexpr UINT kBringUpMessage = WM_APP + 2;
constexpr LRESULT kTaken = 0x54575031;  // "TWP1"; an unknown window answers 0

// How long a later start waits for one answer, and in all. The first copy may
// be in the middle of a change (a large picture, a plugin) or of its own start.
constexpr DWORD kAnswerLimitMs = 15000;
constexpr DWORD kClaimLimitMs = 60000;

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

// The main window shown as the tray menu's "Настройки" shows it (the panel
// filled from the settings, restored, in front); one already shown keeps what
// the user typed in its panel and is only restored and brought to the front.
void BringUpMainWindow() {
    if (!Form1 || !Form1->Handle()) return;
    if (!Form1->Visible()) {
        Form1->Tray.TraySettingsClick();
        return;
    }
    if (IsIconic(Form1->Handle())) ShowWindow(Form1->Handle(), SW_RESTORE);
    SetForegroundWindow(Form1->Handle());
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

TSingleInstance::Claim TSingleInstance::ClaimSession(bool showWindow) {
    const std::wstring name = InstanceName();
    mutex_ = CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str());
    // No mutex to be had at all: the program runs as it would alone.
    if (!mutex_) return Claim::First;
    const DWORD start = GetTickCount();
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
            // passes that right on to the copy that shows its window.
            if (showWindow && process) AllowSetForegroundWindow(process);
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(first, kHandOverMessage, showWindow ? 1 : 0, 0, SMTO_NORMAL, kAnswerLimitMs,
                                    &answer) &&
                static_cast<LRESULT>(answer) == kTaken)
                return Claim::HandedOver;
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

void TSingleInstance::MessageLoopStarts() {
    running_ = true;
    if (showPending_ && window_) PostMessageW(window_, kBringUpMessage, 0, 0);
    showPending_ = false;
}

TSingleInstance::~TSingleInstance() {
    if (window_) DestroyWindow(window_);
    if (owned_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}

LRESULT TSingleInstance::HandOver(bool showWindow) {
    // The loop has run and the main window is gone: this copy is ending, and
    // the later start waits to take its place.
    if (running_ && (!Form1 || !Form1->Handle())) return 0;
    if (showWindow) {
        // Shown from the message loop, never in the middle of the start
        // sequence (which may be waiting in a message box or for a plugin).
        if (running_)
            PostMessageW(window_, kBringUpMessage, 0, 0);
        else
            showPending_ = true;
    }
    return kTaken;
}

LRESULT CALLBACK TSingleInstance::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TSingleInstance*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kHandOverMessage) return self->HandOver(wParam != 0);
    if (self && message == kBringUpMessage) {
        TForm::Guarded(BringUpMainWindow);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
