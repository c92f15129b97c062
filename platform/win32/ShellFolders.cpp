#include "platform/win32/ShellFolders.h"

#include <windows.h>

#include <vector>

#include "platform/Platform.h"
#include "platform/win32/AnsiPaths.h"

namespace {

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The string value `name` of a per-user key; empty when the key or the value is
// missing. A value of another type is an error. The value is read wide and
// given in a form the A functions open, whatever script its names are in.
std::string ReadUserString(const char* keyPath, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::string();
    const std::wstring wideName = platform::WideFromAnsiText(name);
    std::wstring value;
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && size > 0) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            RegCloseKey(key);
            throw platform::Error(std::string("Invalid data type for '") + name + "'");
        }
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS)
            value = buffer.data();
        // A folder stored as "%USERPROFILE%\Documents" means the folder it names.
        if (type == REG_EXPAND_SZ) {
            DWORD length = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
            std::vector<wchar_t> expanded(length + 1, L'\0');
            if (length && ExpandEnvironmentStringsW(value.c_str(), expanded.data(), length + 1)) value = expanded.data();
        }
    }
    RegCloseKey(key);
    return platform::OpenableAnsiPath(value);
}

}  // namespace

std::string ReadUserShellFolder(const char* name) { return ReadUserString(kShellFoldersKey, name); }
