#include "app/Paths.h"

std::string ProgramDir;
std::string DataFolder;
std::string ConfigPath;
std::string WallpaperBmpPath;
std::string PluginsRoot;

PathSet MakePathSet(const std::string& programDir, const std::string& personalFolder) {
    PathSet paths;
    paths.dataFolder = personalFolder + "\\Tavrin Wallpaper";
    paths.configPath = paths.dataFolder + "\\config.ini";
    paths.wallpaperBmpPath = paths.dataFolder + "\\TavrinWP.bmp";
    paths.pluginsRoot = programDir + "\\plugins";
    return paths;
}

bool HasStartupArgument(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        std::string lower = argument;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (lower == "startup") return true;
    }
    return false;
}
