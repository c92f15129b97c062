// One copy of the program per user session. The first copy holds a mutex in
// the session's namespace (Local\), named for the program and the user's SID,
// and a hidden message window of the same name; a later start finds that
// window, hands its command over and ends before it touches anything
// (config.ini, the tray, the wallpaper). Without "startup" the first copy then
// brings its main window up, restored and in front; with it, nothing shows.
// A start with a word ("next", "previous", "settings", "exit") has the first
// copy do what its tray menu's item of that name does, once nothing else runs
// there (a change, a plugin's run, an error box): the word is kept till then.
// A copy that is closing (its window closing or gone, a close waiting for a
// change, or "exit" waiting its turn) takes nothing: the later start waits for
// it to end, as long as that takes, and then claims the session again, so of
// several such starts one runs in its place and the others hand over to it.
#pragma once

#include <windows.h>

#include <deque>
#include <cstdint>
#include <set>
#include <utility>
#include <string>

class TSingleInstance {
public:
    TSingleInstance() = default;
    ~TSingleInstance();  // the hand-over window goes first, then the claim
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // What a start asks of the copy that runs.
    enum class Request : WPARAM {
        Nothing = 0,   // "startup": nothing shows
        BringUp = 1,   // any other command line: the main window comes up
        Next = 2,      // the words: the tray menu's "Следующая",
        Previous = 3,  // "Предыдущая",
        Settings = 4,  // "Настройки"
        Exit = 5,      // "Выход",
        Open = 6,      // "Открыть картинку"
        Folder = 7,    // and "Показать в папке"
        Last = Folder,
    };

    enum class Claim {
        First,      // this copy runs: nobody else did, or the other copy has ended
        HandedOver, // another copy took the start over: end now
        NoAnswer,   // another copy runs but did not answer in time: end now
    };
    // Called first thing, with what this start asks. Two copies started at the
    // same moment agree on one: the mutex has one owner, and the other waits
    // for that owner's window to answer (or for the owner to end, and then runs).
    Claim ClaimSession(Request request);

    // This copy's own request, carried out as a handed-over one is.
    void Queue(Request request);

    // The main window exists and the message loop is about to run: what was
    // handed over while the window was being made is carried out now, and
    // later requests as they come.
    void MessageLoopStarts();

    // The message loop has ended: whatever comes now is refused as by a
    // closing copy.
    void MessageLoopEnded();

    // A later start: its process id and when it was made.
    using StartId = std::pair<DWORD, uint64_t>;

    // The name the mutex and the hand-over window carry for the current user;
    // the mutex is this in the namespace "Local\".
    static std::wstring InstanceName();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // `process`: the later start's process id (0 from an older program).
    LRESULT HandOver(Request request, DWORD process);
    bool Closing() const;  // nothing handed over now would be carried out
    // Carries out the first request waiting, or tries again shortly while the
    // program is in the middle of something.
    void RunPending();

    HANDLE mutex_ = nullptr;
    bool owned_ = false;
    HWND window_ = nullptr;
    bool running_ = false;           // the message loop runs
    bool ended_ = false;             // the message loop has ended
    LRESULT closingAnswers_ = 0;     // starts told that this copy is closing
    std::set<StartId> taken_, refused_;  // the starts whose words were taken, and those told it closes
    std::deque<Request> pending_;    // in the order they came
};
