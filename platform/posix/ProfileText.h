// The private-profile (INI) rules, applied to a file's text: what the POSIX
// platform uses in place of GetPrivateProfileStringA and WritePrivateProfileStringA,
// and what config.ini's text is made by on every system before it is written
// whole (SaveSettings). Portable: built into both platform libraries.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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

// How a profile file's text is stored, as the private-profile functions tell
// it by the file's first bytes: a UTF-16LE byte-order mark (Notepad's
// "Unicode"), a UTF-8 one, or none (the ANSI code page).
enum class ProfileEncoding { Ansi, Utf8, Utf16 };

// The text of a profile file's bytes, without its byte-order mark: ANSI and
// UTF-8 as they are, UTF-16LE as UTF-8 (a lone surrogate kept in the same
// three-byte form, so that EncodeProfileText gives back the same bytes; an odd
// last byte is no character and is dropped). The rules above work on either
// 8-bit text, as their names and marks are ASCII.
std::string DecodeProfileText(std::string_view bytes, ProfileEncoding& encoding);
// The bytes of a profile file in `encoding`, its byte-order mark first, from
// text as DecodeProfileText gives it.
std::string EncodeProfileText(ProfileEncoding encoding, std::string_view text);

}  // namespace platform
