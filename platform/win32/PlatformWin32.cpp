// The Win32 implementation of the platform layer: the product's.
#include "platform/Platform.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <mutex>

#include "platform/win32/AnsiPaths.h"

namespace platform {

namespace {

// An entry's name as the A functions open it: the name itself when the ANSI
// code page holds it, otherwise its short name when the system made one (and
// then `realName` gets the real one, with stand-ins for what the page lacks).
std::string OpenableName(const WIN32_FIND_DATAW& data, std::string& realName) {
    std::string name;
    if (AnsiExactly(data.cFileName, name)) return name;
    std::string shortName;
    if (data.cAlternateFileName[0] && AnsiExactly(data.cAlternateFileName, shortName)) {
        realName = std::move(name);
        return shortName;
    }
    return name;
}

}  // namespace

bool ListFolder(const std::string& folder, const std::function<bool(const FolderEntry&)>& visit) {
    // Listed through the wide function, so that names the ANSI code page cannot
    // hold come with their short names, and folders of any length are reached.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(SystemChildPath(folder, L"*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        FolderEntry entry;
        entry.name = OpenableName(data, entry.otherRealName);
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.hiddenOrSystem = (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
        if (!visit(entry)) break;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string GetCurrentDir() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return std::string();
    std::wstring buffer(size, L'\0');
    DWORD length = GetCurrentDirectoryW(size, buffer.data());
    buffer.resize(length < size ? length : 0);
    return OpenableAnsiPath(buffer);
}

bool SetCurrentDir(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; }

namespace {

[[noreturn]] void ThrowDirectoryError(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        throw Error("File not found");
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
        throw Error("Invalid filename");
    case ERROR_ACCESS_DENIED:
        throw Error("File access denied");
    default:
        throw Error("I/O error " + std::to_string(code));
    }
}

}  // namespace

void CheckDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) ThrowDirectoryError(GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) ThrowDirectoryError(ERROR_DIRECTORY);
}

bool CreateDir(const std::string& path) { return CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0; }

bool RemoveFile(const std::string& path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

std::string ReadIniString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    // The private-profile functions take no path of MAX_PATH or more: such a
    // file cannot be opened, and holds no key.
    if (file.size() >= MAX_PATH) return defaultValue.substr(0, 2047);
    char buffer[2048];
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                            buffer, sizeof buffer, file.c_str());
    return std::string(buffer, length);
}

namespace {

std::string Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return text;
    const int wide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring middle(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), middle.data(), wide);
    const int narrow = WideCharToMultiByte(to, 0, middle.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(to, 0, middle.data(), wide, out.data(), narrow, nullptr, nullptr);
    return out;
}

}  // namespace

std::string Utf8FromAnsi(const std::string& text) { return Convert(text, CP_ACP, CP_UTF8); }
std::string AnsiFromUtf8(const std::string& text) { return Convert(text, CP_UTF8, CP_ACP); }

void WriteIniString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
    if (file.size() >= MAX_PATH ||
        !WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()))
        throw Error("Unable to write to " + file);
}

namespace {

bool Launch(const std::string& program, const std::string& commandLine, ShowCommand show,
            const std::string& folder, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    process = {};
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::string line = commandLine;
    if (!CreateProcessA(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    return true;
}

int processWaits = 0;  // RunProcess calls waiting on this (the GUI) thread, and PumpMessages

// Dispatches the thread's waiting messages until none is left or a WM_QUIT
// comes, which is taken out of the queue: true then, with its code.
bool DispatchWaiting(WPARAM& quitCode) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = message.wParam;
            return true;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return false;
}

// Waits for `process` up to `limitMs`, dispatching the thread's messages
// meanwhile. True when it ended. A WM_QUIT met on the way is posted again after.
bool MessageWait(HANDLE process, unsigned limitMs) {
    const DWORD start = GetTickCount();
    bool quit = false;
    WPARAM quitCode = 0;
    bool ended = false;
    ++processWaits;
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= limitMs) break;
        const DWORD result = MsgWaitForMultipleObjects(1, &process, FALSE, limitMs - spent, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (result != WAIT_OBJECT_0 + 1) break;  // the limit, or a failed wait
        quit = DispatchWaiting(quitCode);
        if (quit) {
            // The loop that ends on it is outside; the wait goes on without messages.
            ended = WaitForSingleObject(process, limitMs - std::min<DWORD>(limitMs, GetTickCount() - start)) == WAIT_OBJECT_0;
            break;
        }
    }
    --processWaits;
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return ended;
}

}  // namespace

