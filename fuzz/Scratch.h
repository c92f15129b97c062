// Scratch files and folders of the fuzz targets, removed when a target exits.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// "tavrin-" + name + "-" + the process id + suffix, in /dev/shm when it can be
// written (the files are written once an input) and in /tmp otherwise. What is
// at the path, a folder with all under it, is removed when the target exits.
inline std::string ScratchPath(const std::string& name, const std::string& suffix) {
    static std::vector<std::string> made;
    static const bool removing = (std::atexit([] {
                                      std::error_code ignored;
                                      for (const std::string& path : made) std::filesystem::remove_all(path, ignored);
                                  }),
                                  true);
    (void)removing;
    const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    made.push_back(folder + "/tavrin-" + name + "-" + std::to_string(getpid()) + suffix);
    return made.back();
}

// Writes an input to a scratch file; a file that cannot be written ends the run.
inline void WriteScratchFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) std::abort();
    std::fwrite(data, 1, size, out);
    std::fclose(out);
}
