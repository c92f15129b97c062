// Paths between the wide names the system keeps and the ANSI strings the
// program hands to the A functions. A name the ANSI code page cannot hold (a
// folder named in another script) is reached by its short (8.3) name, which
// the A functions open, and shown to the user by its real, long name.
// Win32 only: the user interface and the Win32 platform layer use it.
#pragma once

#include <string>

namespace platform {

// `text` in the ANSI code page; true when every character survives the trip
// there and back (no default character, no best-fit stand-in).
bool AnsiExactly(const std::wstring& text, std::string& ansi);

// `text` converted to the ANSI code page as the A functions convert it:
// characters it cannot hold become stand-ins ("?").
std::string AnsiLossy(const std::wstring& text);
std::wstring WideFromAnsiText(const std::string& text);
// `text` from and to any code page the system converts (CP_UTF8, CP_ACP, ...).
std::wstring WideFromCodePage(unsigned codePage, const std::string& text);
std::string CodePageFromWide(unsigned codePage, const std::wstring& text);

// A form of `path` that the A functions open: the path in the ANSI code page
// when it holds it; otherwise each component it cannot hold becomes the short
// name of the file or folder there. A component without a short name the code
// page holds (no such file, short names switched off) stays as AnsiLossy
// gives it, so it names nothing, as before.
std::string OpenableAnsiPath(const std::wstring& path);

// What the user knows the ANSI `path` (perhaps with short names in it) by: its
// long form when that holds characters the ANSI code page cannot, otherwise
// `path` itself, widened.
std::wstring ShownPath(const std::string& path);

// The real path behind `path`, a path given in the ANSI code page with stand-ins
// ("?") for the characters it cannot hold, as Wine's shell names such folders:
// each component with a stand-in becomes the one name in its folder that reads
// as it in the ANSI code page. `path` widened when none or several match.
std::wstring ResolveStandIns(const std::string& path);

// The last component of ShownPath(path): a file's name as the user knows it.
std::wstring ShownName(const std::string& path);

// The form in which the wide (W) functions reach `path`, whatever its length:
// `path` widened from the ANSI code page as it is, or, when it (with
// `appended` more characters the caller adds) would not fit the system's
// plain form (MAX_PATH, less the room CreateDirectory keeps), its full path in
// the "\\?\" form ("\\?\UNC\server\share\..." for a share): made whole from
// the current folder when relative, with "/" read as "\", doubled separators
// and "." and ".." resolved as the plain form resolves them. Paths already in
// the "\\?\" or "\\.\" form are taken as they are.
std::wstring SystemPath(const std::string& path, size_t appended = 0);
std::wstring SystemPathOf(const std::wstring& path, size_t appended = 0);
// SystemPath(folder) + "\" + name, with no doubled separator in the "\\?\" form.
std::wstring SystemChildPath(const std::string& folder, const std::wstring& name);

}  // namespace platform
