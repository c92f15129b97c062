// Start-up, minimising and shutdown of the main window.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "core/Paths.h"
#include "core/Settings.h"
#include "platform/win32/ShellFolders.h"
#include "ui/StartSteps.h"
#include "app/Tray.h"
#include "ui/LangUnit.h"
#include "platform/Platform.h"
#include "platform/win32/AnsiPaths.h"
#include "ui/Main.h"
#include "ui/PluginForm.h"

namespace {

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
    return arguments;
}

// The folder of the running program file, whatever folder it was started in,
// in a form the A functions open (short names for what the ANSI code page
// cannot hold).
std::string ProgramFileFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return platform::GetCurrentDir();
        if (length < path.size()) {
            path.resize(length);
            return FolderOfFile(platform::OpenableAnsiPath(path));
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

void TForm1::FormCreate() {
    try {
        RunStartSteps();
    } catch (...) {
        // The error box comes next; the program stays reachable through its icon.
        if (!TrayIconAdded()) AddTrayIcon();
        throw;
    }
}

void TForm1::RunStartSteps() {
    ProgramDir = ProgramFileFolder();
    CanvasBrushHollow = true;
    Application.OnMinimize = [this] { Minimize(); };
    if (HasStartupArgument(CommandLineArguments())) Application.ShowMainForm = false;

    const std::string personalFolder = ReadUserShellFolder("Personal");
    PathSet paths = MakePathSet(ProgramDir, personalFolder);
    if (!platform::DirectoryExists(paths.dataFolder)) platform::CreateDir(paths.dataFolder);

    LoadCaptions();
    AssignCaptions();

    DataFolder = paths.dataFolder;
    ConfigPath = paths.configPath;
    WallpaperBmpPath = paths.wallpaperBmpPath;
    PluginsRoot = paths.pluginsRoot;

    PreviewName = "none";
    PreviewFolder = "none";

    LoadSettings(ConfigPath);
    if (platform::DirectoryExists(Settings.wallpaper_directory)) SelectFolderInTree(Settings.wallpaper_directory);
    FillSettingsPanel();
    if (Settings.changestart) SetWallPaper2();
    SetSpinEditRange(1, 960);
    TimerWp.SetEnabled(false);
    if (Settings.wptimer) SetWallpaperTimer();
    AddTrayIcon();
    LoadBanner("reklama1");
    BannerIndex = 1;
    LoadDefaultPreview("twp1");
    SetSwatchColor(Settings.BackgroundColor);
}

void TForm1::Minimize() {
    Hide();
    // The newest plugin manager window, if one was ever opened, is closed
    // (hidden) too; nothing that goes wrong there stops the minimising.
    if (PluginForm) {
        try {
            PluginForm->Close();
        } catch (...) {
        }
    }
}

void TForm1::FormClose() { RemoveTrayIcon(); }

void TForm1::N2Click() { Close(); }
