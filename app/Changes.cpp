// The wallpaper changes of the main window: through the rotation, on request
// and on the timer.
#include "core/Paths.h"
#include "core/Settings.h"
#include "engine/Rotation.h"
#include "engine/Scheduler.h"
#include "engine/Wallpaper.h"
#include "ui/Main.h"

void TForm1::SetWallPaper2() {
    RotateWallpaper(MakeWallpaper, [] { SaveSettings(ConfigPath); });
}

void TForm1::SetWallpaperTimer() {
    TimerWp.SetEnabled(true);
    if (const auto interval = WallpaperTimerInterval(Settings.WpTimerUnit, Settings.nwptimer))
        TimerWp.SetInterval(*interval);
}

void TForm1::TimerWpTimer() {
    WallpaperTimerTick([this] { SetWallPaper2(); }, [] { SaveSettings(ConfigPath); });
}
