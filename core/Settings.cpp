#include "core/Settings.h"

#include <cstdint>

#include "platform/Platform.h"

TSettings Settings;

namespace {

const char kSection[] = "options";

int32_t ReadInteger(const std::string& path, const char* key, int32_t fallback) {
    return ParseIniInteger(platform::ReadIniString(path, kSection, key, ""), fallback);
}

bool ReadBool(const std::string& path, const char* key, bool fallback) {
    return ReadInteger(path, key, fallback ? 1 : 0) != 0;
}

void WriteInteger(const std::string& path, const char* key, int64_t value) {
    platform::WriteIniString(path, kSection, key, std::to_string(value));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int32_t ParseIniInteger(const std::string& text, int32_t fallback) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return fallback;
    // Decimal numbers must fit a signed 32-bit integer; hexadecimal ones may use
    // all 32 bits, so "$FFFFFFFF" reads as -1.
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        int digit = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return fallback;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > limit) return fallback;
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

void LoadSettings(const std::string& path, TSettings& settings) {
    if (!platform::FileExists(path)) return;
    settings.wallpaper_directory = platform::ReadIniString(path, kSection, "wallpaper_directory", "");
    settings.startup = ReadBool(path, "startup", false);
    settings.changestart = ReadBool(path, "changestart", false);
    settings.wptimer = ReadBool(path, "wptimer", false);
    settings.nwptimer = ReadInteger(path, "nwptimer", 60);
    settings.WpTimerUnit = ReadInteger(path, "WpTimerUnit", 0);
    settings.WpTimerDay = ReadInteger(path, "WpTimerDay", 0);
    settings.number = ReadInteger(path, "number", 0);
    settings.plugin_directory = platform::ReadIniString(path, kSection, "plugin_directory", "none");
    const uint32_t r = static_cast<uint32_t>(ReadInteger(path, "R", 255)) & 0xFF;
    const uint32_t g = static_cast<uint32_t>(ReadInteger(path, "G", 0)) & 0xFF;
    const uint32_t b = static_cast<uint32_t>(ReadInteger(path, "B", 0)) & 0xFF;
    settings.BackgroundColor = r | g << 8 | b << 16;
}

void SaveSettings(const std::string& path, const TSettings& settings) {
    platform::WriteIniString(path, kSection, "wallpaper_directory", settings.wallpaper_directory);
    platform::WriteIniString(path, kSection, "plugin_directory", settings.plugin_directory);
    WriteInteger(path, "startup", settings.startup ? 1 : 0);
    WriteInteger(path, "changestart", settings.changestart ? 1 : 0);
    WriteInteger(path, "wptimer", settings.wptimer ? 1 : 0);
    WriteInteger(path, "nwptimer", settings.nwptimer);
    WriteInteger(path, "WpTimerUnit", settings.WpTimerUnit);
    WriteInteger(path, "WpTimerDay", settings.WpTimerDay);
    WriteInteger(path, "number", settings.number);
    WriteInteger(path, "R", settings.BackgroundColor & 0xFF);
    WriteInteger(path, "G", settings.BackgroundColor >> 8 & 0xFF);
    WriteInteger(path, "B", settings.BackgroundColor >> 16 & 0xFF);
}
