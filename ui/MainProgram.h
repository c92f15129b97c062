// What the main window asks of the program around it: the start sequence, the
// wallpaper changes and their timer, and the start-with-Windows shortcut. The composition root (app/) implements it and installs it in
// MainProgram before it makes the window; a window made while none is
// installed runs none of it.
#pragma once

#include <string>

class TForm1;
class TTimer;

class TMainProgram {
public:
    // The window is being made: the start sequence (paths, settings, the
    // panel filled, a change at start, the timer, the tray icon, the banner).
    virtual void Start(TForm1& form) = 0;
    // One change through the rotation, with the settings and paths; the
    // position is saved when a picture was applied.
    virtual void ChangeWallpaper() = 0;
    // A change the user asked for from the tray: a click on the icon or
    // "Следующая", or (`back`) "Предыдущая". With no picture folder chosen yet
    // there is nothing to change to, and the window comes up instead, in
    // front, with the folder tree ready to choose one.
    virtual void TrayChange(TForm1& form, bool back) = 0;
    // One picture the user chose made the wallpaper; false when that failed.
    virtual bool ApplyPicture(const std::string& path) = 0;
    // Arms the wallpaper timer from the settings, and its tick.
    virtual void ArmTimer(TTimer& timer) = 0;
    virtual void TimerTick() = 0;
    // The settings panel was applied: the timer runs as the settings now say
    // (armed, or stopped when they have it off), and today counts as the day
    // of the last apply for the day unit.
    virtual void TimerSettingsApplied(TTimer& timer) = 0;
    // The Startup folder's shortcut written or removed as the settings say.
    virtual void UpdateStartupShortcut() = 0;
    // The picture on the desktop ("current" in config.ini): whether there is
    // one whose file is there; opened with its default program; shown selected
    // in its folder; and, once the user says yes, moved to the Recycle Bin and
    // the next picture shown (when it is gone already, the user is told and
    // the next picture shown). Each does nothing while there is none.
    virtual bool HasPictureShown() const = 0;
    virtual void OpenPictureShown() = 0;
    virtual void ShowPictureShownInFolder() = 0;
    virtual void DeletePictureShown(TForm1& form) = 0;
    // The monitors changed (WM_DISPLAYCHANGE): with a picture on every
    // monitor, the pictures showing are drawn again for the new layout, the
    // rotation's position as it is.
    virtual void DisplayChanged() = 0;

protected:
    ~TMainProgram() = default;
};

// The program the main window works with; null until the composition root installs it.
extern TMainProgram* MainProgram;
