// The path set: where the program keeps its data and finds its plugins.
// Written once at start and never changed afterwards.
#pragma once

#include <string>
#include <vector>

extern std::string ProgramDir;        // the folder of the running program file
extern std::string DataFolder;        // the documents folder + "\Tavrin Wallpaper"
extern std::string ConfigPath;        // DataFolder + "\config.ini"
extern std::string WallpaperBmpPath;  // DataFolder + "\TavrinWP.bmp"
extern std::string PluginsRoot;       // ProgramDir + "\plugins"

struct PathSet {
    std::string dataFolder, configPath, wallpaperBmpPath, pluginsRoot;
};

// The paths that follow from the current directory and the documents folder.
// Parts are joined with "\" as they stand, never normalised: an empty documents
// folder gives paths at the root of the current drive.
PathSet MakePathSet(const std::string& programDir, const std::string& personalFolder);

// The folder that holds the file `path`: everything before its last "\". A
// drive root keeps its backslash ("C:\"), as the system gives folders; a bare
// name gives the empty string.
std::string FolderOfFile(const std::string& path);

// True when some argument is "startup" in any letter case: the program then
// starts hidden in the tray.
bool HasStartupArgument(const std::vector<std::string>& arguments);

// A word for the running copy, from scripts and shortcut keys: the command
// line is "next", "previous", "settings", "exit", "open" or "folder" alone, in
// any letter case, and the copy does what its tray menu's item of that name
// does ("open": "Открыть картинку", "folder": "Показать в папке"). Any other
// command line (none, "startup", a word with others) carries no word.
enum class StartWord { None, Next, Previous, Settings, Exit, Open, Folder };
StartWord ParseStartWord(const std::vector<std::string>& arguments);
