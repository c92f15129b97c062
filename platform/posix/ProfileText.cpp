#include "platform/posix/ProfileText.h"

#include <cstdint>
#include <string_view>

namespace platform {

namespace {

// One line of the text, viewed in place: what stands before its line break,
// and the break ("\r\n", "\n", a lone "\r" at the very end, or nothing).
struct Line {
    std::string_view text;
    std::string_view ending;
};

// The line starting at `start` (< text.size()); `start` moves past it.
Line NextLine(std::string_view text, std::size_t& start) {
    const std::size_t end = text.find('\n', start);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end + 1;
    Line line{text.substr(start, (end == std::string_view::npos ? text.size() : end) - start),
              text.substr(stop, 0)};
    std::size_t endingFrom = end == std::string_view::npos ? text.size() : end;
    if (!line.text.empty() && line.text.back() == '\r') {
        line.text.remove_suffix(1);
        --endingFrom;
    }
    line.ending = text.substr(endingFrom, stop - endingFrom);
    start = stop;
    return line;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// The name of a section header line, or false when the line is none.
bool SectionName(std::string_view line, std::string_view& name) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') return false;
    const std::size_t close = trimmed.rfind(']');
    if (close == std::string_view::npos) return false;
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

// Splits a "key=value" line; false for blank lines, comments and lines without "=".
bool KeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return false;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return false;
    key = Trim(trimmed.substr(0, equals));
    value = Trim(trimmed.substr(equals + 1));
    return true;
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

bool FindProfileValue(const std::string& text, const std::string& section, const std::string& key,
                      std::string& value) {
    bool inSection = false;
    for (std::size_t at = 0; at < text.size();) {
        const Line line = NextLine(text, at);
        std::string_view name, lineKey, lineValue;
        if (SectionName(line.text, name)) {
            if (inSection) return false;  // only the first section of that name counts
            inSection = SameName(name, section);
        } else if (inSection && KeyLine(line.text, lineKey, lineValue) && SameName(lineKey, key)) {
            value = Unquoted(lineValue);
            return true;
        }
    }
    return false;
}

std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value) {
    // One pass over the lines finds the header of the first section of that
    // name, where its last non-blank line ends, and the key's own line.
    bool inSection = false, sectionFound = false;
    std::size_t contentEnd = 0;                                           // after the last non-blank line's break
    std::size_t keyFrom = std::string::npos, keyTo = std::string::npos;  // the key line's text
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t from = at;
        const Line line = NextLine(text, at);
        std::string_view name, lineKey, lineValue;
        if (SectionName(line.text, name)) {
            if (inSection) break;
            if (SameName(name, section)) inSection = sectionFound = true, contentEnd = at;
        } else if (inSection) {
            if (KeyLine(line.text, lineKey, lineValue) && SameName(lineKey, key)) {
                keyFrom = from;
                keyTo = from + line.text.size();
                break;
            }
            if (!Trim(line.text).empty()) contentEnd = at;
        }
    }
    std::string out;
    out.reserve(text.size() + key.size() + value.size() + section.size() + 10);
    if (keyFrom != std::string::npos) {
        // The key's line is rewritten in place, its line break kept.
        out.append(text, 0, keyFrom).append(key).append("=").append(value).append(text, keyTo);
        return out;
    }
    // A last line must end in a line break before anything follows it: none,
    // or a lone CR, which the reading rules do not take for one, becomes CR LF.
    const bool lastEnds = text.empty() || text.back() == '\n';
    const std::size_t kept = !lastEnds && text.back() == '\r' ? text.size() - 1 : text.size();
    if (sectionFound && contentEnd < text.size()) {
        out.append(text, 0, contentEnd).append(key).append("=").append(value).append("\r\n");
        out.append(text, contentEnd, kept - contentEnd);
        if (!lastEnds) out.append("\r\n");
        return out;
    }
    out.append(text, 0, kept);
    if (!lastEnds) out.append("\r\n");
    if (!sectionFound) out.append("[").append(section).append("]\r\n");
    out.append(key).append("=").append(value).append("\r\n");
    return out;
}

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUtf16(std::string& out, uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

}  // namespace

std::string DecodeProfileText(std::string_view bytes, ProfileEncoding& encoding) {
    if (bytes.starts_with(kUtf16Mark)) {
        encoding = ProfileEncoding::Utf16;
        std::string text;
        text.reserve(bytes.size() * 3 / 2);
        const std::size_t units = (bytes.size() - kUtf16Mark.size()) / 2;
        auto unit = [&](std::size_t i) {
            const std::size_t at = kUtf16Mark.size() + 2 * i;
            return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
                   static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
        };
        for (std::size_t i = 0; i < units; ++i) {
            const uint32_t first = unit(i);
            if (first >= 0xD800 && first < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
                AppendUtf8(text, 0x10000 + ((first - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
                ++i;
            } else {
                AppendUtf8(text, first);  // a lone surrogate too, in its three-byte form
            }
        }
        return text;
    }
    if (bytes.starts_with(kUtf8Mark)) {
        encoding = ProfileEncoding::Utf8;
        return std::string(bytes.substr(kUtf8Mark.size()));
    }
    encoding = ProfileEncoding::Ansi;
    return std::string(bytes);
}

std::string EncodeProfileText(ProfileEncoding encoding, std::string_view text) {
    switch (encoding) {
    case ProfileEncoding::Ansi:
        return std::string(text);
    case ProfileEncoding::Utf8:
        return std::string(kUtf8Mark).append(text);
    case ProfileEncoding::Utf16:
        break;
    }
    std::string out(kUtf16Mark);
    out.reserve(kUtf16Mark.size() + text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t at) { return static_cast<uint8_t>(text[at]); };
        const uint8_t lead = byte(i);
        // The length of the sequence the lead byte opens, when its
        // continuation bytes follow; anything else is taken as one character
        // of the same value, as a Latin-1 byte would be.
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        for (std::size_t k = 1; k < length; ++k)
            if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) length = 0;
        uint32_t code = lead;
        if (length == 2) code = (lead & 0x1Fu) << 6 | (byte(i + 1) & 0x3Fu);
        if (length == 3) code = (lead & 0x0Fu) << 12 | (byte(i + 1) & 0x3Fu) << 6 | (byte(i + 2) & 0x3Fu);
        if (length == 4)
            code = (lead & 0x07u) << 18 | (byte(i + 1) & 0x3Fu) << 12 | (byte(i + 2) & 0x3Fu) << 6 | (byte(i + 3) & 0x3Fu);
        if (code > 0x10FFFF) length = 0, code = lead;
        if (code >= 0x10000) {
            AppendUtf16(out, 0xD800 + ((code - 0x10000) >> 10));
            AppendUtf16(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            AppendUtf16(out, code);
        }
        i += length ? length : 1;
    }
    return out;
}

}  // namespace platform