bool StartProcess(const std::string& program, const std::string& commandLine,
                  ShowCommand show, bool wait, const std::string& folder) {
    PROCESS_INFORMATION process;
    if (!Launch(program, commandLine, show, folder, process)) return false;
    if (wait) WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    return true;
}

ProcessEnd RunProcess(const std::string& program, const std::string& commandLine, ShowCommand show,
                      const std::string& folder, unsigned limitMs) {
    PROCESS_INFORMATION process;
    if (!Launch(program, commandLine, show, folder, process)) return ProcessEnd::NotStarted;
    ProcessEnd end = ProcessEnd::Ended;
    if (!MessageWait(process.hProcess, limitMs)) {
        TerminateProcess(process.hProcess, 1);
        // Its files are closed once it is gone.
        WaitForSingleObject(process.hProcess, 5000);
        end = ProcessEnd::Stopped;
    }
    CloseHandle(process.hProcess);
    return end;
}

bool InProcessWait() { return processWaits > 0; }

void PumpMessages() {
    WPARAM quitCode = 0;
    ++processWaits;
    const bool quit = DispatchWaiting(quitCode);
    --processWaits;
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

namespace {

// Writes the values and asks the system to reload the wallpaper; `tile` < 0
// leaves "TileWallpaper" as it is.
void WriteDesktopWallpaper(const std::string& path, int style, int tile) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        throw Error("Failed to get data for 'Control Panel\\Desktop'");
    const std::string styleText = std::to_string(style);
    auto set = [&](const char* name, const std::string& value) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    };
    const bool written = set("Wallpaper", path) && set("WallpaperStyle", styleText) &&
                         (tile < 0 || set("TileWallpaper", std::to_string(tile)));
    RegCloseKey(key);
    if (!written) throw Error("Failed to set data for 'Control Panel\\Desktop'");
    // The same path as the value "Wallpaper": Windows documents a path (or its
    // special value for the default wallpaper) here, not a null.
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path.c_str()), SPIF_SENDWININICHANGE);
}

}  // namespace

void SetDesktopWallpaper(const std::string& path, int style) { WriteDesktopWallpaper(path, style, -1); }

void SetDesktopWallpaper(const std::string& path, int style, int tile) { WriteDesktopWallpaper(path, style, tile); }

bool SpansWallpaper() {
    // The true version, which GetVersionEx hides from programs that do not
    // declare the newest systems.
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto getVersion =
        ntdll ? reinterpret_cast<GetVersionFunction>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
              : nullptr;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!getVersion || getVersion(&info) != 0) return true;
    return info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion >= 2);
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& r = info.rcMonitor;
        reinterpret_cast<std::vector<MonitorArea>*>(data)->push_back(
            {r.left, r.top, r.right - r.left, r.bottom - r.top, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

}  // namespace

std::vector<MonitorArea> DisplayMonitors() {
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

DesktopWallpaper ReadDesktopWallpaper() {
    DesktopWallpaper values;
    auto read = [](const char* name) {
        char buffer[2048];
        DWORD size = sizeof buffer;
        if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
            ERROR_SUCCESS)
            return std::string();
        return std::string(buffer);
    };
    values.path = read("Wallpaper");
    values.style = read("WallpaperStyle");
    values.tile = read("TileWallpaper");
    return values;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxBytes) {
    // Deleting and replacing shared too: a file read whole is read in a
    // moment, and whoever replaces it meanwhile should not fail for that.
    HANDLE file = CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Error("Unable to read " + path);
    struct Closer {
        HANDLE handle;
        ~Closer() { CloseHandle(handle); }
    } closer{file};
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) throw Error("Unable to read " + path);
    if (static_cast<uint64_t>(size.QuadPart) > maxBytes) throw TooLargeError(path + " is too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &got, nullptr)) throw Error("Unable to read " + path);
        if (got == 0) break;  // the file shrank while it was read
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

namespace {

class Win32InputFile final : public InputFile {
public:
    Win32InputFile(HANDLE file, uint64_t size, const std::string& path) : file_(file), size_(size), path_(path) {}
    ~Win32InputFile() override { CloseHandle(file_); }
    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override {
        char* bytes = static_cast<char*>(data);
        size_t done = 0;
        while (done < size) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + done);
            at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 24));
            DWORD got = 0;
            if (!ReadFile(file_, bytes + done, chunk, &got, &at)) {
                if (GetLastError() == ERROR_HANDLE_EOF) break;
                throw Error("Unable to read " + path_);
            }
            if (got == 0) break;  // the end of the file
            done += got;
        }
        return done;
    }

