#include "platform/posix/ProfileText.h"

#include <string_view>
#include <vector>

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
    std::vector<Line> lines;
    for (std::size_t at = 0; at < text.size();) lines.push_back(NextLine(text, at));
    const std::string newLine = key + "=" + value;
    int sectionLine = -1;   // header of the first section of that name
    int lastContent = -1;   // last non-blank line inside it
    int keyLine = -1;       // the key's own line
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string_view name, lineKey, lineValue;
        if (SectionName(lines[i].text, name)) {
            if (sectionLine >= 0) break;
            if (SameName(name, section)) sectionLine = lastContent = i;
        } else if (sectionLine >= 0) {
            if (KeyLine(lines[i].text, lineKey, lineValue) && SameName(lineKey, key)) {
                keyLine = i;
                break;
            }
            if (!Trim(lines[i].text).empty()) lastContent = i;
        }
    }
    // A last line must end in a line break before anything follows it: none,
    // or a lone CR, which the reading rules do not take for one, becomes CR LF.
    if (keyLine < 0 && !lines.empty() && lines.back().ending != "\n" && lines.back().ending != "\r\n")
        lines.back().ending = "\r\n";
    std::string out;
    out.reserve(text.size() + newLine.size() + section.size() + 8);
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        out.append(i == keyLine ? std::string_view(newLine) : lines[i].text).append(lines[i].ending);
        if (keyLine < 0 && i == lastContent) out.append(newLine).append("\r\n");
    }
    if (keyLine < 0 && sectionLine < 0) out.append("[").append(section).append("]\r\n").append(newLine).append("\r\n");
    return out;
}

}  // namespace platform
