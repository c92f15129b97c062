#include "engine/Plugin.h"

#include "core/Paths.h"
#include "platform/Platform.h"

std::string PluginProgramPath(const std::string& pluginsRoot, const std::string& plugin) {
    return pluginsRoot + "\\" + plugin + "\\plugin.exe";
}

std::string PluginCommandLine(const std::string& pluginsRoot, const std::string& plugin, const std::string& bitmap) {
    return PluginProgramPath(pluginsRoot, plugin) + " " + bitmap;
}

unsigned PluginTimeLimitMs = 60000;

platform::ProcessEnd RunPlugin(const std::string& pluginsRoot, const std::string& plugin, const std::string& bitmap) {
    const std::string program = PluginProgramPath(pluginsRoot, plugin);
    return platform::RunProcess(program, PluginCommandLine(pluginsRoot, plugin, bitmap), platform::ShowNoActivate,
                                FolderOfFile(program), PluginTimeLimitMs);
}
