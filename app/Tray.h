// The program's icon in the notification area.
#pragma once

#include <windows.h>

class TTrayIcon {
public:
    // Adds the icon of `window` (its class icon), with the tip "Tavrin
    // Wallpaper" and the callback message TForm1::TrayCallbackMessage. The
    // result is not looked at.
    void Add(HWND window);
    // Removes it again.
    void Remove();
    // True from Add to Remove.
    bool Added() const { return window_ != nullptr; }
    // The shell's taskbar was made anew and knows no icons: the same record is
    // added once more, if the icon was there.
    void TaskbarCreated();

private:
    HWND window_ = nullptr;  // while the icon is added
};
