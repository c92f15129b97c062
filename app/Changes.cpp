// The wallpaper changer: the changes the main window asks for, through the
// rotation, from the tray and on the timer, and the timer's rules. The one place
// that hands the settings and paths to the engine's change and its scheduler.
#include "app/Program.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "engine/Rotation.h"
#include "engine/Scheduler.h"
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

PictureRule CurrentRule() { return PictureRuleFor(Settings.allformats); }

}  // namespace

void TProgram::ChangeWallpaper() {
    RotateWallpaper(
        Settings.wallpaper_directory, Settings.number,
        [](const std::string& picture) { return MakeWallpaper(picture, CurrentTarget()); }, Save, CurrentRule());
}

void TProgram::ChangeWallpaperBack() {
    RotateWallpaperBack(
        Settings.wallpaper_directory, Settings.number,
        [](const std::string& picture) { return MakeWallpaper(picture, CurrentTarget()); }, Save, CurrentRule());
}

bool TProgram::ApplyPicture(const std::string& path) { return static_cast<bool>(MakeWallpaper(path, CurrentTarget())); }

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
