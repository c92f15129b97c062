#include "core/PluginFolders.h"

#include <algorithm>
#include <cstdint>

#include "platform/Platform.h"
#include "platform/posix/ProfileText.h"

namespace {

// Larger files are no plugin description: they are left to the ANSI reading.
constexpr size_t kIniLimit = 1 << 20;

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms,
// no surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length;
        uint32_t code;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3Fu);
        }
        const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// Fills the name and version from a UTF-8 plugin.ini. False for any other file,
// and for one of plain ASCII, which reads alike either way.
bool ReadUtf8Info(const std::string& ini, PluginListing& plugin) {
    std::string text;
    try {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(ini, kIniLimit);
        text.assign(bytes.begin(), bytes.end());
    } catch (const platform::Error&) {
        return false;
    }
    const bool marked = text.starts_with("\xEF\xBB\xBF");
    if (marked) text.erase(0, 3);
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    if ((ascii && !marked) || !IsUtf8(text)) return false;
    auto read = [&](const char* key, const char* fallback) {
        std::string value;
        if (!platform::FindProfileValue(text, "info", key, value)) return std::string(fallback);
        return value.substr(0, platform::kProfileValueLimit);
    };
    plugin.name = read("name", "unknow");
    plugin.version = read("version", "0.0");
    plugin.englishName = read("name_en", "");
    plugin.utf8 = true;
    return true;
}

}  // namespace

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
        if (!ReadUtf8Info(ini, plugin)) {
            plugin.name = platform::ReadIniString(ini, "info", "name", "unknow");
            plugin.version = platform::ReadIniString(ini, "info", "version", "0.0");
            plugin.englishName = platform::ReadIniString(ini, "info", "name_en", "");
        }
        plugin.active = entry.name == activePlugin;
        plugins.push_back(std::move(plugin));
        return true;
    });
    return plugins;
}

std::string PluginLineText(const PluginListing& plugin, bool english) {
    return (english && !plugin.englishName.empty() ? plugin.englishName : plugin.name) + " ver. " + plugin.version;
}

std::string PluginConfigProgram(const std::string& pluginsRoot, const std::string& folder) {
    return pluginsRoot + "\\" + folder + "\\config.exe";
}
