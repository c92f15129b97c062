// libFuzzer target: the INI text rules the host platform uses, and the
// settings and plugin.ini read through them. An input is a section, a key and
// a value (one short line each) and then a file's text.
//  - Setting a key of plain names and reading it back gives the value written.
//  - The settings' keys written over any text read back as written.
//  - The section an input names says which file its text stands for: with
//    "options" (any case) it is read as config.ini by the settings, with
//    "info" as a plugin folder's plugin.ini, listed by the plugin list's own
//    reader as the plugin window lists it (UTF-8 detection, then the UTF-8
//    or the INI reading); any text reads. Each file read costs the
//    same system calls whatever the text (the settings read theirs once a key,
//    twelve times), so inputs naming another section stop at the text rules,
//    where the text makes the difference.
//  - Settings loaded from a text, saved over it and loaded again are as they
//    were (numbers and switches).
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/PluginFolders.h"
#include "core/Settings.h"
#include "fuzz/Scratch.h"
#include "platform/Platform.h"
#include "platform/posix/ProfileText.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Names the rules can find again: one line, no brackets or "=", not blank
// at either end, a key not taken for a comment.
bool Plain(const std::string& name, bool key) {
    if (name.empty() || IsBlank(name.front()) || IsBlank(name.back()) || (key && name.front() == ';')) return false;
    return name.find_first_of("\r\n[]=") == std::string::npos;
}

std::string Expected(std::string value) {
    while (!value.empty() && IsBlank(value.front())) value.erase(0, 1);
    while (!value.empty() && IsBlank(value.back())) value.pop_back();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool SameName(const std::string& name, const char* wanted) {
    std::string lower = name;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower == wanted;
}


// A plugins root holding one plugin folder, "sepia", whose plugin.ini the
// inputs write, and a folder without plugin.ini, which is no plugin.
std::string PluginsRoot() {
    const std::string root = ScratchPath("ini-fuzz", "-plugins");
    for (const std::string& folder : {root, root + "/sepia", root + "/noini"})
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) abort();
    return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(24);
    const std::string key = input.ConsumeRandomLengthString(24);
    const std::string value = input.ConsumeRandomLengthString(64);
    const std::string text = input.ConsumeRemainingBytesAsString();

    std::string found;
    platform::FindProfileValue(text, section, key, found);
    const std::string written = platform::SetProfileValue(text, section, key, value);
    if (Plain(section, false) && Plain(key, true) && value.find_first_of("\r\n") == std::string::npos) {
        if (!platform::FindProfileValue(written, section, key, found) || found != Expected(value)) __builtin_trap();
    }
    ParseIniInteger(value, 7);

    // Settings written over the text, key by key as SaveSettings does through
    // the file, read back as written: the first key may start the section,
    // the others join it or rewrite their lines.
    static const std::pair<const char*, const char*> kWanted[] = {
        {"wallpaper_directory", "C:\\Pictures"}, {"plugin_directory", "sepia"}, {"number", "9"}, {"B", "18"}};
    std::string saved = text;
    for (const auto& [name, wanted] : kWanted) saved = platform::SetProfileValue(saved, "options", name, wanted);
    for (const auto& [name, wanted] : kWanted)
        if (!platform::FindProfileValue(saved, "options", name, found) || found != wanted) __builtin_trap();

    const bool settings = SameName(section, "options"), plugin = SameName(section, "info");
    if (!settings && !plugin) return 0;
    static const std::string root = PluginsRoot();
    static const std::string settingsFile = ScratchPath("ini-fuzz", ".ini");
    const std::string file = plugin ? root + "/sepia/plugin.ini" : settingsFile;
    FILE* out = fopen(file.c_str(), "wb");
    if (!out) abort();
    fwrite(text.data(), 1, text.size(), out);
    fclose(out);
    if (plugin) {
        const std::vector<PluginListing> listed = FindPlugins(root, "sepia");
        if (listed.size() != 1 || listed[0].folder != "sepia" || !listed[0].active ||
            PluginLineText(listed[0]).size() > 2 * platform::kProfileValueLimit + 6)
            __builtin_trap();
    } else {
        TSettings loaded;
        LoadSettings(file, loaded);
        // Saved over the same text and loaded again, the settings of numbers
        // and switches are as they were. Saving costs twelve writes of the
        // file, so only inputs naming the section in lower case save.
        if (section != "options") return 0;
        SaveSettings(file, loaded);
        TSettings again;
        LoadSettings(file, again);
        if (again.startup != loaded.startup || again.changestart != loaded.changestart ||
            again.wptimer != loaded.wptimer || again.nwptimer != loaded.nwptimer ||
            again.WpTimerUnit != loaded.WpTimerUnit || again.WpTimerDay != loaded.WpTimerDay ||
            again.number != loaded.number || again.BackgroundColor != loaded.BackgroundColor)
            __builtin_trap();
    }
    return 0;
}
