#include "toolkit/Forms.h"

#include <tuple>

#include <commctrl.h>

#include <stdexcept>

#include "platform/Platform.h"
#include "platform/win32/AnsiPaths.h"

TApplication Application;

namespace {

const wchar_t kApplicationClass[] = L"TApplication";
const wchar_t kErrorCaption[] = L"Tavrin Wallpaper";

// The forms whose keyboard works as in a dialog box.
std::vector<HWND> dialogKeyWindows;

bool TakesDialogKeys(const MSG& message) {
    if (!message.hwnd || dialogKeyWindows.empty()) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    for (HWND window : dialogKeyWindows)
        if (window == root) return IsDialogMessageW(root, const_cast<MSG*>(&message)) != FALSE;
    return false;
}

}  // namespace

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0));
}

namespace {

HICON ProgramIcon(HINSTANCE instance) {
    HICON icon = LoadIconW(instance, L"MAINICON");
    return icon ? icon : LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
}

LRESULT CALLBACK ApplicationWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The taskbar button belongs to this window: its commands act on the main form.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
        TForm::Guarded([] { Application.Minimize(); });
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && Application.MainForm()) {
        Application.MainForm()->Close();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

// ---- TApplication ----

void TApplication::Initialize() {
    ole_.emplace();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // Unicode window classes throughout, so that the Russian texts survive
    // whatever the system's ANSI code page is.
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(kApplicationClass, ApplicationWndProc, 0, nullptr, ProgramIcon(instance));
    // A window of no size that stands for the program on the taskbar; the forms
    // are owned by it and so have no buttons of their own.
    int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_ = CreateWindowExW(0, kApplicationClass, WideFromAnsi(title_).c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              x, y, 0, 0, nullptr, nullptr, instance, nullptr);
}

void TApplication::Finalize() {
    if (handle_) DestroyWindow(handle_);
    handle_ = nullptr;
    ole_.reset();
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_) SetWindowTextW(handle_, WideFromAnsi(title).c_str());
}

void TApplication::Run() {
    if (mainForm_ && ShowMainForm) {
        // A program started minimised (a shortcut set to run minimised) goes
        // through the same path as a user's minimise.
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        GetStartupInfoA(&startup);
        const WORD show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;
        if (show == SW_SHOWMINNOACTIVE || show == SW_SHOWMINIMIZED || show == SW_MINIMIZE)
            TForm::Guarded([this] { Minimize(); });
        else
            mainForm_->Show();
    }
    MSG message;
    for (;;) {
        // A close asked for while a change waited (it may have been the one at
        // start, before this loop) is carried out once the change is over.
        if (closePending_ && !Busy() && mainForm_) {
            closePending_ = false;
            mainForm_->Close();
        }
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
        if (TakesDialogKeys(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void TApplication::Minimize() {
    if (OnMinimize)
        OnMinimize();
    else if (mainForm_)
        ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
}

void TApplication::ShowException(const std::exception& error) noexcept {
    // One error box at a time: while it is open, Busy() holds back the work
    // that could fail again (ticks, tray clicks, commands), and an error that
    // still arises meanwhile is not shown over it.
    if (reporting_) return;
    reporting_ = true;
    struct Reported {
        bool& flag;
        ~Reported() { flag = false; }
    } reported{reporting_};
    // Reporting must not fail in turn: nothing may leave a window procedure.
    try {
        if (OnException) {
            OnException(error);
            return;
        }
        std::wstring caption = title_.empty() ? std::wstring(kErrorCaption) : WideFromAnsi(title_);
        const bool own = dynamic_cast<const TextError*>(&error) != nullptr ||
                         dynamic_cast<const platform::Utf8Error*>(&error) != nullptr;
        const std::wstring text = own ? WideFromUtf8(error.what()) : WideFromAnsi(error.what());
        MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing more can be said safely; the program goes on.
    }
}

// ---- TForm ----

TForm::~TForm() {
    if (handle_) {
        std::erase(dialogKeyWindows, handle_);
        DetachObject(handle_);
        DestroyWindow(handle_);
    }
    for (HICON icon : {bigIcon_, smallIcon_})
        if (icon) DestroyIcon(icon);
}

void TForm::Guarded(const std::function<void()>& handler) {
    RunGuarded(handler, [](const std::exception& error) { Application.ShowException(error); });
}

void TForm::CreateHandle(const Style& style) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    brush_.Reset(CreateSolidBrush(style.color));
    const std::wstring className = WideFromAnsi(style.className);
    if (!RegisterWindowClass(className.c_str(), StaticWndProc, CS_DBLCLKS,
                             LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)), ProgramIcon(instance)))
        throw std::runtime_error("Cannot register the window class");
    // Made at the system's scale; a window that finds itself on a screen of
    // another takes that screen's at once.
    dpi_ = SystemDpi();
    client96_ = {style.clientWidth, style.clientHeight};
    RECT frame = {0, 0, Scale(style.clientWidth), Scale(style.clientHeight)};
    AdjustWindowRectEx(&frame, style.style, style.menu != nullptr, style.exStyle);
    const bool placed = style.position.x != CW_USEDEFAULT;
    handle_ = CreateWindowExW(style.exStyle, className.c_str(),
                              WideFromUtf8(style.caption).c_str(), style.style,
                              placed ? Scale(style.position.x) : CW_USEDEFAULT,
                              placed ? Scale(style.position.y) : CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, Application.Handle(), style.menu, instance, this);
    if (!handle_) throw std::runtime_error("Cannot create the window");
    if (placed) positioned_ = true;
    if (const int dpi = WindowDpi(handle_); dpi != dpi_) {
        dpi_ = dpi;
        FitClientArea();
    }
    SetIcons();
    if (style.dialogKeys) dialogKeyWindows.push_back(handle_);
    for (TTimer* timer : timers_) timer->Update();
}

LRESULT CALLBACK TForm::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = AttachedObject<TForm>(hwnd, message, lParam);
    if (message == WM_NCCREATE) form->handle_ = hwnd;
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (Application.Busy()) {
        if (message == WM_CLOSE && form == Application.MainForm()) {
            Application.closePending_ = true;
            return 0;
        }
        if (form->StartsWork(message, wParam, lParam)) return 0;
    }
    LRESULT result = 0;
    Guarded([&] { result = form->WndProc(message, wParam, lParam); });
    return result;
}

