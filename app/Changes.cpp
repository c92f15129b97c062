// The wallpaper changer: the changes the main window asks for, through the
// rotation, from the tray and on the timer, and the timer's rules. The one place
// that hands the settings and paths to the engine's change and its scheduler.
#include <chrono>

#include "app/Program.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "engine/Rotation.h"
#include "engine/Scheduler.h"
#include "engine/Shuffle.h"
#include "engine/Wallpaper.h"
#include "toolkit/Forms.h"
#include "ui/Main.h"

namespace {

// Read at each change, so a plugin switched on or off counts from the next one.
WallpaperTarget CurrentTarget() {
    WallpaperTarget target;
    target.background = Settings.BackgroundColor;
    target.bitmapPath = WallpaperBmpPath;
    target.pluginsRoot = PluginsRoot;
    target.plugin = Settings.plugin_directory;
    return target;
}

void Save() { SaveSettings(ConfigPath); }

// Makes `picture` the wallpaper; once it is, it is the picture on the desktop
// ("current"), saved with the position.
WallpaperResult MakeCurrent(const std::string& picture) {
    const WallpaperResult result = MakeWallpaper(picture, CurrentTarget());
    if (result) Settings.current = picture;
    return result;
}

// A seed for a new round of the random order, from the clocks.
int32_t NewSeed(int32_t previous) {
    const auto wall = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    const auto steady = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return NewShuffleSeed(wall ^ (steady << 21) ^ static_cast<uint32_t>(previous), previous);
}

// What this run knows of the random order's round (see ShuffleRound).
ShuffleRound Round;

void Change(bool back) {
    if (Settings.shuffle)
        RotateWallpaperShuffled(Settings.wallpaper_directory, Settings.number, Settings.shuffleseed, Settings.current,
                                back, Round, MakeCurrent, Save, NewSeed);
    else if (back)
        RotateWallpaperBack(Settings.wallpaper_directory, Settings.number, MakeCurrent, Save);
    else
        RotateWallpaper(Settings.wallpaper_directory, Settings.number, MakeCurrent, Save);
}

}  // namespace

void TProgram::ChangeWallpaper() { Change(false); }

void TProgram::ChangeWallpaperBack() { Change(true); }

// The picture is on the desktop; config.ini takes it with the next save.
bool TProgram::ApplyPicture(const std::string& path) { return static_cast<bool>(MakeCurrent(path)); }

void TProgram::ArmTimer(TTimer& timer) {
    timer.SetEnabled(true);
    if (const auto interval = WallpaperTimerInterval(Settings.WpTimerUnit, Settings.nwptimer))
        timer.SetInterval(*interval);
}

void TProgram::TimerTick() {
    WallpaperTimerTick(Settings.WpTimerUnit, Settings.WpTimerDay, [this] { ChangeWallpaper(); }, Save);
}

void TProgram::TimerSettingsApplied(TTimer& timer) {
    if (Settings.wptimer)
        ArmTimer(timer);
    else
        timer.SetEnabled(false);
    Settings.WpTimerDay = WallpaperTimerToday();
}

void TProgram::TrayChange(TForm1& form, bool back) {
    // No folder chosen yet (a first start, before any Apply): a change would
    // do nothing and say nothing. The window shows the user where to begin:
    // shown as "Настройки" shows it, with the folder tree built and focused.
    // The change at start and the timer stay quiet, as before.
    if (Settings.wallpaper_directory.empty()) {
        form.ShowFolderChooser();
        return;
    }
    if (back)
        ChangeWallpaperBack();
    else
        ChangeWallpaper();
}
