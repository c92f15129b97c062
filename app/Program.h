// The program around the main window: what TForm1 asks of it (TMainProgram),
// done with the settings, the paths and the engine. WinMain makes one and
// installs it before the window; the tests of the windows install one the same way.
#pragma once

#include <string>

#include "app/Tray.h"
#include "ui/MainProgram.h"

class TProgram final : public TMainProgram {
public:
    void Start(TForm1& form) override;  // app/Startup.cpp
    void Close() override;
    void UpdateStartupShortcut() override;
    void TaskbarCreated() override;  // app/Tray.cpp
    void TrayChange(TForm1& form, bool back) override;
    void ChangeWallpaper() override;  // app/Changes.cpp
    bool ApplyPicture(const std::string& path) override;
    void ArmTimer(TTimer& timer) override;
    void TimerTick() override;
    void TimerSettingsApplied(TTimer& timer) override;

private:
    void ChangeWallpaperBack();  // app/Changes.cpp: "Предыдущая" through the rotation
    TTrayIcon tray_;
};
