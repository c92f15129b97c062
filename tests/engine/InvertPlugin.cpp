// A plugin for the tests: inverts every pixel byte of the bitmap it is given,
// in place. Each run writes its working folder into "<its own program
// file>.cwd", then adds a line with its process id to "<program file>.ran".
// A word in "<program file>.mode" makes it misbehave instead: "hang" waits
// (up to ten minutes) until that word is gone from the file, then works, "crash" writes half the bitmap and crashes,
// "truncate" writes half the bitmap and ends, "garbage" writes text.
// The command line is the plugin's own path and the bitmap's path, neither
// quoted: both may hold spaces, so the bitmap's path is what follows the
// program's own path on the command line (or, failing that, the arguments
// joined again).
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The word in the mode file, read with every sharing allowed, so that the test
// may replace or delete the file while this looks at it.
std::string Mode(const std::string& file) {
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::string();
    char text[64] = {};
    DWORD got = 0;
    ReadFile(handle, text, sizeof text - 1, &got, nullptr);
    CloseHandle(handle);
    std::string word(text, got);
    while (!word.empty() && (word.back() == '\n' || word.back() == '\r' || word.back() == ' ')) word.pop_back();
    return word;
}

}  // namespace

int main(int argc, char** argv) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string me = self;
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::ofstream(me + ".cwd") << folder;
    std::ofstream(me + ".ran", std::ios::app) << GetCurrentProcessId() << "\n";
    const std::string misbehaviour = Mode(me + ".mode");
    // Till the test lets it go (or the program's limit ends it), however busy the machine is.
    for (int waited = 0; misbehaviour == "hang" && Mode(me + ".mode") == "hang" && waited < 600000; waited += 50)
        Sleep(50);

    std::string path;
    const std::string line = GetCommandLineA();
    const std::string program = self;
    if (line.size() > program.size() + 1 && lstrcmpiA(line.substr(0, program.size()).c_str(), self) == 0) {
        path = line.substr(program.size() + 1);
    } else {
        for (int i = 1; i < argc; ++i) {
            if (i > 1) path += ' ';
            path += argv[i];
        }
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 1;
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    if (bytes.size() < 54) return 1;
    const size_t offset = bytes[10] | bytes[11] << 8 | bytes[12] << 16 | static_cast<size_t>(bytes[13]) << 24;
    for (size_t i = offset; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(~bytes[i]);
    if (misbehaviour == "garbage") bytes.assign(bytes.size(), 'x');
    const bool half = misbehaviour == "crash" || misbehaviour == "truncate";
    file = std::fopen(path.c_str(), "wb");
    if (!file) return 1;
    std::fwrite(bytes.data(), 1, half ? bytes.size() / 2 : bytes.size(), file);
    std::fclose(file);
    if (misbehaviour == "crash") {
        SetErrorMode(SEM_NOGPFAULTERRORBOX);  // no debugger, no box: it just dies
        *static_cast<volatile int*>(nullptr) = 1;
    }
    return 0;
}
