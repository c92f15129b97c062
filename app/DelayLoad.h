// Where the program's DLLs come from.
#pragma once

// DLLs loaded from now on come from the system folder only, never from the
// program's folder (a Downloads folder may hold anything) or the current one.
// Called first thing in WinMain. SetDefaultDllDirectories is looked up, for
// the Windows that lack it, which at least leave the current folder out.
void LoadDllsFromTheSystemFolder();
