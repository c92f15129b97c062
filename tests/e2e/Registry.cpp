// The current user's registry values the end-to-end tests read.
#include "Driver.h"

namespace e2e {

const char* ShellFoldersKey() { return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"; }

std::string ReadUserString(const char* key, const char* name, const std::string& missing) {
    char value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return missing;
    return value;
}

std::string ReadPersonalFolder() { return ReadUserString(ShellFoldersKey(), "Personal", std::string()); }

std::string ReadDesktopValue(const char* name) { return ReadUserString("Control Panel\\Desktop", name, "<none>"); }

DataFiles FreshDataFolder() {
    DataFiles files;
    files.folder = ReadPersonalFolder() + "\\Tavrin Wallpaper";
    CreateDirectoryA(files.folder.c_str(), nullptr);
    files.config = files.folder + "\\config.ini";
    files.bitmap = files.folder + "\\TavrinWP.bmp";
    DeleteFileA(files.bitmap.c_str());
    return files;
}

}  // namespace e2e
