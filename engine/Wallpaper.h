// A picture file made the desktop wallpaper: rendered, reworked by the active
// plugin, and set through the per-user registry.
#pragma once

#include <cstdint>
#include <string>

// What a change works with besides the picture: the settings and paths its
// caller passes in.
struct WallpaperTarget {
    uint32_t background = 0;      // 0x00BBGGRR around the fitted picture
    std::string bitmapPath;       // where the wallpaper bitmap is written
    std::string pluginsRoot;      // the folder of the plugin folders
    std::string plugin = "none";  // the active plugin's folder under pluginsRoot; "none" for none
};

// Writes "Wallpaper" = path and "WallpaperStyle" = style under
// HKEY_CURRENT_USER\Control Panel\Desktop (the key must exist), then asks the
// system to reload the wallpaper and tell every window. Throws platform::Error
// when the key cannot be opened or a value cannot be written.
void ApplyWallpaper(const std::string& path, int style);

// Renders `path` into target.bitmapPath on target.background at the display's
// colour depth, runs the plugin target.plugin unless it is "none", and applies
// the bitmap with style 3. A plugin still running after
// PluginTimeLimitMs is ended, and one that leaves no readable bitmap behind is
// overruled: the program's own render is written again and applied. True when
// every step up to the registry write succeeded; any failure gives false and
// shows nothing.
bool MakeWallpaper(const std::string& path, const WallpaperTarget& target);