private:
    HANDLE file_;
    uint64_t size_;
    std::string path_;
};

}  // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path) {
    // Shared as ReadFileBytes shares, and for deleting too: the file stays open
    // while a picture is read, and another program may be replacing it.
    HANDLE file = CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Error("Unable to read " + path);
    // The size and whether it is a folder, and nothing more: the whole of
    // GetFileInformationByHandle (the file's name and volume besides) costs
    // more than ten opens under Wine in a folder of many files.
    FILE_STANDARD_INFO information;
    if (!GetFileInformationByHandleEx(file, FileStandardInfo, &information, sizeof information) ||
        information.Directory) {
        CloseHandle(file);
        throw Error("Unable to read " + path);
    }
    const uint64_t size = static_cast<uint64_t>(information.EndOfFile.QuadPart);
    try {
        return std::make_unique<Win32InputFile>(file, size, path);
    } catch (...) {
        CloseHandle(file);
        throw;
    }
}

namespace {

class Win32OutputFile final : public OutputFile {
public:
    Win32OutputFile(HANDLE file, const std::string& path) : file_(file), path_(path) {}
    void Write(const void* data, size_t size) override { WriteAt(end_, data, size); }
    // Each piece goes at its own offset (OVERLAPPED on a handle opened for
    // synchronous writes), so Write keeps its own end and never depends on
    // where the system left the file pointer.
    void WriteAt(uint64_t offset, const void* data, size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        if (offset > static_cast<uint64_t>(INT64_MAX) - size) throw WriteError("Unable to write to " + path_);
        if (offset > end_ && !sparse_) {
            sparse_ = true;
            MarkSparse();
        }
        const uint64_t reach = offset + size;
        while (size > 0) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
            DWORD written = 0;
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            if (!WriteFile(file_, bytes, chunk, &written, &at) || written == 0)
                throw WriteError("Unable to write to " + path_);
            bytes += written;
            offset += written;
            size -= written;
        }
        end_ = std::max(end_, reach);
    }

private:
    // A write past the end leaves a gap, which NTFS would fill with zeros on
    // the disk before the write (the wallpaper bitmap's first band of rows
    // lands near its end). A sparse file leaves the gap unwritten until its
    // own bytes come. Where the volume keeps no sparse files, or refuses,
    // the zeros are written as before.
    void MarkSparse() {
        DWORD flags = 0;
        if (!GetVolumeInformationByHandleW(file_, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
            !(flags & FILE_SUPPORTS_SPARSE_FILES))
            return;
        DWORD returned = 0;
        DeviceIoControl(file_, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    }

    HANDLE file_;
    const std::string& path_;
    uint64_t end_ = 0;  // where Write appends: the end of what was written
    bool sparse_ = false;  // marked sparse, or found the volume does not keep sparse files
};

}  // namespace

void WriteFileReplacing(const std::string& path, const std::function<void(OutputFile&)>& produce, bool durable) {
    const std::wstring temporary = SystemPath(path + ".tmp");
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw WriteError("Unable to write to " + path);
    try {
        Win32OutputFile out(file, path);
        produce(out);
    } catch (...) {
        CloseHandle(file);
        DeleteFileW(temporary.c_str());
        throw;
    }
    const bool flushed = !durable || FlushFileBuffers(file);
    const DWORD move = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    const std::wstring target = SystemPath(path);
    // A reader that keeps others from replacing the file while it reads (the
    // desktop loading the wallpaper just set, a private-profile read of
    // config.ini) closes it in a moment: the move is tried again, for at
    // most half a second.
    auto moved = [&] {
        for (DWORD start = GetTickCount();;) {
            if (MoveFileExW(temporary.c_str(), target.c_str(), move)) return true;
            const DWORD error = GetLastError();
            if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || GetTickCount() - start >= 500)
                return false;
            Sleep(20);
        }
    };
    if (!CloseHandle(file) || !flushed || !moved()) {
        DeleteFileW(temporary.c_str());
        throw WriteError("Unable to write to " + path);
    }
}

