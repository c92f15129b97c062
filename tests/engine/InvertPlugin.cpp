// A plugin for the tests: inverts every pixel byte of the bitmap it is given,
// in place, and leaves "<its own program file>.ran" behind as proof that it ran.
// The command line is the plugin's own path and the bitmap's path, neither
// quoted: both may hold spaces, so the bitmap's path is what follows the
// program's own path on the command line (or, failing that, the arguments
// joined again).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (FILE* marker = std::fopen((std::string(self) + ".ran").c_str(), "wb")) std::fclose(marker);

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
    file = std::fopen(path.c_str(), "wb");
    if (!file) return 1;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return 0;
}
