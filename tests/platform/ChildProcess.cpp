// A helper program for the process tests: waits the given milliseconds, then
// writes its remaining arguments, one per line, into the marker file ("%cwd"
// as its working folder). Started without a delay (as the shell opens a file,
// or as a plugin on a bitmap), it writes its show command into "<its own
// program file>.txt".
//   ChildProcess MARKER DELAY_MS [ARGS...]
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    STARTUPINFOA startup = {sizeof startup};
    GetStartupInfoA(&startup);
    if (argc < 3) std::ofstream(std::string(_pgmptr) + ".txt", std::ios::binary) << startup.wShowWindow << "\n";
#endif
    if (argc < 3) return 2;
    std::string marker = argv[1];
#ifndef _WIN32
    std::replace(marker.begin(), marker.end(), '\\', '/');
#endif
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    std::ofstream out(marker + ".part", std::ios::binary);
    for (int i = 3; i < argc; ++i)
        out << (argv[i] == std::string("%cwd") ? std::filesystem::current_path().string() : argv[i]) << "\n";
    out.close();
    std::rename((marker + ".part").c_str(), marker.c_str());
    return 0;
}
