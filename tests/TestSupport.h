// Helpers shared by the tests that run on the host and under Wine.
#pragma once

#include <functional>
#include <string>

namespace testing_support {

// A folder of its own under the system's temporary folder, removed with all it
// holds when the object goes. Paths use "\" as the program's do.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Whole-file access for checking what the program wrote; paths with "\".
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
// Renames a file or folder; false when the system refuses.
bool RenamePath(const std::string& from, const std::string& to);
void SleepMs(int ms);
// True when the Windows build runs under Wine.
bool UnderWine();

// The text of the error that `action` throws, or "(nothing thrown)".
std::string ThrownText(const std::function<void()>& action);

// The program file of a helper built beside the tests ("name" without ".exe").
std::string HelperProgram(const std::string& name);

}  // namespace testing_support
