#include "engine/Plugin.h"

#include "app/Paths.h"
#include "app/Settings.h"
#include "platform/Platform.h"

std::string PluginProgramPath(const std::string& pluginsRoot, const std::string& plugin) {
    return pluginsRoot + "\\" + plugin + "\\plugin.exe";
}

std::string PluginCommandLine(const std::string& pluginsRoot, const std::string& plugin, const std::string& bitmap) {
    return PluginProgramPath(pluginsRoot, plugin) + " " + bitmap;
}

void RunAndWait(const std::string& program, const std::string& commandLine) {
    platform::StartProcess(program, commandLine, platform::ShowNoActivate, true);
}

void RunPlugin() {
    RunAndWait(PluginProgramPath(PluginsRoot, Settings.plugin_directory),
               PluginCommandLine(PluginsRoot, Settings.plugin_directory, WallpaperBmpPath));
}
