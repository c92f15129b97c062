// The small window toolkit the program's windows stand on: the application
// object, the form base class with its guarded message dispatch, and timers.
#pragma once

#include <windows.h>

#include <exception>
#include <stdexcept>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/Win32.h"

class TForm;
class TTimer;

// An error whose text is one of the program's own, in UTF-8 (the system's and
// the runtime's errors carry ANSI texts).
class TextError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one guard every window procedure and timer of the toolkit dispatches
// through: runs `handler`, and hands an exception that escapes it to `report`
// (anything thrown that is not a std::exception as "Unexpected error").
// `report` does not throw.
template <class Handler, class Report>
void RunGuarded(Handler&& handler, Report&& report) {
    try {
        handler();
    } catch (const std::exception& error) {
        report(error);
    } catch (...) {
        report(std::runtime_error("Unexpected error"));
    }
}

class TApplication {
public:
    // Initialises OLE and COM (single-threaded apartment) on the calling thread,
    // and the common controls.
    void Initialize();
    // Undoes Initialize; called once the message loop has ended.
    void Finalize();

    // The title of the application window, which carries the taskbar button.
    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }

    // Creates the form; the first form created becomes the main form, whose
    // closing ends the message loop.
    template <class Form>
    void CreateForm(Form*& reference) {
        reference = new Form();
        if (!mainForm_) mainForm_ = reference;
    }
    TForm* MainForm() const { return mainForm_; }

    // Shows the main form (unless ShowMainForm was cleared) and runs the message
    // loop until the main form is closed.
    void Run();

    // Called when the user minimises the main form.
    void Minimize();

    // Reports an error that escaped a message handler: through OnException when
    // set, otherwise in the standard error box (the text and an error icon).
    // At most one report at a time: an error that arises while one is shown
    // is dropped.
    void ShowException(const std::exception& error) noexcept;

    HWND Handle() const { return handle_; }

    // True while an error is being reported (its box is open) and while the
    // program waits for work of its own with a message wait (a wallpaper change
    // waiting for a plugin), as its OnBusy hook answers: windows keep
    // answering, but input that would start other work (tray clicks, timer
    // ticks, menu commands, button clicks) is dropped, and closing the main
    // form waits until the box or the wait is over.
    bool Busy() const { return reporting_ || (OnBusy && OnBusy()); }
    // The main form was closed while Busy(): it closes once the wait is over.
    bool ClosePending() const { return closePending_; }
    // The main form's close has begun (its close handler runs or has run):
    // the program is ending.
    bool Closing() const { return closing_; }

    bool ShowMainForm = true;
    std::function<void()> OnMinimize;
    std::function<void(const std::exception&)> OnException;
    // The program's answer to Busy(), installed by the program.
    std::function<bool()> OnBusy;

private:
    friend class TForm;
    HWND handle_ = nullptr;
    TForm* mainForm_ = nullptr;
    std::string title_;
    bool closePending_ = false;  // the main form was closed while Busy()
    bool closing_ = false;       // the main form's close has begun
    bool reporting_ = false;     // ShowException is showing an error
    std::optional<OleScope> ole_;  // from Initialize to Finalize
};

extern TApplication Application;

// The program's icon at `size` x `size` pixels, from the sizes its resource
// holds (the caller destroys it); null when the resource has no icon.
HICON LoadProgramIcon(int size);

// A top-level window. Every message reaches WndProc through one guard that
// hands an escaping exception to Application.ShowException, so a failing
// handler ends there and the program goes on.
class TForm {
public:
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return handle_; }
    void Show();   // the first show centres the window on the desktop
    void Hide();
    void Close();  // as the close box does
    bool Visible() const;

    // Runs a handler under the same guard as message dispatch.
    static void Guarded(const std::function<void()>& handler);

    // The DPI of the screen the window is on, and a 96-DPI size at it.
    int Dpi() const { return dpi_; }
    int Scale(int value) const { return Scaled(value, dpi_); }

protected:
    TForm() = default;

    struct Style {
        const char* className;
        std::string caption;     // UTF-8
        DWORD style;
        DWORD exStyle;
        int clientWidth;
        int clientHeight;
        COLORREF color;
        HMENU menu;
        // The window's place on the screen (its frame's top-left corner); left
        // at CW_USEDEFAULT, the first Show centres the window instead.
        POINT position = {CW_USEDEFAULT, CW_USEDEFAULT};
        // Tab, the arrow keys, Enter and Esc move between and press the
        // controls, as in a dialog box.
        bool dialogKeys = false;
    };
    void CreateHandle(const Style& style);

    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Whether the message would start work of its own (a menu command, a button
    // click, a timer tick): such messages are dropped while Application.Busy().
    virtual bool StartsWork(UINT message, WPARAM wParam, LPARAM lParam) const;
    // The close handler: clear `allowed` to keep the window open.
    virtual void DoClose(bool& allowed) { (void)allowed; }
    // The window moved to a screen of another scale and has its new size and
    // DPI: the form lays its controls out again and takes fonts for the DPI.
    virtual void DpiChanged() {}

private:
    friend class TTimer;
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void FitClientArea();  // the client area at its 96-DPI size scaled to dpi_
    void SetIcons();       // the window's icons at the sizes the system asks for at dpi_

    std::vector<TTimer*> timers_;  // delivered their WM_TIMER by WndProc
    HWND handle_ = nullptr;
    GdiObject<HBRUSH> brush_;
    bool positioned_ = false;
    int dpi_ = 96;
    SIZE client96_ = {};  // the client area's size at 96 DPI
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;  // loaded for a scale other than 96 DPI
};

// A window timer owned by a form, like the toolkit's timer component: it runs
// while it is enabled, has a non-zero interval and an OnTimer handler, and its
// ticks arrive through the form's guarded dispatch.
// Setting the enabled flag or the interval to the value it already has changes
// nothing, so a running countdown goes on. Intervals above what the system's
// timer takes (USER_TIMER_MAXIMUM) run as several equal system periods, so a
// long interval never becomes a short one. A tick whose handler is still
// running (an error box it opened is answering messages) gets no nested ticks;
// a system timer that cannot be started raises "Not enough timers available".
class TTimer {
public:
    TTimer(TForm& owner, UINT_PTR id);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    void SetEnabled(bool enabled);
    void SetInterval(UINT milliseconds);
    bool Enabled() const { return enabled_; }
    UINT Interval() const { return interval_; }
    UINT_PTR Id() const { return id_; }
    // The period the system timer runs at, and how many of them make one tick.
    UINT SystemPeriod() const { return period_; }
    UINT PeriodsPerTick() const { return periods_; }
    std::function<void()> OnTimer;

private:
    friend class TForm;
    void Update();
    void SystemTick();
    UINT period_ = 1000;
    UINT periods_ = 1;
    UINT elapsed_ = 0;
    bool ticking_ = false;  // OnTimer is running
    TForm& owner_;
    UINT_PTR id_;
    bool enabled_ = true;
    UINT interval_ = 1000;
};
