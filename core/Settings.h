// The user's settings: the one in-memory copy of config.ini, section "options".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

struct TSettings {
    std::string wallpaper_directory;  // the picture folder whose tree is walked
    std::string plugin_directory;     // the active plugin's folder name, "none" for none
    bool startup = false;             // keep a shortcut in the Startup folder
    bool changestart = false;         // change the wallpaper once at start
    bool wptimer = false;             // timed changes on
    int32_t nwptimer = 0;             // timer count
    int32_t WpTimerUnit = 0;          // 0 minutes, 1 hours, 2 days
    int32_t WpTimerDay = 0;           // day of the month of the last Apply or day-mode change
    int32_t number = 0;               // rotation position
    uint32_t BackgroundColor = 0;     // 0x00BBGGRR, stored as the keys "R", "G" and "B"

    // Choices beyond the described behaviour; each one's zero value (its
    // default) is the described behaviour.
    int32_t fitscreen = 0;        // 0 the 1.3 : 1 frame, 1 whole picture on each monitor, 2 each monitor filled
    bool shuffle = false;         // random order, a new one each round
    int32_t shuffleseed = 0;      // the seed of the current random round
    bool allformats = false;      // PNG, WebP and ".jpeg" count as pictures, in any letter case
    std::string language;         // "en" for English captions; anything else Russian
    std::string current;          // the full path of the picture now on the desktop
};

// One key of config.ini: where it stands, which member of TSettings it holds
// and what a missing (or, for numbers, unreadable) key reads as. The colour is
// kept as three keys, one for each byte of BackgroundColor.
struct ColorChannel {
    int shift;  // 0 for "R", 8 for "G", 16 for "B"
};
using SettingsMember = std::variant<std::string TSettings::*, bool TSettings::*, int32_t TSettings::*, ColorChannel>;
struct SettingsKey {
    const char* section;
    const char* name;
    SettingsMember member;
    std::variant<const char*, int32_t> fallback;  // text for text keys, a number for the others
    // A key of a choice beyond the described behaviour: written only while the
    // file holds it already or its value differs from the fallback, so that a
    // user who never made the choice gets the described file, byte for byte.
    bool optional = false;
};

// Every key, in the order SaveSettings writes them (so the order of a new
// config.ini). LoadSettings and SaveSettings both go through this table.
inline constexpr SettingsKey kSettingsKeys[] = {
    {"options", "wallpaper_directory", &TSettings::wallpaper_directory, ""},
    {"options", "plugin_directory", &TSettings::plugin_directory, "none"},
    {"options", "startup", &TSettings::startup, 0},
    {"options", "changestart", &TSettings::changestart, 0},
    {"options", "wptimer", &TSettings::wptimer, 0},
    {"options", "nwptimer", &TSettings::nwptimer, 60},
    {"options", "WpTimerUnit", &TSettings::WpTimerUnit, 0},
    {"options", "WpTimerDay", &TSettings::WpTimerDay, 0},
    {"options", "number", &TSettings::number, 0},
    {"options", "R", ColorChannel{0}, 255},
    {"options", "G", ColorChannel{8}, 0},
    {"options", "B", ColorChannel{16}, 0},
    {"options", "fitscreen", &TSettings::fitscreen, 0, true},
    {"options", "shuffle", &TSettings::shuffle, 0, true},
    {"options", "shuffleseed", &TSettings::shuffleseed, 0, true},
    {"options", "allformats", &TSettings::allformats, 0, true},
    {"options", "language", &TSettings::language, "", true},
    {"options", "current", &TSettings::current, "", true},
};

// The process-wide settings. Until LoadSettings finds a file they hold the zero
// values above, which differ from the defaults of keys missing from a file.
extern TSettings Settings;

// Fills `settings` from the INI file at `path` (ANSI, or UTF-16LE or UTF-8 with
// a byte-order mark); leaves it untouched when there is no file.
void LoadSettings(const std::string& path, TSettings& settings);
// Writes all of `settings`, key by key in a fixed order, into the file's text
// as it stands (lines, keys and sections of others kept, in the file's own
// encoding: ANSI, or UTF-16LE or UTF-8 with a byte-order mark), and replaces the
// file whole. When the file cannot be read or written it keeps what it held
// and platform::Error("Unable to write to <path>") is thrown; when it is larger
// than kMaxSettingsFileBytes, platform::Utf8Error(kSettingsFileTooLargeMessage).
void SaveSettings(const std::string& path, const TSettings& settings);

// Writes the one key `name` of the table as SaveSettings writes it; the other
// keys of the file stay as they are. A failed write throws as SaveSettings
// does; a name that is no key of the table throws std::invalid_argument.
void SaveSetting(const std::string& path, const TSettings& settings, const std::string& name);

inline void LoadSettings(const std::string& path) { LoadSettings(path, Settings); }
inline void SaveSettings(const std::string& path) { SaveSettings(path, Settings); }

// A config.ini larger than this is not read to be rewritten: its keys are
// still read at start, but saving fails with platform::Utf8Error
// (kSettingsFileTooLargeMessage) and leaves the file as it is.
inline constexpr size_t kMaxSettingsFileBytes = size_t(16) << 20;
inline constexpr const char kSettingsFileTooLargeMessage[] =
    "config.ini is larger than 16 MB; move it away and press Применить again";

// Reads an integer as the settings file stores it: decimal, or hexadecimal with
// the prefix "0x", "0X" or "$", optionally signed. Anything else gives `fallback`.
int32_t ParseIniInteger(const std::string& text, int32_t fallback);
