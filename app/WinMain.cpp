// The program's entry.
#include <windows.h>

#include "toolkit/Forms.h"
#include "ui/Main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Application.Initialize();
    Application.SetTitle("");
    Application.CreateForm(Form1);
    Application.Run();
    delete Form1;
    Application.Finalize();
    return 0;
}