bool CopyFileOver(const std::string& from, const std::string& to) {
    const std::wstring target = SystemPath(to);
    if (CopyFileW(SystemPath(from).c_str(), target.c_str(), FALSE)) return true;
    DeleteFileW(target.c_str());
    return false;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::optional<FolderId> IdentifyFolder(const std::string& path) {
    HANDLE folder = CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    BOOL ok = GetFileInformationByHandle(folder, &info);
    CloseHandle(folder);
    if (!ok) return std::nullopt;
    FolderId id;
    id.volume = info.dwVolumeSerialNumber;
    id.index = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return id;
}

namespace {

uint64_t Ticks(const FILETIME& time) { return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime; }

// NTFS and ReFS move a folder's last-write time, finely, on every change of its
// entries. FAT keeps times to two seconds, and whether a folder's time moves
// there depends on the driver: there it is never relied on. Asking the volume
// costs more than the rest of a stamp, so the answer is kept per volume.
bool KeepsFolderTimes(HANDLE folder, DWORD volume) {
    static std::mutex lock;
    static std::map<DWORD, bool> known;
    const std::lock_guard<std::mutex> hold(lock);
    if (auto found = known.find(volume); found != known.end()) return found->second;
    wchar_t system[MAX_PATH + 1];
    if (!GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1))
        return false;
    return known[volume] = lstrcmpiW(system, L"NTFS") == 0 || lstrcmpiW(system, L"ReFS") == 0;
}

bool Settled(const FolderStamp& stamp) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return stamp.keepsTimes && stamp.written + kFolderSettleSeconds * 10000000u < Ticks(now);
}

}  // namespace

