// The start sequence of the main window and its shutdown.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "app/Program.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "platform/win32/AnsiPaths.h"
#include "platform/win32/ShellFolders.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"

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

// The steps in their order; the first that fails ends them.
void RunStartSteps(TForm1& form) {
    ProgramDir = ProgramFileFolder();
    form.CanvasBrushHollow = true;
    Application.OnMinimize = [&form] { form.Minimize(); };
    // The windows drop input that would start other work while a change waits for a plugin.
    // So does a question to the user.
    Application.OnBusy = [] { return platform::InProcessWait() || TProgram::Asking(); };
    // "next", "previous", "open" and "folder" start in the tray as "startup"
    // does; they act once the message loop runs, in place of the change at
    // start (which would put another picture on the desktop first).
    const std::vector<std::string> arguments = CommandLineArguments();
    const StartWord word = ParseStartWord(arguments);
    const bool wordChanges = word == StartWord::Next || word == StartWord::Previous || word == StartWord::Open ||
                             word == StartWord::Folder;
    if (HasStartupArgument(arguments) || wordChanges) Application.ShowMainForm = false;

    const std::string personalFolder = ReadUserShellFolder("Personal");
    PathSet paths = MakePathSet(ProgramDir, personalFolder);
    if (!platform::DirectoryExists(paths.dataFolder)) platform::CreateDir(paths.dataFolder);

    LoadCaptions();
    form.AssignCaptions();

    DataFolder = paths.dataFolder;
    ConfigPath = paths.configPath;
    WallpaperBmpPath = paths.wallpaperBmpPath;
    PluginsRoot = paths.pluginsRoot;
    // What a change or a save cut short (the program killed, the power gone)
    // left beside the files: temporary files of no further use, up to the
    // bitmap's size. No other copy runs to be writing them.
    for (const char* suffix : {".tmp", ".own"}) platform::RemoveFile(WallpaperBmpPath + suffix);
    platform::RemoveFile(ConfigPath + ".tmp");

    LoadSettings(ConfigPath);
    form.TakeSettingsAtStart();
    if (Settings.changestart && !wordChanges) form.SetWallPaper2();
    form.CompleteStart();
}

}  // namespace

void TProgram::Start(TForm1& form) {
    try {
        RunStartSteps(form);
    } catch (...) {
        // The error box comes next; the program stays reachable through its icon.
        form.KeepTrayIcon();
        throw;
    }
}
