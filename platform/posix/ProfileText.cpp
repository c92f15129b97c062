#include "platform/posix/ProfileText.h"

#include <vector>

namespace platform {

namespace {

struct Line {
    std::string text;     // without its line break
    std::string ending;   // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        Line line;
        if (end == std::string::npos) {
            line.text = text.substr(start);
            start = text.size();
        } else {
            line.text = text.substr(start, end - start);
            line.ending = "\n";
            start = end + 1;
        }
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.ending = "\r" + line.ending;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// The name of a section header line, or false when the line is none.
bool SectionName(const std::string& line, std::string& name) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') return false;
    std::size_t close = trimmed.rfind(']');
    if (close == std::string::npos) return false;
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

// Splits a "key=value" line; false for blank lines, comments and lines without "=".
bool KeyLine(const std::string& line, std::string& key, std::string& value) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return false;
    std::size_t equals = trimmed.find('=');
    if (equals == std::string::npos) return false;
    key = Trim(trimmed.substr(0, equals));
    value = Trim(trimmed.substr(equals + 1));
    return true;
}

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// A last line must end in a line break before anything follows it: none, or a
// lone CR, which the reading rules do not take for one, becomes CR LF.
void EndLastLine(std::vector<Line>& lines) {
    if (!lines.empty() && lines.back().ending != "\n" && lines.back().ending != "\r\n")
        lines.back().ending = "\r\n";
}

}  // namespace

bool FindProfileValue(const std::string& text, const std::string& section, const std::string& key,
                      std::string& value) {
    bool inSection = false;
    for (const Line& line : SplitLines(text)) {
        std::string name, lineKey, lineValue;
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
    std::vector<Line> lines = SplitLines(text);
    const std::string newLine = key + "=" + value;
    int sectionLine = -1;   // header of the first section of that name
    int lastContent = -1;   // last non-blank line inside it
    int keyLine = -1;       // the key's own line
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string name, lineKey, lineValue;
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
    if (keyLine >= 0) {
        lines[keyLine].text = newLine;
    } else if (sectionLine >= 0) {
        EndLastLine(lines);
        lines.insert(lines.begin() + lastContent + 1, Line{newLine, "\r\n"});
    } else {
        EndLastLine(lines);
        lines.push_back(Line{"[" + section + "]", "\r\n"});
        lines.push_back(Line{newLine, "\r\n"});
    }
    std::string out;
    for (const Line& line : lines) out += line.text + line.ending;
    return out;
}

}  // namespace platform