std::optional<FolderStamp> StampFolder(const std::string& path, const FolderStamp* within) {
    FolderStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    const std::wstring system = SystemPath(path);
    if (within && GetFileAttributesExW(system.c_str(), GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        // A plain sub-folder: one query by name, no handle.
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
        stamp.written = Ticks(data.ftLastWriteTime);
        stamp.other = Ticks(data.ftCreationTime);
        stamp.keepsTimes = within->keepsTimes;
        stamp.settled = Settled(stamp);
        return stamp;
    }
    // The top folder, a link or a mount point: opened, to learn which folder
    // and which volume it leads to.
    stamp.link = within != nullptr;
    HANDLE folder = CreateFileW(system.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL ok = GetFileInformationByHandle(folder, &info);
    stamp.keepsTimes = ok && KeepsFolderTimes(folder, info.dwVolumeSerialNumber);
    CloseHandle(folder);
    if (!ok || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    stamp.id.volume = info.dwVolumeSerialNumber;
    stamp.id.index = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    stamp.written = Ticks(info.ftLastWriteTime);
    stamp.other = Ticks(info.ftCreationTime);
    stamp.settled = Settled(stamp);
    return stamp;
}

namespace {

// Whether the volume that holds the opened folder is a fixed disk that stays:
// DRIVE_FIXED, and not hot-pluggable or on a bus made for plugging in (a disk
// on USB reports DRIVE_FIXED too) where the system tells; a network share is not.
bool OnAFixedDisk(HANDLE folder) {
    std::wstring path(MAX_PATH + 1, L'\0');
    DWORD length = GetFinalPathNameByHandleW(folder, path.data(), static_cast<DWORD>(path.size()), VOLUME_NAME_DOS);
    if (length >= path.size()) {
        path.resize(length + 1);
        length = GetFinalPathNameByHandleW(folder, path.data(), static_cast<DWORD>(path.size()), VOLUME_NAME_DOS);
    }
    if (length == 0 || length >= path.size()) return false;
    path.resize(length);
    // "\\?\C:\..." on a drive, "\\?\UNC\server\..." on a share.
    if (path.rfind(L"\\\\?\\", 0) == 0) path.erase(0, 4);
    if (path.size() < 2 || path[1] != L':') return false;
    if (path.back() != L'\\') path += L'\\';
    if (path.size() >= MAX_PATH) path.insert(0, L"\\\\?\\");  // the volume's own path stays short
    wchar_t volume[MAX_PATH + 1];
    if (!GetVolumePathNameW(path.c_str(), volume, MAX_PATH + 1) || GetDriveTypeW(volume) != DRIVE_FIXED) return false;
    wchar_t device[MAX_PATH + 1];
    if (!GetVolumeNameForVolumeMountPointW(volume, device, MAX_PATH + 1)) return true;
    std::wstring name = device;  // "\\?\Volume{...}\"; the device is that without the last "\"
    if (!name.empty() && name.back() == L'\\') name.pop_back();
    HANDLE disk = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (disk == INVALID_HANDLE_VALUE) return true;
    DWORD got = 0;
    STORAGE_HOTPLUG_INFO hotplug = {};
    bool plugged = DeviceIoControl(disk, IOCTL_STORAGE_GET_HOTPLUG_INFO, nullptr, 0, &hotplug, sizeof hotplug, &got,
                                   nullptr) &&
                   (hotplug.DeviceHotplug || hotplug.MediaRemovable);
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    alignas(STORAGE_DEVICE_DESCRIPTOR) unsigned char answer[1024] = {};
    const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(answer);
    if (DeviceIoControl(disk, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, answer, sizeof answer, &got, nullptr) &&
        got >= offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof descriptor->BusType) {
        const STORAGE_BUS_TYPE bus = descriptor->BusType;
        plugged = plugged || bus == BusTypeUsb || bus == BusType1394 || bus == BusTypeSd || bus == BusTypeMmc;
    }
    CloseHandle(disk);
    return !plugged;
}

// One change notification over the whole sub-tree: names of files and folders
// added, removed or renamed anywhere below the top. It does not reach beyond
// links and mount points below the top; the walk stamps those.
class Win32FolderWatch final : public FolderWatch {
public:
    Win32FolderWatch(HANDLE change, FolderId top) : change_(change), top_(top) {}
    ~Win32FolderWatch() override { FindCloseChangeNotification(change_); }
    FolderId Top() const override { return top_; }
    bool Include(const std::string&) override { return true; }
    // Signalled within the file system's own call that makes the change.
    bool Changed() override { return WaitForSingleObject(change_, 0) != WAIT_TIMEOUT; }
    bool Rearm() override { return FindNextChangeNotification(change_) != 0; }

private:
    HANDLE change_;
    FolderId top_;
};

}  // namespace

// Wine's change notifications are not relied on: in a loaded test run a file
// added two folders below the top went unreported for more than 5 s. Under
// Wine the walk stamps every folder, as on removable and network drives.
static bool UnderWine() {
    static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

std::unique_ptr<FolderWatch> WatchFolderTree(const std::string& top) {
    if (UnderWine()) return nullptr;
    const std::wstring system = SystemPath(top);
    HANDLE folder = CreateFileW(system.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return nullptr;
    BY_HANDLE_FILE_INFORMATION info;
    const bool watchable = GetFileInformationByHandle(folder, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                           KeepsFolderTimes(folder, info.dwVolumeSerialNumber) && OnAFixedDisk(folder);
    CloseHandle(folder);
    if (!watchable) return nullptr;
    HANDLE change = FindFirstChangeNotificationW(system.c_str(), TRUE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    if (change == INVALID_HANDLE_VALUE) return nullptr;
    const FolderId id{info.dwVolumeSerialNumber, static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
    return std::make_unique<Win32FolderWatch>(change, id);
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
