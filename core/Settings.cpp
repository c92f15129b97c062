#include "core/Settings.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/ProfileText.h"

TSettings Settings;

namespace {

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
    // A file with a byte-order mark (UTF-16, as Notepad's "Unicode" saves it,
    // or UTF-8) is read here in its own encoding, as the save writes it; every
    // other file, and one too large to be read whole, through the system's
    // private-profile reads.
    platform::ProfileEncoding encoding = platform::ProfileEncoding::Ansi;
    std::string text;
    try {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, kMaxSettingsFileBytes);
        text = platform::DecodeProfileText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                           encoding);
    } catch (const platform::Error&) {
        encoding = platform::ProfileEncoding::Ansi;
    }
    auto read = [&](const SettingsKey& key, const std::string& fallback) {
        if (encoding == platform::ProfileEncoding::Ansi) return platform::ReadIniString(path, key.section, key.name, fallback);
        std::string value;
        value = platform::FindProfileValue(text, key.section, key.name, value) ? platform::AnsiFromUtf8(value) : fallback;
        if (value.size() > platform::kProfileValueLimit) value.resize(platform::kProfileValueLimit);
        return value;
    };
    for (const SettingsKey& key : kSettingsKeys) {
        if (const auto* text = std::get_if<std::string TSettings::*>(&key.member)) {
            settings.*(*text) = read(key, std::get<const char*>(key.fallback));
            continue;
        }
        const int32_t value = ParseIniInteger(read(key, ""), std::get<int32_t>(key.fallback));
        if (const auto* flag = std::get_if<bool TSettings::*>(&key.member))
            settings.*(*flag) = value != 0;
        else if (const auto* number = std::get_if<int32_t TSettings::*>(&key.member))
            settings.*(*number) = value;
        else {
            // Each channel replaces its byte; the byte above the three is always cleared.
            const int shift = std::get<ColorChannel>(key.member).shift;
            settings.BackgroundColor = (settings.BackgroundColor & ~(0xFFu << shift) & 0xFFFFFFu) |
                                       (static_cast<uint32_t>(value) & 0xFF) << shift;
        }
    }
}

namespace {

// A key's value as config.ini holds it.
std::string KeyText(const SettingsKey& key, const TSettings& settings) {
    if (const auto* text = std::get_if<std::string TSettings::*>(&key.member)) return settings.*(*text);
    if (const auto* flag = std::get_if<bool TSettings::*>(&key.member)) return settings.*(*flag) ? "1" : "0";
    if (const auto* number = std::get_if<int32_t TSettings::*>(&key.member)) return std::to_string(settings.*(*number));
    return std::to_string(settings.BackgroundColor >> std::get<ColorChannel>(key.member).shift & 0xFF);
}

// The fallback as config.ini would hold it.
std::string FallbackText(const SettingsKey& key) {
    if (const auto* text = std::get_if<const char*>(&key.fallback)) return *text;
    return std::to_string(std::get<int32_t>(key.fallback));
}

// Whether `key` goes into the file: always for the described keys; a choice's
// key once it is in the file or set away from its default.
bool KeyIsWritten(const SettingsKey& key, const std::string& fileText, const std::string& value) {
    if (!key.optional || value != FallbackText(key)) return true;
    std::string present;
    return platform::FindProfileValue(fileText, key.section, key.name, present);
}

// config.ini is never rewritten in place: its text as it stands gets the keys
// set by the rules the private-profile functions write them by, and the
// whole text goes to a temporary file beside it, which reaches the disk and
// then takes the file's place in one step. Whatever stops the program, or a
// full disk, leaves the old file or the new one.
// The file keeps its encoding: a file with a UTF-16 or UTF-8 byte-order mark
// gets the values in that encoding, the mark first, as the private-profile
// functions of Windows write such a file.
template <class Keys>
void WriteKeys(const std::string& path, const TSettings& settings, const Keys& keys) {
    std::string text;
    platform::ProfileEncoding encoding = platform::ProfileEncoding::Ansi;
    try {
        if (platform::FileExists(path)) {
            const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, kMaxSettingsFileBytes);
            text = platform::DecodeProfileText(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), encoding);
        }
    } catch (const platform::TooLargeError&) {
        // Its keys were read at start; rewriting it would take more than it is worth.
        throw platform::Utf8Error(kSettingsFileTooLargeMessage);
    } catch (const platform::Error&) {
        // What cannot be read cannot be rewritten with its content kept.
        throw platform::Error("Unable to write to " + path);
    }
    for (const SettingsKey& key : keys) {
        const std::string value = KeyText(key, settings);
        if (KeyIsWritten(key, text, value))
            text = platform::SetProfileValue(text, key.section, key.name,
                                             encoding == platform::ProfileEncoding::Ansi ? value : platform::Utf8FromAnsi(value));
    }
    const std::string bytes = platform::EncodeProfileText(encoding, text);
    platform::WriteFileReplacing(path, [&bytes](platform::OutputFile& out) { out.Write(bytes.data(), bytes.size()); },
                                 /*durable=*/true);
}

}  // namespace

void SaveSettings(const std::string& path, const TSettings& settings) { WriteKeys(path, settings, kSettingsKeys); }

void SaveSetting(const std::string& path, const TSettings& settings, const std::string& name) {
    for (const SettingsKey& key : kSettingsKeys)
        if (name == key.name) return WriteKeys(path, settings, std::span(&key, 1));
    throw std::invalid_argument("no settings key " + name);
}
