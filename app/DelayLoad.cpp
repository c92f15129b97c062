// The DLL search order (DelayLoad.h), and shell32 and comdlg32 loaded at the
// first call of a function of theirs, not with the program's imports: imports
// are loaded before WinMain sets the search order, and the DLLs they load in
// turn are then looked for in the program's folder first (under Wine, shell32
// brings in shcore.dll and comdlg32 compstui.dll that way). Linked into
// tavrinwp.exe only.
//
// The system headers declare these functions as imported, so every call goes
// through a pointer named __imp__<name>@<bytes>, which the import library
// would define. Here each pointer starts at a stand-in that loads the DLL by
// its bare name (from the system folder, as WinMain has set), puts the real
// function in the pointer and calls it. A function that cannot be had fails
// as the system's own does when it cannot do its work.
#include "app/DelayLoad.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

void LoadDllsFromTheSystemFolder() {
    using SetDefault = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefault>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

namespace {

FARPROC Resolve(const char* dll, const char* name) {
    const HMODULE module = LoadLibraryA(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace

#define TAVRIN_DELAY_LOAD(dll, name, bytes, result, params, args, failure)                       \
    extern "C" result WINAPI Delayed##name params;                                               \
    extern "C" {                                                                                 \
    void* Imported##name asm("__imp__" #name "@" #bytes) = reinterpret_cast<void*>(&Delayed##name); \
    }                                                                                            \
    extern "C" result WINAPI Delayed##name params {                                              \
        const FARPROC real = Resolve(dll, #name);                                                \
        if (!real) return failure;                                                               \
        Imported##name = reinterpret_cast<void*>(real);                                          \
        return reinterpret_cast<result(WINAPI*) params>(reinterpret_cast<void*>(real)) args;     \
    }

TAVRIN_DELAY_LOAD("shell32.dll", SHBindToParent, 16, HRESULT,
                  (PCIDLIST_ABSOLUTE pidl, REFIID riid, void** ppv, PCUITEMID_CHILD* ppidlLast),
                  (pidl, riid, ppv, ppidlLast), E_FAIL)
TAVRIN_DELAY_LOAD("shell32.dll", SHGetDesktopFolder, 4, HRESULT, (IShellFolder** ppshf), (ppshf), E_FAIL)
TAVRIN_DELAY_LOAD("shell32.dll", SHGetFileInfoA, 20, DWORD_PTR,
                  (LPCSTR pszPath, DWORD dwFileAttributes, SHFILEINFOA* psfi, UINT cbFileInfo, UINT uFlags),
                  (pszPath, dwFileAttributes, psfi, cbFileInfo, uFlags), 0)
TAVRIN_DELAY_LOAD("shell32.dll", SHGetMalloc, 4, HRESULT, (IMalloc** ppMalloc), (ppMalloc), E_FAIL)
TAVRIN_DELAY_LOAD("shell32.dll", SHGetSpecialFolderLocation, 12, HRESULT, (HWND hwnd, int csidl, PIDLIST_ABSOLUTE* ppidl),
                  (hwnd, csidl, ppidl), E_FAIL)
TAVRIN_DELAY_LOAD("shell32.dll", ShellExecuteA, 24, HINSTANCE,
                  (HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory, INT nShowCmd),
                  (hwnd, lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd),
                  reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND))
TAVRIN_DELAY_LOAD("shell32.dll", ShellExecuteW, 24, HINSTANCE,
                  (HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory, INT nShowCmd),
                  (hwnd, lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd),
                  reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND))
TAVRIN_DELAY_LOAD("shell32.dll", SHParseDisplayName, 20, HRESULT,
                  (PCWSTR pszName, IBindCtx* pbc, PIDLIST_ABSOLUTE* ppidl, SFGAOF sfgaoIn, SFGAOF* psfgaoOut),
                  (pszName, pbc, ppidl, sfgaoIn, psfgaoOut), E_FAIL)
TAVRIN_DELAY_LOAD("shell32.dll", SHOpenFolderAndSelectItems, 16, HRESULT,
                  (PCIDLIST_ABSOLUTE pidlFolder, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, DWORD dwFlags),
                  (pidlFolder, cidl, apidl, dwFlags), E_FAIL)
TAVRIN_DELAY_LOAD("shell32.dll", SHFileOperationW, 4, int, (LPSHFILEOPSTRUCTW lpFileOp), (lpFileOp), ERROR_DLL_NOT_FOUND)
TAVRIN_DELAY_LOAD("shell32.dll", Shell_NotifyIconA, 8, BOOL, (DWORD dwMessage, PNOTIFYICONDATAA lpData),
                  (dwMessage, lpData), FALSE)
TAVRIN_DELAY_LOAD("comdlg32.dll", ChooseColorW, 4, BOOL, (LPCHOOSECOLORW lpcc), (lpcc), FALSE)
