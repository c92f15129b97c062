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

namespace {

// Only ASCII letters change case: the words are English, and a Cyrillic letter
// that looks like a Latin one is not that letter.
std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

bool HasStartupArgument(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments)
        if (AsciiLower(argument) == "startup") return true;
    return false;
}

StartWord ParseStartWord(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return StartWord::None;
    const std::string word = AsciiLower(arguments[0]);
    if (word == "next") return StartWord::Next;
    if (word == "previous") return StartWord::Previous;
    if (word == "settings") return StartWord::Settings;
    if (word == "exit") return StartWord::Exit;
    if (word == "open") return StartWord::Open;
    if (word == "folder") return StartWord::Folder;
    return StartWord::None;
}
