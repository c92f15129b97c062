// The program's icon in the notification area.
#pragma once

// Adds the icon of the main window, with the tip "Tavrin Wallpaper" and the
// callback message TForm1::TrayCallbackMessage. The result is not looked at.
void AddTrayIcon();
// Removes it again.
void RemoveTrayIcon();
// True from AddTrayIcon to RemoveTrayIcon.
bool TrayIconAdded();
