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

bool StartsWith(const std::wstring& text, const wchar_t* head) { return text.rfind(head, 0) == 0; }

// Already in a form the system takes as it is: "\\?\...", "\\.\..." or "\??\...".
bool Verbatim(const std::wstring& path) {
    return StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\") || StartsWith(path, L"\\??\\");
}

// The plain form reaches paths shorter than this (MAX_PATH less the room for an
// 8.3 name that CreateDirectory keeps, the smallest of the plain form's limits).
constexpr size_t kPlainLimit = MAX_PATH - 12;

// `path` made whole as the plain form reads it, or "" when the system cannot.
std::wstring FullPathOf(const std::wstring& path) {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    for (int tries = 0; size != 0 && tries < 3; ++tries) {
        std::wstring full(size, L'\0');
        const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
        if (length == 0) break;
        if (length < size) {
            full.resize(length);
            return full;
        }
        size = length;  // the current folder changed in between
    }
    return std::wstring();
}

// The whole path `full` in the "\\?\" form; "" when it is in no form that has one.
std::wstring PrefixedForm(const std::wstring& full) {
    if (Verbatim(full)) return full;
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
    return std::wstring();
}

// The file or folder that the last part of the "\\?\" path `path` names, as
// the system lists it; false when there is none. Wildcards name nothing.
bool FindEntry(const std::wstring& path, WIN32_FIND_DATAW& data) {
    const size_t slash = path.find_last_of(L'\\');
    if (path.find_first_of(L"*?", slash == std::wstring::npos ? 0 : slash + 1) != std::wstring::npos) return false;
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    // Wine answers a name too long for the host's file system with an empty entry.
    return data.cFileName[0] != L'\0';
}

// The long form of the existing path `path` (in the "\\?\" form), without the
// prefix: each part after the drive or share as the system lists it. "" when
// some part cannot be found. Done part by part, as GetLongPathNameW is not
// relied on: Wine's copies the long form over a buffer of its own once it runs
// past 1,024 characters (a long path, or short names of long ones).
std::wstring LongFormOfVerbatim(const std::wstring& path) {
    size_t start;
    std::wstring shown;
    if (StartsWith(path, L"\\\\?\\UNC\\")) {
        const size_t server = path.find(L'\\', 8);
        if (server == std::wstring::npos) return std::wstring();
        start = std::min(path.find(L'\\', server + 1), path.size());
        shown = L"\\\\" + path.substr(8, start - 8);
    } else if (StartsWith(path, L"\\\\?\\") && path.size() >= 6 && path[5] == L':') {
        start = 6;
        shown = path.substr(4, 2);
    } else {
        return std::wstring();
    }
    while (start < path.size()) {
        const size_t end = std::min(path.find(L'\\', start + 1), path.size());
        shown += L'\\';
        if (end > start + 1) {
            WIN32_FIND_DATAW data;
            if (!FindEntry(path.substr(0, end), data)) return std::wstring();
            shown += data.cFileName;
        }
        start = end;
    }
    return shown;
}

// The short name of the existing file or folder `path`, or "" without one.
std::wstring ShortNameOf(const std::wstring& path) {
    const std::wstring system = SystemPathOf(path);
    if (system != path) {
        // Past the plain form's length: the entry itself tells.
        WIN32_FIND_DATAW data;
        if (!FindEntry(system, data)) return std::wstring();
        return data.cAlternateFileName[0] ? data.cAlternateFileName : data.cFileName;
    }
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
        if (!AnsiExactly(part, ansi)) {
            // No short name (none made, or no such entry) is no name: the part stays as it reads.
            const std::wstring shortName = ShortNameOf(walked);
            if (shortName.empty() || !AnsiExactly(shortName, ansi)) ansi = AnsiLossy(part);
        }
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
    // Short names the system makes for names the ANSI code page cannot hold all
    // carry a "~": a path without one is shown as it is, with no part looked up.
    if (wide.find(L'~') == std::wstring::npos) return wide;
    const std::wstring longPath = LongFormOfVerbatim(PrefixedForm(Verbatim(wide) ? wide : FullPathOf(wide)));
    if (longPath.empty()) return wide;
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
            HANDLE find = FindFirstFileW((SystemPathOf(resolved, 1) + L"*").c_str(), &data);
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

std::wstring SystemPath(const std::string& path, size_t appended) {
    return SystemPathOf(WideFromAnsiText(path), appended);
}

std::wstring SystemPathOf(const std::wstring& path, size_t appended) {
    if (path.empty() || Verbatim(path)) return path;
    const bool whole = (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) ||
                       (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
    if (whole && path.size() + appended < kPlainLimit) return path;
    const std::wstring full = FullPathOf(path);
    if (full.empty() || full.size() + appended < kPlainLimit) return path;
    const std::wstring prefixed = PrefixedForm(full);
    return prefixed.empty() ? path : prefixed;
}

std::wstring SystemChildPath(const std::string& folder, const std::wstring& name) {
    std::wstring path = SystemPath(folder, name.size() + 1);
    if (!(Verbatim(path) && !path.empty() && path.back() == L'\\')) path += L'\\';
    return path + name;
}

}  // namespace platform
