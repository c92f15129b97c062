#include "core/Paths.h"

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

std::string FolderOfFile(const std::string& path) {
    const size_t separator = path.find_last_of('\\');
    if (separator == std::string::npos) return std::string();
    if (separator == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, separator);
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
