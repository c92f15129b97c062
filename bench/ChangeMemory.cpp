// ChangeMemory [--fitscreen N] FOLDER...
//
// What a wallpaper change costs the real program in memory, under Wine or
// Windows: for each folder (holding one picture), config.ini is pointed at it,
// tavrinwp.exe is started without a change at start (option "allformats" 1,
// so that PNG and WebP pictures count), and one change is asked
// for from the tray icon. Prints the program's working set once it is idle,
// its peak working set before the change and after it, and the rise the change
// made. With --fitscreen, config.ini holds "fitscreen" N (1: a picture on
// every monitor, 2: each monitor filled). Run in a prefix of its own: the data
// folder in Documents is rewritten.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "tests/e2e/Driver.h"
#include "ui/Tray.h"

namespace {

double Megabytes(SIZE_T bytes) { return double(bytes) / (1024.0 * 1024.0); }

bool Counters(HANDLE process, PROCESS_MEMORY_COUNTERS& counters) {
    counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) != 0;
}

bool WriteText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}

// One change of the picture in `folder`; false when the program did not run
// or wrote no bitmap.
bool MeasureChange(const std::string& folder, const std::string& fitscreen) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    if (!WriteText(files.config, "[options]\r\nwallpaper_directory=" + folder +
                                     "\r\nchangestart=0\r\nnumber=1\r\nplugin_directory=none\r\n"
                                     "R=0\r\nG=0\r\nB=128\r\nallformats=1\r\n" +
                                     (fitscreen.empty() ? "" : "fitscreen=" + fitscreen + "\r\n"))) {
        std::fprintf(stderr, "ChangeMemory: cannot write %s\n", files.config.c_str());
        return false;
    }
    e2e::Program running("");
    HWND form = running.Started() && running.WaitUntilIdle() ? running.FindWindowOfClass("TForm1") : nullptr;
    HANDLE process = running.Started() ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, running.Id()) : nullptr;
    if (!form || !process) {
        std::fprintf(stderr, "ChangeMemory: the program did not start\n");
        return false;
    }
    Sleep(1000);  // the banner and the tray icon settle
    PROCESS_MEMORY_COUNTERS idle, after;
    Counters(process, idle);
    const DWORD start = GetTickCount();
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    running.WaitUntilIdle();
    const DWORD took = GetTickCount() - start;
    Counters(process, after);
    CloseHandle(process);
    WIN32_FILE_ATTRIBUTE_DATA bitmap;
    if (!GetFileAttributesExA(files.bitmap.c_str(), GetFileExInfoStandard, &bitmap)) {
        std::fprintf(stderr, "ChangeMemory: no bitmap was written for %s\n", folder.c_str());
        return false;
    }
    std::printf("%s\n  bitmap %.1f MB, change %.2f s\n  working set when idle %.1f MB, peak before the change %.1f MB, "
                "after it %.1f MB\n  rise of the peak: %.1f MB\n",
                folder.c_str(), Megabytes(bitmap.nFileSizeLow), took / 1000.0, Megabytes(idle.WorkingSetSize),
                Megabytes(idle.PeakWorkingSetSize), Megabytes(after.PeakWorkingSetSize),
                Megabytes(after.PeakWorkingSetSize - idle.PeakWorkingSetSize));
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    running.WaitForExit();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    std::string fitscreen;
    if (argc > 2 && std::string(argv[1]) == "--fitscreen") {
        fitscreen = argv[2];
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: ChangeMemory [--fitscreen N] FOLDER...\n");
        return 2;
    }
    int status = 0;
    for (int i = first; i < argc; ++i)
        if (!MeasureChange(argv[i], fitscreen)) status = 1;
    return status;
}
