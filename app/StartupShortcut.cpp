#include "app/StartupShortcut.h"

#include <windows.h>
#include <shlobj.h>

#include "app/Program.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "platform/win32/ShellFolders.h"
#include "platform/Platform.h"
#include "toolkit/Win32.h"

namespace {

// A COM failure as the system words it.
[[noreturn]] void ComFailure(HRESULT result) {
    char* text = nullptr;
    std::string message;
    if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<char*>(&text), 0, nullptr) &&
        text) {
        message = text;
        LocalFree(text);
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    if (message.empty()) {
        char fallback[32];
        wsprintfA(fallback, "OLE error %08X", static_cast<unsigned>(result));
        message = fallback;
    }
    throw platform::Error(message);
}

}  // namespace

void CreateShellLink(const std::string& workingDirectory, const std::string& target, const std::string& linkFile,
                     const std::string& description, const std::string& arguments) {
    ComRef<IUnknown> object;
    ComRef<IShellLinkA> shellLink;
    ComRef<IPersistFile> persist;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IUnknown, object.Out());
    if (FAILED(result)) ComFailure(result);
    result = object->QueryInterface(IID_IShellLinkA, shellLink.Out());
    if (FAILED(result)) ComFailure(result);
    result = object->QueryInterface(IID_IPersistFile, persist.Out());
    if (FAILED(result)) ComFailure(result);

    shellLink->SetWorkingDirectory(workingDirectory.c_str());
    shellLink->SetArguments(arguments.c_str());
    shellLink->SetDescription(description.c_str());
    shellLink->SetPath(target.c_str());

    persist->Save(WideFromAnsi(linkFile).c_str(), FALSE);
}

void UpdateStartupShortcut(bool startup, const std::string& programDir) {
    const std::string link = ReadUserShellFolder("StartUp") + "\\TavrinWP.lnk";
    if (startup)
        CreateShellLink(programDir, programDir + "/tavrinwp.exe", link, "Tavrin Wallpaper", "startup");
    else if (platform::FileExists(link))
        platform::RemoveFile(link);
}

void UpdateStartupShortcut() { UpdateStartupShortcut(Settings.startup, ProgramDir); }

void TProgram::UpdateStartupShortcut() { ::UpdateStartupShortcut(); }
