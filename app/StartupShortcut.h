// Starting with Windows: the shortcut "TavrinWP.lnk" in the user's Startup
// folder, which starts the program hidden in the tray.
#pragma once

#include <string>

// Writes the link file `linkFile` through the shell link object, replacing one
// that exists. Throws platform::Error with the system's text when the object
// cannot be created or lacks IShellLinkA or IPersistFile; anything else (a
// missing folder, a read-only file) fails silently.
void CreateShellLink(const std::string& workingDirectory, const std::string& target, const std::string& linkFile,
                     const std::string& description, const std::string& arguments);

// With `startup` set, writes the shortcut to ProgramDir + "/tavrinwp.exe"
// with the argument "startup" into the Startup folder of the registry's
// "StartUp" value; otherwise deletes it if it is there.
void UpdateStartupShortcut(bool startup, const std::string& programDir);
// The same for Settings.startup and ProgramDir.
void UpdateStartupShortcut();
