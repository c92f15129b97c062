// A change of wallpaper: a picture file rendered into the wallpaper bitmap,
// reworked by the active plugin, and set as the desktop wallpaper. The policy
// is here; the system's part is platform::SetDesktopWallpaper.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Compose.h"

// What a change works with besides the picture: the settings and paths its
// caller passes in.
struct WallpaperTarget {
    uint32_t background = 0;      // 0x00BBGGRR around the fitted picture
    std::string bitmapPath;       // where the wallpaper bitmap is written
    std::string pluginsRoot;      // the folder of the plugin folders
    std::string plugin = "none";  // the active plugin's folder under pluginsRoot; "none" for none
    // The framed change's "TileWallpaper": -1 leaves it alone (as described);
    // 0 clears the tiling a change for several monitors left on Windows 7.
    int tile = -1;
};

// What became of a change: the picture applied, or a failure that is the
// picture's own (it cannot be read: another picture may do), or one of the
// wallpaper's output (the bitmap or the registry cannot be written: no other
// picture would fare better). Tested as a bool, it tells whether the picture
// was applied; a bool converts to it (false: the picture failed).
class WallpaperResult {
public:
    enum Kind { Applied, PictureFailed, OutputFailed };
    constexpr WallpaperResult(Kind kind) : kind_(kind) {}
    constexpr WallpaperResult(bool applied) : kind_(applied ? Applied : PictureFailed) {}
    constexpr Kind kind() const { return kind_; }
    constexpr explicit operator bool() const { return kind_ == Applied; }

private:
    Kind kind_;
};

// Renders `path` into target.bitmapPath on target.background at the display's
// colour depth (RenderWallpaper), runs the plugin target.plugin unless it is
// "none" (RunPlugin), and sets the bitmap as the wallpaper with style 3
// (platform::SetDesktopWallpaper). A plugin still running after
// PluginTimeLimitMs is ended, and one that leaves no readable bitmap behind is
// overruled: the program's own render, copied to target.bitmapPath + ".own"
// before the plugin runs, is moved back over the bitmap and applied. The copy
// is gone afterwards in every case. Applied when every step up to the
// registry write succeeded; a failure shows nothing and is OutputFailed when
// the bitmap or the registry could not be written, PictureFailed otherwise.
WallpaperResult MakeWallpaper(const std::string& path, const WallpaperTarget& target);

// How the registry is told to show the bitmap of a screen layout
// (ComposeWallpaper): "WallpaperStyle", "TileWallpaper" and whether the bitmap
// is laid out for tiling.
struct ScreenWallpaperStyle {
    int style = 0;
    int tile = 0;
    bool tiled = false;
};
// One monitor: "0" (centred) with no tiling: the bitmap is exactly the
// monitor's size, so the system shows it pixel for pixel, and should the
// monitor change before the bitmap is drawn again, centring never stretches
// it. Several: "22" (spanned over the virtual screen) where the system knows
// it (`spans`, Windows 8 and later); before it, "0" tiled from the primary
// monitor's origin, the bitmap laid out for that.
ScreenWallpaperStyle StyleForScreens(size_t monitors, bool spans);

// A change that shows a picture on every monitor of `layout` (the choice
// "fitscreen" 1 or 2): the pictures `next` gives composed into
// target.bitmapPath (ComposeWallpaper), the plugin run as MakeWallpaper runs
// it (a failed plugin's bitmap overruled by the program's own), and the bitmap
// set with StyleForScreens. `shown` receives the pictures drawn, one per
// monitor. The result is MakeWallpaper's: PictureFailed when the supply ran
// out, OutputFailed when the bitmap or the registry cannot be written.
WallpaperResult MakeScreenWallpaper(const ScreenLayout& layout, ScreenFit fit, const PictureSupply& next,
                                    const WallpaperTarget& target, std::vector<std::string>* shown = nullptr);
