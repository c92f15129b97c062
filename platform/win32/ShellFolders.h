// The per-user shell folder locations the program reads from the registry.
#pragma once

#include <string>

// The string value `name` ("Personal", "StartUp") under the per-user key
// "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders", with
// environment variables expanded where the value is stored expandable. Empty
// when the key or the value is missing; a value of another type throws
// platform::Error("Invalid data type for '<name>'").
std::string ReadUserShellFolder(const char* name);
