#include "app/PluginFolders.h"

#include "platform/Platform.h"

std::vector<PluginListing> FindPlugins(const std::string& pluginsRoot, const std::string& activePlugin) {
    std::vector<PluginListing> plugins;
    int seen = 0;
    bool firstWasDot = false;
    platform::ListFolder(pluginsRoot, [&](const platform::FolderEntry& entry) {
        if (entry.hiddenOrSystem) return true;
        ++seen;
        if (seen == 1) {
            firstWasDot = entry.name == ".";
            return true;
        }
        if (seen == 2 && firstWasDot) return true;
        const std::string ini = pluginsRoot + "\\" + entry.name + "\\plugin.ini";
        if (!platform::FileExists(ini)) return true;
        PluginListing plugin;
        plugin.folder = entry.name;
        plugin.name = platform::ReadIniString(ini, "info", "name", "unknow");
        plugin.version = platform::ReadIniString(ini, "info", "version", "0.0");
        plugin.active = entry.name == activePlugin;
        plugins.push_back(std::move(plugin));
        return true;
    });
    return plugins;
}

std::string PluginLineText(const PluginListing& plugin) { return plugin.name + " ver. " + plugin.version; }

std::string PluginConfigProgram(const std::string& pluginsRoot, const std::string& folder) {
    return pluginsRoot + "\\" + folder + "\\config.exe";
}
