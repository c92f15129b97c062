#include "Driver.h"

#include <shellapi.h>

#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/ProfileText.h"

namespace e2e {

namespace {

struct Search {
    DWORD process;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[256];
    if (process == search->process && GetClassNameA(window, name, sizeof name) &&
        lstrcmpiA(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FirstEdit(HWND child, LPARAM found) {
    char name[16];
    if (!GetClassNameA(child, name, sizeof name) || lstrcmpiA(name, "Edit") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

}  // namespace

Program::Program(const std::string& arguments, WORD showCommand, const std::string& currentDirectory,
                 const std::string& programFile) {
    std::string commandLine = std::string("tavrinwp.exe") + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommand;
    const std::string program = programFile.empty() ? TAVRINWP_EXE : programFile;
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &process_))
        process_ = {};
}

Program::~Program() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool Program::WaitUntilIdle(DWORD milliseconds) {
    return process_.hProcess && WaitForInputIdle(process_.hProcess, milliseconds) == 0;
}

HWND Program::FindWindowOfClass(const char* className, DWORD milliseconds) const {
    const DWORD start = GetTickCount();
    do {
        Search search{process_.dwProcessId, className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

bool Program::WaitForExit(DWORD milliseconds, DWORD* exitCode) {
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}

bool Program::SendWithBuffer(HWND window, UINT message, WPARAM wParam, void* data, size_t size) const {
    void* remote = VirtualAllocEx(process_.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    SIZE_T moved = 0;
    bool ok = WriteProcessMemory(process_.hProcess, remote, data, size, &moved) && moved == size;
    DWORD_PTR result = 0;
    ok = ok && SendMessageTimeoutW(window, message, wParam, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, kPatience,
                                   &result) != 0;
    ok = ok && ReadProcessMemory(process_.hProcess, remote, data, size, &moved) && moved == size;
    VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
    return ok && result != 0;
}

HWND Program::ChildAt(HWND parent, int x, int y) {
    POINT point = {x, y};
    HWND child = ChildWindowFromPointEx(parent, point, CWP_SKIPINVISIBLE);
    return child == parent ? nullptr : child;
}

void Program::Click(HWND window, int x, int y) {
    const LPARAM point = MAKELPARAM(x, y);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(window, WM_LBUTTONUP, 0, point);
}

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kPatience, &result);
    return static_cast<LRESULT>(result);
}

bool TrayIcon(HWND form, DWORD action, UINT id) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = form;
    data.uID = id;
    return Shell_NotifyIconA(action, &data) != FALSE;
}

bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(50);
    }
    return true;
}

bool Settle(HWND form, DWORD milliseconds) {
    HWND edit = nullptr;
    EnumChildWindows(form, FirstEdit, reinterpret_cast<LPARAM>(&edit));
    if (!edit) return false;
    const LRESULT limit = Deliver(edit, EM_GETLIMITTEXT);
    const WPARAM marker = limit == 54321 ? 54322 : 54321;
    PostMessageW(edit, EM_SETLIMITTEXT, marker, 0);
    const bool settled = WaitFor([&] { return Deliver(edit, EM_GETLIMITTEXT) == static_cast<LRESULT>(marker); }, milliseconds);
    Deliver(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(limit));
    return settled;
}

std::string ReadOption(const std::string& path, const char* section, const char* key, const std::string& missing) {
    std::string value;
    try {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, 1u << 24);
        platform::ProfileEncoding encoding;
        const std::string text =
            platform::DecodeProfileText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), encoding);
        if (platform::FindProfileValue(text, section, key, value)) return value;
    } catch (const platform::Error&) {
    }
    return missing;
}

std::wstring BoxText(HWND box, DWORD milliseconds) {
    // The box may be found while it is still being built.
    wchar_t text[512] = {};
    WaitFor([&] { return GetDlgItemTextW(box, 0xFFFF, text, 512) != 0 || !IsWindow(box); }, milliseconds);
    return text;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

}  // namespace e2e
