// ChangeCost parts FOLDER
// ChangeCost change FOLDER PROGRAM
//
// What an unreadable picture costs a change, under Wine or Windows.
//
// "parts": in this process, the pieces one attempt at an empty *.jpg of
// FOLDER is made of, each repeated and timed: the walk to a position (kept
// listings, as the program walks), the whole attempt (MakeWallpaper), and the
// system calls inside it. Prints microseconds per call.
//
// "change": the real program (PROGRAM, a tavrinwp.exe) with config.ini at the
// picture in FOLDER that follows the unreadable ones in the listing (a change
// tries every unreadable one before it comes back to it): one change from the
// tray, and a later start with "next" while it runs. Prints how long the
// change took, when the start ended and with what code, and when the word's
// change was saved. Run in a prefix of its own: the data folder in Documents
// is rewritten.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "engine/CatalogueWalk.h"
#include "engine/PictureFile.h"
#include "engine/Wallpaper.h"
#include "platform/Platform.h"
#include "tests/e2e/Driver.h"
#include "ui/Tray.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Microseconds per call of `work`, over `count` calls.
double PerCall(int count, const std::function<void(int)>& work) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < count; ++i) work(i);
    return Seconds(start) * 1e6 / count;
}

// The pictures of `folder` in the order of its listing.
std::vector<std::string> Pictures(const std::string& folder) {
    std::vector<std::string> names;
    platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
        if (!entry.isFolder && IsPictureFile(entry.RealName())) names.push_back(entry.name);
        return true;
    });
    return names;
}

int Parts(const std::string& folder) {
    const std::vector<std::string> pictures = Pictures(folder);
    std::string empty;
    for (const std::string& name : pictures)
        if (platform::FileExists(folder + "\\" + name) && platform::ReadFileBytes(folder + "\\" + name, 1).empty()) {
            empty = folder + "\\" + name;
            break;
        }
    if (empty.empty()) {
        std::fprintf(stderr, "ChangeCost: no empty picture in %s\n", folder.c_str());
        return 1;
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    WallpaperTarget target;
    target.bitmapPath = std::string(temp) + "ChangeCost.bmp";
    target.plugin = "none";
    const int n = static_cast<int>(pictures.size());
    const int count = 2000;
    std::printf("%s: %d pictures\n", folder.c_str(), n);
    PictureSearch(folder, 1);  // the listing, made once and kept
    std::printf("  walk to a position (kept listings)  %8.1f us\n",
                PerCall(200, [&](int i) { PictureSearch(folder, 1 + (i * 97) % n); }));
    std::printf("  one attempt at an empty picture     %8.1f us\n",
                PerCall(count, [&](int) { MakeWallpaper(empty, target); }));
    std::printf("    display colour depth               %8.1f us\n", PerCall(count, [](int) { platform::DisplayColorDepth(); }));
    std::printf("    open the picture and its size      %8.1f us\n",
                PerCall(count, [&](int) { platform::OpenInputFile(empty)->Size(); }));
    const std::wstring wide(empty.begin(), empty.end());
    std::printf("      CreateFileW and CloseHandle alone  %8.1f us\n", PerCall(count, [&](int) {
                    CloseHandle(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
                }));
    WIN32_FILE_ATTRIBUTE_DATA data;
    std::printf("      its size without opening it        %8.1f us\n",
                PerCall(count, [&](int) { GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data); }));
    std::printf("    remove a missing file              %8.1f us\n",
                PerCall(count, [&](int) { platform::RemoveFile(target.bitmapPath + ".own"); }));
    std::printf("    an exception thrown and caught     %8.1f us\n", PerCall(count, [](int) {
                    try {
                        throw platform::Error("x");
                    } catch (const platform::Error&) {
                    }
                }));
    MSG message;
    std::printf("    a look at the message queue        %8.1f us\n",
                PerCall(count, [&](int) { PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); }));
    return 0;
}

FILETIME WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool operator!=(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) != 0; }

int Change(const std::string& folder, const std::string& program) {
    const std::vector<std::string> pictures = Pictures(folder);
    int good = 0;  // the 1-based position of the one readable picture
    for (size_t i = 0; i < pictures.size(); ++i)
        if (!platform::ReadFileBytes(folder + "\\" + pictures[i], 1u << 20).empty()) good = static_cast<int>(i) + 1;
    if (!good) {
        std::fprintf(stderr, "ChangeCost: no readable picture in %s\n", folder.c_str());
        return 1;
    }
    // From the picture after it, every other position fails once before it comes round.
    const int number = good == static_cast<int>(pictures.size()) ? 1 : good + 1;
    const e2e::DataFiles files = e2e::FreshDataFolder();
    platform::WriteFileReplacing(files.config, [&](platform::OutputFile& out) {
        const std::string text = "[options]\r\nwallpaper_directory=" + folder + "\r\nnumber=" + std::to_string(number) +
                                 "\r\nplugin_directory=none\r\n";
        out.Write(text.data(), text.size());
    });
    e2e::Program running("startup", SW_SHOWNORMAL, "", program);
    HWND form = running.Started() && running.WaitUntilIdle() ? running.FindWindowOfClass("TForm1") : nullptr;
    if (!form) {
        std::fprintf(stderr, "ChangeCost: %s did not start\n", program.c_str());
        return 1;
    }
    const FILETIME before = WriteTime(files.config);
    const Clock::time_point start = Clock::now();
    PostMessageW(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    // The later start, once the change is under way (the window has the click).
    Sleep(500);
    e2e::Program word("next", SW_SHOWNORMAL, "", program);
    DWORD exitCode = 99;
    const bool ended = word.WaitForExit(600000, &exitCode);
    const double wordEnded = Seconds(start);
    FILETIME saved = before;
    double changed = -1, carried = -1;
    // A start that did not end with 0 handed nothing over: one save is all.
    const bool handed = ended && exitCode == 0;
    while (Seconds(start) < 900 && (changed < 0 || (handed && carried < 0))) {
        const FILETIME now = WriteTime(files.config);
        if (now != saved) {
            saved = now;
            (changed < 0 ? changed : carried) = Seconds(start);
        }
        Sleep(20);
    }
    std::printf("%s: %zu pictures, %d unreadable tried before the readable one\n", folder.c_str(), pictures.size(),
                static_cast<int>(pictures.size()) - 1);
    std::printf("  the change took %.1f s (%.0f us a picture)\n", changed, changed * 1e6 / (pictures.size() - 1));
    std::printf("  \"next\" started 0.5 s in ended %s at %.1f s with exit code %lu\n", ended ? "" : "NOT", wordEnded,
                exitCode);
    std::printf("  its change was %s at %.1f s\n", carried < 0 ? "NOT saved" : "saved", carried);
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    running.WaitForExit(600000);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "parts" && argc == 3) return Parts(argv[2]);
    if (mode == "change" && argc == 4) return Change(argv[2], argv[3]);
    std::fprintf(stderr, "usage: ChangeCost parts FOLDER | ChangeCost change FOLDER PROGRAM\n");
    return 2;
}
