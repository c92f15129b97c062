// The program around the main window: what TForm1 asks of it (TMainProgram),
// done with the settings, the paths and the engine. WinMain makes one and
// installs it before the window; the tests of the windows install one the same way.
#pragma once

#include <string>

#include "ui/MainProgram.h"

class TProgram final : public TMainProgram {
public:
    void Start(TForm1& form) override;           // app/Startup.cpp
    void UpdateStartupShortcut() override;       // app/StartupShortcut.cpp
    void ChangeWallpaper() override;  // app/Changes.cpp
    void TrayChange(TForm1& form, bool back) override;
    bool ApplyPicture(const std::string& path) override;
    void ArmTimer(TTimer& timer) override;
    void TimerTick() override;
    void TimerSettingsApplied(TTimer& timer) override;
    bool HasPictureShown() const override;  // app/PictureShown.cpp
    void OpenPictureShown() override;
    void ShowPictureShownInFolder() override;
    void DeletePictureShown(TForm1& form) override;

    // A question to the user is open (the one before a picture is deleted):
    // like a plugin's run, it holds back ticks, tray clicks and commands.
    static bool Asking();
    void DisplayChanged() override;  // app/Changes.cpp

private:
    void ChangeWallpaperBack();  // app/Changes.cpp: "Предыдущая" through the rotation
    // A change with a picture on every monitor ("fitscreen" 1 or 2); false when
    // the choice is off or no monitor is known, and the framed change is made.
    bool ChangeScreens(bool back);
};
