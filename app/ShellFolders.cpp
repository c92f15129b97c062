#include "app/ShellFolders.h"

#include <windows.h>

#include <vector>

#include "platform/Platform.h"

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

}  // namespace

std::string ReadUserShellFolder(const char* name) { return ReadUserString(kShellFoldersKey, name); }
