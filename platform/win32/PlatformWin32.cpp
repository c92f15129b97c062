// The Win32 implementation of the platform layer: the product's.
#include "platform/Platform.h"

#include <windows.h>

namespace platform {


bool ListFolder(const std::string& folder, const std::function<bool(const FolderEntry&)>& visit) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        FolderEntry entry;
        entry.name = data.cFileName;
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!visit(entry)) break;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return true;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string GetCurrentDir() {
    DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return std::string();
    std::string buffer(size, '\0');
    DWORD length = GetCurrentDirectoryA(size, buffer.data());
    buffer.resize(length < size ? length : 0);
    return buffer;
}

bool SetCurrentDir(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; }

bool CreateDir(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::string ReadIniString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    char buffer[2048];
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                            buffer, sizeof buffer, file.c_str());
    return std::string(buffer, length);
}

void WriteIniString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()))
        throw Error("Unable to write to " + file);
}

bool StartProcess(const std::string& program, const std::string& commandLine,
                  ShowCommand show, bool wait) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process = {};
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::string line = commandLine;
    if (!CreateProcessA(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr,
                        FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process))
        return false;
    if (wait) WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

int TodayDayOfMonth() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wDay;
}

int DisplayColorDepth() {
    HDC screen = GetDC(nullptr);
    int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return depth;
}

}  // namespace platform
