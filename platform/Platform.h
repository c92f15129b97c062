// The one door to the operating system. Portable code reaches files, folders,
// INI files, processes, the clock and the display only through these calls.
// Every string is an 8-bit string in the ANSI code page; paths are joined with "\".
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

// An error the program reports to the user in its standard error box.
// The text is in the ANSI code page.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An error whose text is one of the program's own, in UTF-8 (it may hold
// letters the ANSI code page lacks); the error box shows it as such.
class Utf8Error : public Error {
public:
    using Error::Error;
};

// A file holds more than the reader takes (ReadFileBytes).
class TooLargeError : public Error {
public:
    using Error::Error;
};

// The system refused to write a file the program makes (the disk is full, the
// folder is missing, another program holds the file): no other input would
// have fared better.
class WriteError : public Error {
public:
    using Error::Error;
};

struct FolderEntry {
    std::string name;  // as the A functions open it: on Windows perhaps its short name
    bool isFolder = false;
    bool hiddenOrSystem = false;  // marked hidden or system (never on POSIX)
    // The entry's real name with "?" for the characters the ANSI code page
    // cannot hold, when `name` is not the real name (a short name); else empty.
    std::string otherRealName;
    // The name the picture rule judges: the real one, never a short name.
    const std::string& RealName() const { return otherRealName.empty() ? name : otherRealName; }
};

// Calls `visit` for each entry of `folder` in the system's own order, "." and ".."
// included where the system gives them, until `visit` returns false.
// Returns false when the folder cannot be listed.
bool ListFolder(const std::string& folder, const std::function<bool(const FolderEntry&)>& visit);

bool FileExists(const std::string& path);       // an existing file that is not a folder
bool DirectoryExists(const std::string& path);  // an existing folder
std::string GetCurrentDir();                     // no trailing "\" unless it is a root
bool SetCurrentDir(const std::string& path);
// Fails as the runtime's change of directory to `path` would: Error with "File
// not found", "Invalid filename", "File access denied" or "I/O error <n>". The
// current directory stays as it is.
void CheckDirectory(const std::string& path);
bool CreateDir(const std::string& path);         // one level; false when it fails
bool RemoveFile(const std::string& path);

// The whole content of a file. Throws Error("Unable to read <path>") when the
// file cannot be read, and TooLargeError("<path> is too large") when it holds more than
// `maxBytes` bytes (nothing is read then).
std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxBytes);

// A file opened for reading by pieces. Size is taken at open.
class InputFile {
public:
    virtual ~InputFile() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
    // Throws Error("Unable to read <path>") when the system fails.
    virtual size_t ReadAt(uint64_t offset, void* data, size_t size) = 0;
};
// Opens `path` for reading while other programs may still read, write, rename
// or delete it. Throws Error("Unable to read <path>") when the file cannot be
// opened (a folder, missing, refused).
std::unique_ptr<InputFile> OpenInputFile(const std::string& path);

// Where WriteFileReplacing's producer puts the bytes; Write and WriteAt throw
// WriteError when the system refuses them.
class OutputFile {
public:
    // Appends at the end of what was written so far.
    virtual void Write(const void* data, size_t size) = 0;
    // Writes at `offset` from the start of the file, which grows as needed
    // (a gap reads as zeros); does not move where Write appends. Windows: the
    // first write past the end marks the file sparse where the volume keeps
    // sparse files, so that the system writes no zeros into the gap first.
    // Linux: a write past the end reserves the gap on the disk at once.
    virtual void WriteAt(uint64_t offset, const void* data, size_t size) = 0;

protected:
    ~OutputFile() = default;
};

// Writes `path` through the temporary file `path` + ".tmp", moved over `path`
// only once it is complete. When the producer throws or the system fails, the
// temporary file is removed, `path` keeps what it held, and the error goes on
// to the caller (the system's failures as WriteError("Unable to write to
// <path>")). With `durable` the temporary file reaches the disk before the
// move, and the move itself is written through, so that a crash or a power
// cut leaves the old file or the new one, never an empty one.
void WriteFileReplacing(const std::string& path, const std::function<void(OutputFile&)>& produce,
                        bool durable = false);

// Copies the file `from` to `to`, which is made or replaced. False when the
// copy fails; `to` is gone then.
bool CopyFileOver(const std::string& from, const std::string& to);
// Moves the file `from` over `to` in one step: `to` holds either what it held
// or all of `from`. False when the system refuses; both stay as they were.
bool MoveFileOver(const std::string& from, const std::string& to);

// Which folder a path leads to, whatever links it goes through: equal values
// mean the same folder. Empty when the system cannot tell.
struct FolderId {
    uint64_t volume = 0;
    uint64_t index = 0;
    friend bool operator==(const FolderId&, const FolderId&) = default;
};
std::optional<FolderId> IdentifyFolder(const std::string& path);

// What tells, without listing a folder, whether its listing may differ from an
// earlier one: which folder it is and the times the system moves whenever an
// entry is added to it, removed from it or renamed in it (not when something
// deeper down changes). `settled` is set only where those times can be relied
// on: the file system keeps them for folders, and the last-write time lies a
// few seconds in the past, so that a later change cannot fall in the same tick
// of the file system's clock and leave it as it is. Empty when the path leads
// to no folder that can be opened.
//
// `within` is the stamp of the folder that lists this one, when there is one:
// a sub-folder that is neither a link nor a mount point lies on the same
// volume, which is then not asked again, and its identity may be left out
// (zero) where the system would need to open the folder to tell it.
struct FolderStamp {
    FolderId id;           // zero when not told
    uint64_t written = 0;  // last-write time, in the system's own units
    uint64_t other = 0;    // the status-change time (POSIX) or creation time (Windows)
    bool settled = false;
    bool keepsTimes = false;  // the volume keeps folder times that can be relied on
    bool link = false;        // a sub-folder that is a link or mount point (told on Windows only)
};
std::optional<FolderStamp> StampFolder(const std::string& path, const FolderStamp* within = nullptr);
inline constexpr uint64_t kFolderSettleSeconds = 5;

