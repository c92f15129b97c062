// The wallpaper changer: the changes the main window asks for, through the
// rotation, from the tray and on the timer, and the timer's rules. The one place
// that hands the settings and paths to the engine's change and its scheduler.
#include "app/Program.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "engine/Rotation.h"
#include "engine/Scheduler.h"
#include "engine/Wallpaper.h"
#include "platform/Platform.h"
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

// How often a change lets the windows answer between its attempts: a look at
// the message queue costs far more under Wine than passing over an unreadable
// picture should.
constexpr DWORD kPumpEveryMs = 50;

// One attempt of a change. Between the attempts the message loop is pumped as
// it is while a plugin runs: the windows repaint, the tray answers, a later
// start's words are taken (and carried out after the change), and what would
// start other work is dropped (the application is busy meanwhile), so changes
// never overlap and each keeps its order.
class Attempts {
public:
    WallpaperResult operator()(const std::string& picture) {
        if (GetTickCount() - pumped_ >= kPumpEveryMs) {
            platform::PumpMessages();
            pumped_ = GetTickCount();
        }
        return MakeWallpaper(picture, CurrentTarget());
    }

private:
    DWORD pumped_ = GetTickCount();
};

}  // namespace

void TProgram::ChangeWallpaper() {
    RotateWallpaper(Settings.wallpaper_directory, Settings.number, Attempts(), Save);
}

void TProgram::ChangeWallpaperBack() {
    RotateWallpaperBack(Settings.wallpaper_directory, Settings.number, Attempts(), Save);
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
