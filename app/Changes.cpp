// The wallpaper changer: the changes the main window asks for, through the
// rotation, from the tray and on the timer, and the timer's rules. The one place
// that hands the settings and paths to the engine's change and its scheduler.
#include "app/Program.h"

#include <chrono>
#include <optional>
#include <vector>

#include "core/Paths.h"
#include "core/Settings.h"
#include "engine/Rotation.h"
#include "engine/ScreenLayout.h"
#include "engine/Scheduler.h"
#include "engine/Shuffle.h"
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
    // A change for several monitors on Windows 7 left its bitmap tiled: the
    // frame that follows it is not.
    const platform::DesktopWallpaper desktop = platform::ReadDesktopWallpaper();
    if (desktop.path == WallpaperBmpPath && desktop.style == "0" && desktop.tile == "1") target.tile = 0;
    return target;
}

void Save() { SaveSettings(ConfigPath); }

// Which names count as pictures: the choice "allformats".
PictureRule CurrentRule() { return PictureRuleFor(Settings.allformats); }

// Makes `picture` the wallpaper; once it is, it is the picture on the desktop
// ("current"), saved with the position.
WallpaperResult MakeCurrent(const std::string& picture) {
    const WallpaperResult result = MakeWallpaper(picture, CurrentTarget());
    if (result) Settings.current = picture;
    return result;
}

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
        return MakeCurrent(picture);
    }

private:
    DWORD pumped_ = GetTickCount();
};

// A seed for a new round of the random order, from the clocks.
int32_t NewSeed(int32_t previous) {
    const auto wall = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    const auto steady = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return NewShuffleSeed(wall ^ (steady << 21) ^ static_cast<uint32_t>(previous), previous);
}

// What this run knows of the random order's round (see ShuffleRound).
ShuffleRound Round;

// The pictures on the monitors now, one per monitor in the layout's order,
// when the last change put a picture on every monitor.
std::vector<std::string> Showing;

// The choice "fitscreen": a picture on every monitor, whole or covering it;
// empty for the described 1.3 : 1 frame (0 and any other value).
std::optional<ScreenFit> ScreensChoice() {
    if (Settings.fitscreen == 1) return ScreenFit::Fit;
    if (Settings.fitscreen == 2) return ScreenFit::Fill;
    return std::nullopt;
}

WallpaperResult MakeScreens(const ScreenLayout& layout, ScreenFit fit, const PictureSupply& next) {
    std::vector<std::string> shown;
    const WallpaperResult result = MakeScreenWallpaper(layout, fit, next, CurrentTarget(), &shown);
    if (result) {
        Showing = std::move(shown);
        // The primary monitor's picture is the one on the desktop.
        if (!Showing.empty()) Settings.current = Showing.front();
    }
    return result;
}

// Gives `pictures` in turn, round and round; a picture that fails ends the supply.
PictureSupply Cycle(std::vector<std::string> pictures) {
    size_t at = 0;
    return [pictures = std::move(pictures), at](bool retry) mutable -> std::optional<std::string> {
        if (retry || pictures.empty()) return std::nullopt;
        return pictures[at++ % pictures.size()];
    };
}

// A change of the one framed picture, in order or in random order.
void ChangeFramed(bool back) {
    if (Settings.shuffle)
        RotateWallpaperShuffled(Settings.wallpaper_directory, Settings.number, Settings.shuffleseed, Settings.current,
                                back, Round, Attempts(), Save, NewSeed, CurrentRule());
    else if (back)
        RotateWallpaperBack(Settings.wallpaper_directory, Settings.number, Attempts(), Save, CurrentRule());
    else
        RotateWallpaper(Settings.wallpaper_directory, Settings.number, Attempts(), Save, CurrentRule());
}

}  // namespace

bool TProgram::ChangeScreens(bool back) {
    const std::optional<ScreenFit> fit = ScreensChoice();
    if (!fit) return false;
    const ScreenLayout layout = CurrentScreenLayout();
    if (layout.Empty()) return false;
    const int32_t monitors = static_cast<int32_t>(layout.Monitors().size());
    const auto make = [&](const PictureSupply& next) { return MakeScreens(layout, *fit, next); };
    // With random order too, each monitor takes the next picture of the round.
    if (Settings.shuffle)
        RotateScreensShuffled(Settings.wallpaper_directory, Settings.number, Settings.shuffleseed, Settings.current,
                              Showing, monitors, back, Round, make, Save, NewSeed, CurrentRule());
    else
        RotateScreens(Settings.wallpaper_directory, Settings.number, monitors, back, make, Save, CurrentRule());
    return true;
}

void TProgram::DisplayChanged() {
    const std::optional<ScreenFit> fit = ScreensChoice();
    // During a change (its plugin running, the messages dispatched meanwhile)
    // the bitmap is that change's: it is not drawn over.
    if (!fit || Showing.empty() || platform::InProcessWait()) return;
    const ScreenLayout layout = CurrentScreenLayout();
    if (!layout.Empty()) MakeScreens(layout, *fit, Cycle(Showing));
}

void TProgram::ChangeWallpaper() {
    if (!ChangeScreens(false)) ChangeFramed(false);
}

void TProgram::ChangeWallpaperBack() {
    if (!ChangeScreens(true)) ChangeFramed(true);
}

bool TProgram::ApplyPicture(const std::string& path) {
    // With a picture on every monitor, the chosen one goes on each.
    if (const std::optional<ScreenFit> fit = ScreensChoice()) {
        const ScreenLayout layout = CurrentScreenLayout();
        if (!layout.Empty()) return static_cast<bool>(MakeScreens(layout, *fit, Cycle({path})));
    }
    // The picture is on the desktop; config.ini takes it with the next save.
    return static_cast<bool>(MakeCurrent(path));
}

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
