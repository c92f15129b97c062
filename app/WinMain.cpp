// The program's entry and its composition root: the program object that the
// main window works with is installed before the window is made.
#include <windows.h>

#include "app/Program.h"
#include "toolkit/Forms.h"
#include "ui/Main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TProgram program;
    MainProgram = &program;
    Application.Initialize();
    Application.SetTitle("");
    Application.CreateForm(Form1);
    Application.Run();
    delete Form1;
    MainProgram = nullptr;
    Application.Finalize();
    return 0;
}
