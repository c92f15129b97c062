// The program's entry and its composition root: one copy per user session
// (a later start hands over to it and ends), and the program object that the
// main window works with, installed before the window is made.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/DelayLoad.h"
#include "app/Program.h"
#include "app/SingleInstance.h"
#include "core/Paths.h"
#include "toolkit/Forms.h"
#include "ui/Main.h"

namespace {

// What this start asks of the copy that runs, from its command line.
TSingleInstance::Request StartRequest(const std::vector<std::string>& arguments) {
    switch (ParseStartWord(arguments)) {
    case StartWord::Next:
        return TSingleInstance::Request::Next;
    case StartWord::Previous:
        return TSingleInstance::Request::Previous;
    case StartWord::Settings:
        return TSingleInstance::Request::Settings;
    case StartWord::Exit:
        return TSingleInstance::Request::Exit;
    case StartWord::Open:
        return TSingleInstance::Request::Open;
    case StartWord::Folder:
        return TSingleInstance::Request::Folder;
    case StartWord::None:
        break;
    }
    return HasStartupArgument(arguments) ? TSingleInstance::Request::Nothing : TSingleInstance::Request::BringUp;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LoadDllsFromTheSystemFolder();
    // Before anything is read or made: a second copy touches nothing.
    TSingleInstance session;
    const TSingleInstance::Request request = StartRequest(std::vector<std::string>(__argv + 1, __argv + __argc));
    switch (session.ClaimSession(request)) {
    case TSingleInstance::Claim::First:
        break;
    case TSingleInstance::Claim::HandedOver:
        return 0;
    case TSingleInstance::Claim::NoAnswer:
        return 1;
    }
    // "exit" with no copy running: there is nothing to end.
    if (request == TSingleInstance::Request::Exit) return 0;

    TProgram program;
    MainProgram = &program;
    Application.Initialize();
    Application.SetTitle("");
    Application.CreateForm(Form1);
    // "next", "previous", "open" and "folder" start in the tray (see the start
    // sequence) and then act from the message loop, as the tray menu would.
    if (request == TSingleInstance::Request::Next || request == TSingleInstance::Request::Previous ||
        request == TSingleInstance::Request::Open || request == TSingleInstance::Request::Folder)
        session.Queue(request);
    session.MessageLoopStarts();
    Application.Run();
    session.MessageLoopEnded();
    delete Form1;
    Form1 = nullptr;
    MainProgram = nullptr;
    Application.Finalize();
    return 0;
}
