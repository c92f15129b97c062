#include "platform/posix/ProfileText.h"

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

}  // namespace platform
