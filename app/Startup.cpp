// Start-up, minimising and shutdown of the main window.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "app/Paths.h"
#include "app/Settings.h"
#include "app/StartSteps.h"
#include "app/Tray.h"
#include "platform/Platform.h"
#include "ui/Main.h"

namespace {

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The string value `name` of a per-user key; empty when the key or the value is
// missing. A value of another type is an error.
std::string ReadUserString(const char* keyPath, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::string();
    std::string value;
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && size > 0) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            RegCloseKey(key);
            throw platform::Error(std::string("Invalid data type for '") + name + "'");
        }
        std::vector<char> buffer(size + 1, '\0');
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS)
            value = buffer.data();
        // A folder stored as "%USERPROFILE%\Documents" means the folder it names.
        if (type == REG_EXPAND_SZ) {
            DWORD length = ExpandEnvironmentStringsA(value.c_str(), nullptr, 0);
            std::vector<char> expanded(length + 1, '\0');
            if (length && ExpandEnvironmentStringsA(value.c_str(), expanded.data(), length + 1)) value = expanded.data();
        }
    }
    RegCloseKey(key);
    return value;
}

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
    return arguments;
}

}  // namespace

void TForm1::FormCreate() {
    ProgramDir = platform::GetCurrentDir();
    CanvasBrushHollow = true;
    Application.OnMinimize = [this] { Minimize(); };
    if (HasStartupArgument(CommandLineArguments())) Application.ShowMainForm = false;

    const std::string personalFolder = ReadUserString(kShellFoldersKey, "Personal");
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
    // The plugin manager window joins in once it exists.
}

void TForm1::FormClose() { RemoveTrayIcon(); }

void TForm1::N2Click() { Close(); }
