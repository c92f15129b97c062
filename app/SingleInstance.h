// One copy of the program per user session. The first copy holds a mutex in
// the session's namespace (Local\), named for the program and the user's SID,
// and a hidden message window of the same name; a later start finds that
// window, hands its command over and ends before it touches anything
// (config.ini, the tray, the wallpaper). Without "startup" the first copy then
// brings its main window up, restored and in front; with it, nothing shows.
#pragma once

#include <windows.h>

#include <string>

class TSingleInstance {
public:
    TSingleInstance() = default;
    ~TSingleInstance();  // the hand-over window goes first, then the claim
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    enum class Claim {
        First,      // this copy runs: nobody else did, or the other copy has ended
        HandedOver, // another copy took the start over: end now
        NoAnswer,   // another copy runs but did not answer in time: end now
    };
    // Called first thing. `showWindow`: this start asks for the main window
    // (the command line has no "startup"). Two copies started at the same
    // moment agree on one: the mutex has one owner, and the other waits for
    // that owner's window to answer (or for the owner to end, and then runs).
    Claim ClaimSession(bool showWindow);

    // The main window exists and the message loop is about to run: a
    // hand-over that came while the window was being made is carried out now,
    // and later ones at once.
    void MessageLoopStarts();

    // The name the mutex and the hand-over window carry for the current user;
    // the mutex is this in the namespace "Local\".
    static std::wstring InstanceName();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandOver(bool showWindow);

    HANDLE mutex_ = nullptr;
    bool owned_ = false;
    HWND window_ = nullptr;
    bool running_ = false;      // the message loop runs
    bool showPending_ = false;  // asked to show before the loop ran
};
