// The picture on the desktop ("current" in config.ini), within reach from the
// tray: opened with its default program, shown selected in Explorer, or moved
// to the Recycle Bin with undo, the next picture then shown.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "app/Program.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "toolkit/Forms.h"
#include "toolkit/Win32.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"

namespace {

bool asking = false;  // the question before a deletion is open

// The picture's path as the shell shows it: its long names, where "current"
// holds short ones for letters the ANSI code page lacks.
std::wstring ShellPath(const std::string& path) {
    const std::wstring wide = WideFromAnsi(path);
    std::wstring longer(MAX_PATH, L'\0');
    const DWORD length = GetLongPathNameW(wide.c_str(), longer.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return wide;
    longer.resize(length);
    return longer;
}

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// A caption-table text with its "%1" replaced by `name`.
std::wstring WithName(const std::string& text, const std::wstring& name) {
    std::wstring wide = WideFromUtf8(text);
    const size_t mark = wide.find(L"%1");
    if (mark != std::wstring::npos) wide.replace(mark, 2, name);
    return wide;
}

int Ask(HWND owner, const std::wstring& text, UINT style) {
    asking = true;
    struct Done {
        ~Done() { asking = false; }
    } done;
    return MessageBoxW(owner, text.c_str(), L"Tavrin Wallpaper", style);
}

}  // namespace

bool TProgram::Asking() { return asking; }

bool TProgram::HasPictureShown() const {
    return !Settings.current.empty() && platform::FileExists(Settings.current);
}

void TProgram::OpenPictureShown() {
    if (!HasPictureShown()) return;
    ShellExecuteW(nullptr, L"open", ShellPath(Settings.current).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TProgram::ShowPictureShownInFolder() {
    if (!HasPictureShown()) return;
    const std::wstring path = ShellPath(Settings.current);
    PIDLIST_ABSOLUTE item = nullptr;
    HRESULT result = SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr);
    if (SUCCEEDED(result)) {
        // The full name of one item and no others: its folder opens with it selected.
        result = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        CoTaskMemFree(item);
    }
    // Where the shell cannot (Wine answers 0x80040152), Explorer is asked on
    // its command line.
    if (FAILED(result))
        ShellExecuteW(nullptr, L"open", L"explorer.exe", (L"/select,\"" + path + L"\"").c_str(), nullptr, SW_SHOWNORMAL);
}

void TProgram::DeletePictureShown(TForm1& form) {
    if (Settings.current.empty()) return;
    const std::wstring path = ShellPath(Settings.current);
    if (!platform::FileExists(Settings.current)) {
        Ask(form.Handle(), WithName(LangPictureGone, FileName(path)), MB_OK | MB_ICONINFORMATION);
    } else {
        if (Ask(form.Handle(), WithName(LangDeleteQuestion, FileName(path)), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        // To the Recycle Bin, with undo; the question was asked already.
        std::wstring from = path;
        from.push_back(L'\0');  // the list ends with two zeros
        SHFILEOPSTRUCTW operation = {};
        operation.hwnd = form.Handle();
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
        if (SHFileOperationW(&operation) != 0 || operation.fAnyOperationsAborted || platform::FileExists(Settings.current))
            throw platform::Error("Unable to delete " + Settings.current);
    }
    ChangeWallpaper();
}