void TForm::SetIcons() {
    // At 96 DPI the class's icon serves, as the system picks its sizes from it.
    if (dpi_ == 96 && !bigIcon_) return;
    for (auto [which, metric, icon] : {std::tuple{ICON_BIG, SM_CXICON, &bigIcon_}, {ICON_SMALL, SM_CXSMICON, &smallIcon_}}) {
        HICON loaded = LoadProgramIcon(SystemMetricForDpi(metric, dpi_));
        if (!loaded) continue;
        SendMessageW(handle_, WM_SETICON, which, reinterpret_cast<LPARAM>(loaded));
        if (*icon) DestroyIcon(*icon);
        *icon = loaded;
    }
}

void TForm::FitClientArea() {
    RECT client, frame;
    GetClientRect(handle_, &client);
    GetWindowRect(handle_, &frame);
    const int width = frame.right - frame.left + Scale(client96_.cx) - client.right;
    const int height = frame.bottom - frame.top + Scale(client96_.cy) - client.bottom;
    SetWindowPos(handle_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DPICHANGED: {
        // The rectangle the system suggests for the new scale; the client
        // area is then made exactly the scaled size (the menu bar and frame
        // need not scale as the client area does).
        dpi_ = HIWORD(wParam);
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        FitClientArea();
        SetIcons();
        DpiChanged();
        InvalidateRect(handle_, nullptr, TRUE);
        return 0;
    }
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(handle_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush_);
        return 1;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE && this == Application.MainForm()) {
            Application.Minimize();
            return 0;
        }
        break;
    case WM_TIMER:
        for (TTimer* timer : timers_)
            if (timer->Id() == wParam) {
                timer->SystemTick();
                return 0;
            }
        break;
    case WM_CLOSE: {
        const bool main = this == Application.MainForm();
        if (main) Application.closing_ = true;
        bool allowed = true;
        DoClose(allowed);
        if (allowed)
            DestroyWindow(handle_);
        else if (main)
            Application.closing_ = false;
        return 0;
    }
    case WM_DESTROY:
        if (this == Application.MainForm()) PostQuitMessage(0);
        break;
    case WM_NCDESTROY:
        std::erase(dialogKeyWindows, handle_);
        DetachObject(handle_);
        handle_ = nullptr;
        break;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

bool TForm::StartsWork(UINT message, WPARAM wParam, LPARAM lParam) const {
    switch (message) {
    case WM_TIMER:
        return true;
    case WM_COMMAND:
        // Menu commands and accelerators, and button clicks; other notices of
        // the controls (an edit field's change) are no work of their own.
        return lParam == 0 || HIWORD(wParam) == BN_CLICKED;
    default:
        return false;
    }
}

void TForm::Show() {
    if (!positioned_) {
        positioned_ = true;
        RECT frame;
        GetWindowRect(handle_, &frame);
        int width = frame.right - frame.left, height = frame.bottom - frame.top;
        SetWindowPos(handle_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (this == Application.MainForm() && Application.Handle())
        ShowWindow(Application.Handle(), SW_SHOWNOACTIVATE);
    ShowWindow(handle_, IsIconic(handle_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(handle_);
}

void TForm::Hide() {
    ShowWindow(handle_, SW_HIDE);
    if (this == Application.MainForm() && Application.Handle()) ShowWindow(Application.Handle(), SW_HIDE);
}

void TForm::Close() { SendMessageW(handle_, WM_CLOSE, 0, 0); }

bool TForm::Visible() const { return handle_ && IsWindowVisible(handle_); }

// ---- TTimer ----

TTimer::TTimer(TForm& owner, UINT_PTR id) : owner_(owner), id_(id) { owner_.timers_.push_back(this); }

TTimer::~TTimer() {
    if (owner_.Handle()) KillTimer(owner_.Handle(), id_);
    std::erase(owner_.timers_, this);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(UINT milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Update();
}

void TTimer::SystemTick() {
    if (ticking_ || ++elapsed_ < periods_) return;
    elapsed_ = 0;
    if (!OnTimer) return;
    // The tick stays running until its error box, if it opens one, is closed.
    ticking_ = true;
    TForm::Guarded(OnTimer);
    ticking_ = false;
}

void TTimer::Update() {
    HWND window = owner_.Handle();
    if (!window) return;
    KillTimer(window, id_);
    periods_ = interval_ / USER_TIMER_MAXIMUM + 1;
    period_ = static_cast<UINT>((static_cast<uint64_t>(interval_) + periods_ - 1) / periods_);
    elapsed_ = 0;
    if (enabled_ && interval_ > 0 && OnTimer && !SetTimer(window, id_, period_, nullptr))
        throw std::runtime_error("Not enough timers available");
}
