// A helper program for the process tests: waits the given milliseconds, then
// writes its remaining arguments, one per line, into the marker file.
//   ChildProcess MARKER DELAY_MS [ARGS...]
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string marker = argv[1];
#ifndef _WIN32
    std::replace(marker.begin(), marker.end(), '\\', '/');
#endif
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    std::ofstream out(marker + ".part", std::ios::binary);
    for (int i = 3; i < argc; ++i) out << argv[i] << "\n";
    out.close();
    std::rename((marker + ".part").c_str(), marker.c_str());
    return 0;
}
