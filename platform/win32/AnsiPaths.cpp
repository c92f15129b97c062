#include "platform/win32/AnsiPaths.h"

#include <windows.h>

#include <algorithm>

namespace platform {

namespace {

std::string Narrow(UINT codePage, const std::wstring& text, DWORD flags, BOOL* usedDefault) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, usedDefault);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        usedDefault);
    return result;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The short name of the existing file or folder `path`, or "" without one.
std::wstring ShortNameOf(const std::wstring& path) {
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring shortPath(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), size);
    if (length == 0 || length >= size) return std::wstring();
    shortPath.resize(length);
    while (!shortPath.empty() && IsSeparator(shortPath.back())) shortPath.pop_back();
    const size_t slash = shortPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? shortPath : shortPath.substr(slash + 1);
}

}  // namespace

bool AnsiExactly(const std::wstring& text, std::string& ansi) {
    // Every ANSI code page holds ASCII as it is: most names need no conversion.
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) {
        ansi.assign(text.begin(), text.end());
        return true;
    }
    BOOL usedDefault = FALSE;
    ansi = Narrow(CP_ACP, text, WC_NO_BEST_FIT_CHARS, &usedDefault);
    return !usedDefault && WideFromAnsiText(ansi) == text;
}

std::string AnsiLossy(const std::wstring& text) { return Narrow(CP_ACP, text, 0, nullptr); }

std::wstring WideFromAnsiText(const std::string& text) { return WideFromCodePage(CP_ACP, text); }

std::wstring WideFromCodePage(unsigned codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string CodePageFromWide(unsigned codePage, const std::wstring& text) {
    return Narrow(codePage, text, 0, nullptr);
}

std::string OpenableAnsiPath(const std::wstring& path) {
    std::string result;
    if (AnsiExactly(path, result)) return result;
    result.clear();
    std::wstring walked;  // the wide path up to the current component
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::wstring part = path.substr(start, end - start);
        walked += part;
        std::string ansi;
        if (!AnsiExactly(part, ansi) && !AnsiExactly(ShortNameOf(walked), ansi)) ansi = AnsiLossy(part);
        result += ansi;
        if (end == path.size()) break;
        walked += path[end];
        result += static_cast<char>(path[end]);
        start = end + 1;
    }
    return result;
}

std::wstring ShownPath(const std::string& path) {
    const std::wstring wide = WideFromAnsiText(path);
    if (wide.empty()) return wide;
    const DWORD size = GetLongPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0) return wide;
    std::wstring longPath(size, L'\0');
    const DWORD length = GetLongPathNameW(wide.c_str(), longPath.data(), size);
    if (length == 0 || length >= size) return wide;
    longPath.resize(length);
    std::string unused;
    return longPath != wide && !AnsiExactly(longPath, unused) ? longPath : wide;
}

std::wstring ResolveStandIns(const std::string& path) {
    const std::wstring asGiven = WideFromAnsiText(path);
    if (path.find('?') == std::string::npos) return asGiven;
    std::wstring resolved;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part.find('?') == std::string::npos) {
            resolved += WideFromAnsiText(part);
        } else {
            // "?" is no character of a file name: the entry it stands for is looked up.
            std::wstring match;
            int matches = 0;
            WIN32_FIND_DATAW data;
            HANDLE find = FindFirstFileW((resolved + L"*").c_str(), &data);
            if (find == INVALID_HANDLE_VALUE) return asGiven;
            do {
                if (AnsiLossy(data.cFileName) == part) {
                    match = data.cFileName;
                    ++matches;
                }
            } while (FindNextFileW(find, &data));
            FindClose(find);
            if (matches != 1) return asGiven;
            resolved += match;
        }
        if (end == path.size()) break;
        resolved += L'\\';
        start = end + 1;
    }
    return resolved;
}

std::wstring ShownName(const std::string& path) {
    const std::wstring shown = ShownPath(path);
    const size_t slash = shown.find_last_of(L"\\/");
    return slash == std::wstring::npos ? shown : shown.substr(slash + 1);
}

}  // namespace platform
