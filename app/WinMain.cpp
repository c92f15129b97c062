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

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LoadDllsFromTheSystemFolder();
    // Before anything is read or made: a second copy touches nothing.
    TSingleInstance session;
    const bool startup = HasStartupArgument(std::vector<std::string>(__argv + 1, __argv + __argc));
    switch (session.ClaimSession(!startup)) {
    case TSingleInstance::Claim::First:
        break;
    case TSingleInstance::Claim::HandedOver:
        return 0;
    case TSingleInstance::Claim::NoAnswer:
        return 1;
    }

    TProgram program;
    MainProgram = &program;
    Application.Initialize();
    Application.SetTitle("");
    Application.CreateForm(Form1);
    session.MessageLoopStarts();
    Application.Run();
    delete Form1;
    MainProgram = nullptr;
    Application.Finalize();
    return 0;
}
