// Plugin folders: one sub-folder of PluginsRoot per plugin, recognised by its
// "plugin.ini" (section "info": "name" and "version").
#pragma once

#include <string>
#include <vector>

struct PluginListing {
    std::string folder;   // the folder's name under PluginsRoot: what "plugin_directory" holds
    std::string name;     // "name" of plugin.ini, "unknow" when missing
    std::string version;  // "version" of plugin.ini, "0.0" when missing
    std::string englishName;  // "name_en" of plugin.ini, the name shown with English captions; empty when missing
    bool active = false;  // folder equals the active plugin's name exactly (letter case counts)
    // The name and version are UTF-8: plugin.ini is valid UTF-8 with a byte-order
    // mark or with letters beyond ASCII. Otherwise they are in the ANSI code page.
    bool utf8 = false;
};

// The plugins under `pluginsRoot` in the order the system lists the folder.
// The listing's first entry is passed over, and the second as well when the
// first was "." (that is ".."); hidden and system entries are not looked at.
// An entry without "plugin.ini" is not a plugin. A missing root gives nothing.
// A plugin.ini that is valid UTF-8 (with or without a byte-order mark) is read
// as UTF-8; any other is read in the ANSI code page by the private-profile rules.
std::vector<PluginListing> FindPlugins(const std::string& pluginsRoot, const std::string& activePlugin);

// A plugin's line in the plugin window without the mark of the active one:
// name + " ver. " + version.
// With `english`, a plugin's "name_en" stands in place of its name where it has one.
std::string PluginLineText(const PluginListing& plugin, bool english = false);

// The plugin's settings program: PluginsRoot + "\" + folder + "\config.exe".
std::string PluginConfigProgram(const std::string& pluginsRoot, const std::string& folder);
