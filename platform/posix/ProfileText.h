// The private-profile (INI) rules, applied to a file's text: what the POSIX
// platform uses in place of GetPrivateProfileStringA and WritePrivateProfileStringA,
// and what config.ini's text is made by on every system before it is written
// whole (SaveSettings). Portable: built into both platform libraries.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Characters of a value read back, as with a 2048-byte buffer.
constexpr std::size_t kProfileValueLimit = 2047;

// Finds `key` in `section` (both without regard to ASCII case; the first
// section and key of that name win). The value loses surrounding blanks and one
// pair of enclosing quotes. Returns false when there is no such key.
bool FindProfileValue(const std::string& text, const std::string& section, const std::string& key,
                      std::string& value);

// Returns `text` with `key` of `section` set to `value`: an existing line is
// rewritten in place, a new key goes after the last line of its section, a new
// section at the end of the file. New lines end in CR LF.
std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value);

}  // namespace platform