// A watch on a folder tree, for knowing without asking every folder that no
// entry was added, removed or renamed anywhere in it. It holds the top folder
// open (Windows: one change notification over the whole sub-tree; POSIX: one
// inotify watch per folder taken in), so it is had only where that costs the
// user nothing: a fixed local disk whose file system keeps folder times
// (Windows: DRIVE_FIXED, not hot-pluggable where the system tells, NTFS or
// ReFS; POSIX: a local disk file system). Never on removable, network or CD
// drives. Closed when the object goes.
class FolderWatch {
public:
    virtual ~FolderWatch() = default;
    // The folder the watch was armed on, identified just before it was armed.
    virtual FolderId Top() const = 0;
    // Takes `folder`, found below the top, under the watch; call it before
    // the folder is stamped or listed. False when changes in it will not be
    // reported (POSIX: no watch left). On Windows the whole sub-tree is
    // watched from the start, except what lies beyond a link or mount point
    // (FolderStamp::link), which the caller leaves out.
    virtual bool Include(const std::string& folder) = 0;
    // Without waiting: whether anything covered may have changed since the
    // watch was armed or last re-armed. Stays true until Rearm, and is also
    // true when the watch can no longer tell (events lost or overflowed).
    virtual bool Changed() = 0;
    // Forgets what was reported: from now on only later changes are. False
    // when the watch cannot go on (close it then).
    virtual bool Rearm() = 0;
};
// Arms a watch on `top` and everything below it; empty where the folder
// cannot or should not be watched (see above), or when the system gives no watch.
std::unique_ptr<FolderWatch> WatchFolderTree(const std::string& top);

// Private-profile (INI) access. Section and key names match without regard to
// case; a value is read back up to 2047 characters, with surrounding blanks and
// one pair of enclosing quotes removed; a missing key gives `defaultValue`.
std::string ReadIniString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
// Writes one value at once, creating the file and the section when needed.
// Throws Error("Unable to write to <file>") when the file cannot be written.
void WriteIniString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

// Text in the ANSI code page as UTF-8, and back. Windows: the system's ANSI
// code page; a character it cannot hold becomes "?". POSIX: names and texts
// are the system's bytes, taken as UTF-8 already, so both give their text back.
std::string Utf8FromAnsi(const std::string& text);
std::string AnsiFromUtf8(const std::string& text);

// Window show commands understood by StartProcess.
enum ShowCommand : int {
    ShowNormal = 1,
    ShowNoActivate = 4,
    ShowRestore = 9,
};

// Starts a process. `program` is the program file, or empty to take the program
// from the start of `commandLine` by the system's rules; `folder` is its working
// folder (empty: the caller's). When `wait` is set the call returns only after
// the process has ended. Returns false when the process could not be started.
bool StartProcess(const std::string& program, const std::string& commandLine,
                  ShowCommand show, bool wait, const std::string& folder = std::string());

// How a process that RunProcess waited for ended.
enum class ProcessEnd {
    NotStarted,  // it could not be started
    Ended,       // it ended by itself within the limit
    Stopped,     // it still ran at the limit and was ended then
};

// Starts a process as StartProcess does and waits for its end, at most
// `limitMs` milliseconds; a process still running then is ended. While it
// waits, the calling thread's window messages go on being dispatched (a message
// wait: its windows stay painted and answering), and InProcessWait() is true, so
// that handlers can drop input that would start other work.
ProcessEnd RunProcess(const std::string& program, const std::string& commandLine, ShowCommand show,
                      const std::string& folder, unsigned limitMs);
bool InProcessWait();
// Dispatches the messages waiting for the calling thread, as RunProcess's wait
// does (InProcessWait() is true meanwhile, and a WM_QUIT met is posted again),
// and returns once none is left: long work on the GUI thread calls it now and
// then so that its windows stay painted and answering. POSIX: nothing.
void PumpMessages();

// The desktop wallpaper. Windows: writes "Wallpaper" = path and
// "WallpaperStyle" = style under HKEY_CURRENT_USER\Control Panel\Desktop (the
// key must exist), then asks the system to reload the wallpaper from the same
// path and tell every window. Throws Error("Failed to get data for 'Control
// Panel\Desktop'") when the key cannot be opened and Error("Failed to set data
// for 'Control Panel\Desktop'") when a value cannot be written. POSIX has no
// such desktop: the values are kept in the process.
void SetDesktopWallpaper(const std::string& path, int style);
// The same, also writing "TileWallpaper" = tile (0 or 1).
void SetDesktopWallpaper(const std::string& path, int style, int tile);
// The values SetDesktopWallpaper writes, as they stand now (Windows: read
// back from the registry); empty texts where there are none.
struct DesktopWallpaper {
    std::string path;
    std::string style;
    std::string tile;
};
DesktopWallpaper ReadDesktopWallpaper();
// Whether the system knows "WallpaperStyle" "22", one bitmap spanned over
// every monitor (Windows 8 and later).
bool SpansWallpaper();

// One monitor of the desktop: its rectangle in physical pixels in
// virtual-screen coordinates (the primary monitor's top-left corner is 0, 0).
struct MonitorArea {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool primary = false;
};
// The monitors as the system reports them now (Windows: EnumDisplayMonitors);
// POSIX has none.
std::vector<MonitorArea> DisplayMonitors();

int TodayDayOfMonth();     // 1..31, local time
int DisplayColorDepth();   // bits per pixel of the screen

}  // namespace platform
