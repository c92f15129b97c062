// Linked into the tests that make the main window in-process: the program is
// installed as WinMain installs it, before any window is made, so every TForm1
// a test makes runs the start sequence, changes, arms its timer and shows its
// tray icon as the program's own window does.
#include "app/Program.h"

namespace {

TProgram program;
const bool installed = (MainProgram = &program, true);

}  // namespace
