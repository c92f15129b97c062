// Text forms shared by tools/gifinfo and the giflib dumper, so that their
// outputs can be compared line by line.
#pragma once

#include <cstdio>
#include <string>

// Appends bytes with printable ASCII kept and everything else escaped.
inline void AppendEscaped(std::string& out, const unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const unsigned char c = bytes[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 32 && c < 127) {
            out += char(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
}

// "#RRGGBB".
inline std::string RgbText(unsigned red, unsigned green, unsigned blue) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", red & 0xFF, green & 0xFF, blue & 0xFF);
    return text;
}
