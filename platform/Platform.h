// The one door to the operating system. Portable code reaches files, folders,
// INI files, processes, the clock and the display only through these calls.
// Every string is an 8-bit string in the ANSI code page; paths are joined with "\".
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace platform {

// An error the program reports to the user in its standard error box.
// The text is in the ANSI code page.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// Calls `visit` for each entry of `folder` in the system's own order, "." and ".."
// included where the system gives them, until `visit` returns false.
// Returns false when the folder cannot be listed.
bool ListFolder(const std::string& folder, const std::function<bool(const FolderEntry&)>& visit);

bool FileExists(const std::string& path);       // an existing file that is not a folder
bool DirectoryExists(const std::string& path);  // an existing folder
std::string GetCurrentDir();                     // no trailing "\" unless it is a root
bool SetCurrentDir(const std::string& path);
bool CreateDir(const std::string& path);         // one level; false when it fails
bool RemoveFile(const std::string& path);

// Private-profile (INI) access. Section and key names match without regard to
// case; a value is read back up to 2047 characters, with surrounding blanks and
// one pair of enclosing quotes removed; a missing key gives `defaultValue`.
std::string ReadIniString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
// Writes one value at once, creating the file and the section when needed.
// Throws Error("Unable to write to <file>") when the file cannot be written.
void WriteIniString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

// Window show commands understood by StartProcess.
enum ShowCommand : int {
    ShowNormal = 1,
    ShowNoActivate = 4,
    ShowRestore = 9,
};

// Starts a process. `program` is the program file, or empty to take the program
// from the start of `commandLine` by the system's rules. When `wait` is set the
// call returns only after the process has ended. Returns false when the process
// could not be started.
bool StartProcess(const std::string& program, const std::string& commandLine,
                  ShowCommand show, bool wait);

int TodayDayOfMonth();     // 1..31, local time
int DisplayColorDepth();   // bits per pixel of the screen

}  // namespace platform
