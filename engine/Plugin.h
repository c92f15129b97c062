// The active plugin: an outside program that reworks the wallpaper bitmap in
// place before it becomes the wallpaper.
#pragma once

#include <string>

#include "platform/Platform.h"

// pluginsRoot + "\" + plugin + "\plugin.exe".
std::string PluginProgramPath(const std::string& pluginsRoot, const std::string& plugin);

// The plugin's command line: its program path, one space, and the bitmap's
// path, neither quoted. A bitmap path with spaces reaches the plugin's
// arguments split at them; plugins join them again.
std::string PluginCommandLine(const std::string& pluginsRoot, const std::string& plugin, const std::string& bitmap);

// How long a plugin may run: 60 seconds. Tests shorten it.
extern unsigned PluginTimeLimitMs;

// Runs the plugin in the folder `plugin` under `pluginsRoot` on the bitmap
// `bitmap`, through platform::RunProcess: its program started in its own
// folder, its window shown without taking the focus, and the call returns when
// it has ended, or has been ended because it still ran after
// PluginTimeLimitMs. Meanwhile the calling thread's windows go on answering.
// The program is named explicitly, so a path with spaces can never start
// another program; one that cannot be started is skipped without a word.
platform::ProcessEnd RunPlugin(const std::string& pluginsRoot, const std::string& plugin, const std::string& bitmap);
