#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace testing_support {

namespace {

fs::path Native(const std::string& path) {
#ifdef _WIN32
    return fs::path(path);
#else
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return fs::path(native);
#endif
}

std::string Program(const fs::path& path) {
    std::string text = path.string();
#ifndef _WIN32
    std::replace(text.begin(), text.end(), '/', '\\');
#endif
    return text;
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    fs::path folder = fs::temp_directory_path() /
                      ("tavrin-test-" + std::to_string(process) + "-" + std::to_string(stamp) + "-" +
                       std::to_string(counter++));
    fs::create_directories(folder);
    path_ = Program(folder);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(Native(path_), ignored);
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out << text;
}

bool RenamePath(const std::string& from, const std::string& to) {
    std::error_code failed;
    fs::rename(Native(from), Native(to), failed);
    return !failed;
}

bool UnderWine() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

void SleepMs(int ms) {
#ifdef _WIN32
    Sleep(static_cast<DWORD>(ms));
#else
    usleep(static_cast<useconds_t>(ms) * 1000);
#endif
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(Native(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ThrownText(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(nothing thrown)";
}

namespace {

// The folder of the running test program, with "\\" as separator.
std::string TestProgramFolder() {
#ifdef _WIN32
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return Program(fs::path(std::string(buffer, length)).parent_path());
#else
    return Program(fs::read_symlink("/proc/self/exe").parent_path());
#endif
}

}  // namespace

std::string HelperProgram(const std::string& name) {
#ifdef _WIN32
    return TestProgramFolder() + "\\" + name + ".exe";
#else
    return TestProgramFolder() + "\\" + name;
#endif
}

}  // namespace testing_support
