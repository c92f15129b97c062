// The POSIX implementation of the platform layer, for host tests, sanitizers,
// fuzzing and benchmarks. It behaves as the Win32 one does where the program can
// tell: listings put "." and ".." first and the other names in a stable order,
// INI files follow the private-profile rules, and "\" separates path parts.
#include "platform/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/posix/ProfileText.h"

extern char** environ;

namespace platform {

namespace {

std::string Native(const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

bool StatPath(const std::string& path, struct stat& info) {
    return !path.empty() && stat(Native(path).c_str(), &info) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(Native(path), std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

// Replaces the file through a temporary file beside it, so that a failed write
// never leaves a half-written file in place of the old one.
bool ReplaceFile(const std::string& path, const std::string& text) {
    const std::string native = Native(path);
    const std::string temporary = native + ".tmp~";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t written = write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            close(fd);
            unlink(temporary.c_str());
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    if (close(fd) != 0 || rename(temporary.c_str(), native.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool ListFolder(const std::string& folder, const std::function<bool(const FolderEntry&)>& visit) {
    const std::string native = Native(folder);
    DIR* dir = opendir(native.empty() ? "." : native.c_str());
    if (!dir) return false;
    std::vector<FolderEntry> entries;
    while (dirent* item = readdir(dir)) {
        FolderEntry entry;
        entry.name = item->d_name;
        if (item->d_type == DT_DIR) {
            entry.isFolder = true;
        } else if (item->d_type == DT_UNKNOWN || item->d_type == DT_LNK) {
            // The type is not known, or the entry is a link: what it leads to decides.
            struct stat info;
            entry.isFolder = stat((native + "/" + entry.name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    // "." and ".." first, then the other names in byte order.
    auto dot = [](const FolderEntry& entry) { return entry.name == "." || entry.name == ".."; };
    const auto others = std::partition(entries.begin(), entries.end(), dot);
    std::sort(entries.begin(), others, [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    std::sort(others, entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& entry : entries)
        if (!visit(entry)) break;
    return true;
}

bool FileExists(const std::string& path) {
    struct stat info;
    return StatPath(path, info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info;
    return StatPath(path, info) && S_ISDIR(info.st_mode);
}

std::string GetCurrentDir() {
    std::vector<char> buffer(PATH_MAX);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool SetCurrentDir(const std::string& path) { return chdir(Native(path).c_str()) == 0; }

void CheckDirectory(const std::string& path) {
    struct stat info;
    const bool found = !path.empty() && stat(Native(path).c_str(), &info) == 0;
    switch (!found ? (path.empty() ? ENOENT : errno) : S_ISDIR(info.st_mode) ? 0 : ENOTDIR) {
    case 0:
        return;
    case ENOENT:
        throw Error("File not found");
    case ENOTDIR:
    case ENAMETOOLONG:
        throw Error("Invalid filename");
    case EACCES:
        throw Error("File access denied");
    default:
        throw Error("I/O error " + std::to_string(errno));
    }
}

bool CreateDir(const std::string& path) { return mkdir(Native(path).c_str(), 0755) == 0; }

bool RemoveFile(const std::string& path) { return !DirectoryExists(path) && unlink(Native(path).c_str()) == 0; }

std::string Utf8FromAnsi(const std::string& text) { return text; }
std::string AnsiFromUtf8(const std::string& text) { return text; }

// A file in UTF-16 or with a UTF-8 mark is read and written in its own
// encoding, as the private-profile functions of Windows do.
std::string ReadIniString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    std::string bytes;
    std::string value;
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    if (!ReadWholeFile(file, bytes) || !FindProfileValue(DecodeProfileText(bytes, encoding), section, key, value))
        value = defaultValue;
    else if (encoding != ProfileEncoding::Ansi)
        value = AnsiFromUtf8(value);
    if (value.size() > kProfileValueLimit) value.resize(kProfileValueLimit);
    return value;
}

void WriteIniString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
    std::string bytes;
    if (DirectoryExists(file)) throw Error("Unable to write to " + file);
    ReadWholeFile(file, bytes);
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    const std::string text = DecodeProfileText(bytes, encoding);
    const std::string stored = encoding == ProfileEncoding::Ansi ? value : Utf8FromAnsi(value);
    if (!ReplaceFile(file, EncodeProfileText(encoding, SetProfileValue(text, section, key, stored))))
        throw Error("Unable to write to " + file);
}

namespace {

bool Launch(const std::string& program, const std::string& commandLine, const std::string& folder, pid_t& child) {
    // The command line is split at blanks, as an unquoted Windows command line is.
    std::vector<std::string> words;
    std::istringstream split(commandLine);
    for (std::string word; split >> word;) words.push_back(word);
    std::string file = program.empty() ? (words.empty() ? std::string() : words.front()) : program;
    if (file.empty()) return false;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    std::string nativeFile = Native(file);
    if (argv.empty()) argv.push_back(nativeFile.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string nativeFolder = Native(folder);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, nativeFolder.c_str());
    const bool started = posix_spawn(&child, nativeFile.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started;
}

// Waits for the child's end without a limit.
void Reap(pid_t child) {
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

bool StartProcess(const std::string& program, const std::string& commandLine,
                  ShowCommand, bool wait, const std::string& folder) {
    pid_t child;
    if (!Launch(program, commandLine, folder, child)) return false;
    if (wait) Reap(child);
    return true;
}

ProcessEnd RunProcess(const std::string& program, const std::string& commandLine, ShowCommand,
                      const std::string& folder, unsigned limitMs) {
    pid_t child;
    if (!Launch(program, commandLine, folder, child)) return ProcessEnd::NotStarted;
    // No window messages here: the wait polls the child's end.
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        int status;
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) return ProcessEnd::Ended;
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long spent = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (spent >= limitMs) break;
        usleep(5000);
    }
    kill(child, SIGKILL);
    Reap(child);
    return ProcessEnd::Stopped;
}

bool InProcessWait() { return false; }
void PumpMessages() {}

namespace {
DesktopWallpaper desktopWallpaper;
}  // namespace

void SetDesktopWallpaper(const std::string& path, int style) {
    desktopWallpaper.path = path;
    desktopWallpaper.style = std::to_string(style);
}

void SetDesktopWallpaper(const std::string& path, int style, int tile) {
    desktopWallpaper = {path, std::to_string(style), std::to_string(tile)};
}

bool SpansWallpaper() { return true; }

std::vector<MonitorArea> DisplayMonitors() { return {}; }

DesktopWallpaper ReadDesktopWallpaper() { return desktopWallpaper; }

std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxBytes) {
    int fd = path.empty() ? -1 : open(Native(path).c_str(), O_RDONLY);
    if (fd < 0) throw Error("Unable to read " + path);
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) throw Error("Unable to read " + path);
    if (static_cast<uint64_t>(info.st_size) > maxBytes) throw TooLargeError(path + " is too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw Error("Unable to read " + path);
        if (got == 0) break;  // the file shrank while it was read
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

namespace {

class PosixInputFile final : public InputFile {
public:
    PosixInputFile(int fd, uint64_t size, const std::string& path) : fd_(fd), size_(size), path_(path) {}
    ~PosixInputFile() override { close(fd_); }
    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t offset, void* data, size_t size) override {
        char* bytes = static_cast<char*>(data);
        size_t done = 0;
        while (done < size) {
            if (offset + done > static_cast<uint64_t>(INT64_MAX)) break;
            const ssize_t got = pread(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw Error("Unable to read " + path_);
            if (got == 0) break;  // the end of the file
            done += static_cast<size_t>(got);
        }
        return done;
    }

private:
    int fd_;
    uint64_t size_;
    std::string path_;
};

}  // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path) {
    const int fd = path.empty() ? -1 : open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Error("Unable to read " + path);
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        throw Error("Unable to read " + path);
    }
    return std::make_unique<PosixInputFile>(fd, static_cast<uint64_t>(info.st_size), path);
}

namespace {

class PosixOutputFile final : public OutputFile {
public:
    PosixOutputFile(int fd, const std::string& path) : fd_(fd), path_(path) {}
    void Write(const void* data, size_t size) override {
        WriteAt(end_, data, size);
    }
    void WriteAt(uint64_t offset, const void* data, size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        if (offset > static_cast<uint64_t>(INT64_MAX) - size) throw WriteError("Unable to write to " + path_);
        const uint64_t reach = offset + size;
#ifdef __linux__
        // A write past the end reserves the gap and itself on the disk at
        // once: a full disk fails here, and the file system need not place
        // the blocks later, when the file is moved over the one it replaces.
        if (offset > end_ && fallocate(fd_, 0, static_cast<off_t>(end_), static_cast<off_t>(reach - end_)) != 0 &&
            errno == ENOSPC)
            throw WriteError("Unable to write to " + path_);
#endif
        while (size > 0) {
            ssize_t written = pwrite(fd_, bytes, size, static_cast<off_t>(offset));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) throw WriteError("Unable to write to " + path_);
            bytes += written;
            offset += static_cast<uint64_t>(written);
            size -= static_cast<size_t>(written);
        }
        end_ = std::max(end_, reach);
    }

private:
    int fd_;
    const std::string& path_;
    uint64_t end_ = 0;  // where Write appends: the end of what was written
};

}  // namespace

void WriteFileReplacing(const std::string& path, const std::function<void(OutputFile&)>& produce, bool durable) {
    const std::string native = Native(path);
    const std::string temporary = native + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw WriteError("Unable to write to " + path);
    try {
        PosixOutputFile out(fd, path);
        produce(out);
    } catch (...) {
        close(fd);
        unlink(temporary.c_str());
        throw;
    }
    const bool synced = !durable || fsync(fd) == 0;
    if (close(fd) != 0 || !synced || rename(temporary.c_str(), native.c_str()) != 0) {
        unlink(temporary.c_str());
        throw WriteError("Unable to write to " + path);
    }
}

bool CopyFileOver(const std::string& from, const std::string& to) {
    const std::string target = Native(to);
    const int in = open(Native(from).c_str(), O_RDONLY);
    if (in < 0) {
        unlink(target.c_str());
        return false;
    }
    const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
        close(in);
        return false;
    }
    std::vector<char> buffer(size_t(1) << 18);
    bool ok = true;
    for (;;) {
        const ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            ok = put > 0;
            if (ok) done += put;
        }
        if (!ok) break;
    }
    close(in);
    if (close(out) != 0) ok = false;
    if (!ok) unlink(target.c_str());
    return ok;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return !DirectoryExists(from) && rename(Native(from).c_str(), Native(to).c_str()) == 0;
}

std::optional<FolderId> IdentifyFolder(const std::string& path) {
    struct stat info;
    if (!StatPath(path, info) || !S_ISDIR(info.st_mode)) return std::nullopt;
    FolderId id;
    id.volume = static_cast<uint64_t>(info.st_dev);
    id.index = static_cast<uint64_t>(info.st_ino);
    return id;
}

std::optional<FolderStamp> StampFolder(const std::string& path, const FolderStamp*) {
    struct stat info;
    if (!StatPath(path, info) || !S_ISDIR(info.st_mode)) return std::nullopt;
    auto nanoseconds = [](const timespec& time) {
        return static_cast<uint64_t>(time.tv_sec) * 1000000000u + static_cast<uint64_t>(time.tv_nsec);
    };
    FolderStamp stamp;
    stamp.id = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    stamp.written = nanoseconds(info.st_mtim);
    stamp.other = nanoseconds(info.st_ctim);
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    stamp.keepsTimes = true;
    stamp.settled = stamp.written + kFolderSettleSeconds * 1000000000u < nanoseconds(now);
    return stamp;
}

namespace {

// Local disk file systems, whose changes are all made through this kernel and
// so all reach inotify. Network and user-space file systems are left out: a
// change made on another machine would never be reported.
bool OnALocalDisk(const std::string& native) {
    struct statfs info;
    if (statfs(native.c_str(), &info) != 0) return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0xF2F52010:  // f2fs
    case 0x01021994:  // tmpfs
    case 0x794C7630:  // overlayfs
    case 0x2FC12FC1:  // zfs
    case 0xCA451A4E:  // bcachefs
        return true;
    default:
        return false;
    }
}

// Entries added, removed or renamed in the folder, its attributes (a folder
// made unreadable lists as empty), and the folder itself removed or moved.
constexpr uint32_t kWatchEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

class InotifyWatch final : public FolderWatch {
public:
    InotifyWatch(int fd, FolderId top) : fd_(fd), top_(top) {}
    ~InotifyWatch() override { close(fd_); }
    FolderId Top() const override { return top_; }
    bool Include(const std::string& folder) override {
        // A folder watched already (also through a link) keeps its one watch.
        return inotify_add_watch(fd_, Native(folder).c_str(), kWatchEvents) >= 0;
    }
    bool Changed() override {
        if (!changed_) {
            alignas(inotify_event) char events[4096];
            const ssize_t got = read(fd_, events, sizeof events);
            // Any event (an overflow too), or any answer but "nothing yet".
            changed_ = !(got < 0 && errno == EAGAIN);
        }
        return changed_;
    }
    bool Rearm() override {
        alignas(inotify_event) char events[4096];
        for (int reads = 0; reads < 256; ++reads) {
            const ssize_t got = read(fd_, events, sizeof events);
            if (got > 0 || (got < 0 && errno == EINTR)) continue;
            if (got < 0 && errno == EAGAIN) {
                changed_ = false;
                return true;
            }
            return false;
        }
        // Still busy: what is left is reported at the next look, which is safe.
        changed_ = false;
        return true;
    }

private:
    int fd_;
    FolderId top_;
    bool changed_ = false;
};

}  // namespace

std::unique_ptr<FolderWatch> WatchFolderTree(const std::string& top) {
    const std::string native = Native(top);
    struct stat info;
    if (top.empty() || stat(native.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || !OnALocalDisk(native))
        return nullptr;
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    auto watch = std::make_unique<InotifyWatch>(
        fd, FolderId{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)});
    if (!watch->Include(top)) return nullptr;
    return watch;
}

int TodayDayOfMonth() {
    std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    return local.tm_mday;
}

int DisplayColorDepth() { return 24; }

}  // namespace platform
