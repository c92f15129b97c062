// The sepia plugin's work: a sepia tone and a soft vignette applied to a
// wallpaper bitmap, and the plugin's own settings. Portable: the program that
// runs it and its settings dialog are the Windows parts.
#pragma once

#include <string>

#include "image/Bitmap.h"

enum class Effect { Sepia, Vignette, Both };

struct EffectOptions {
    Effect effect = Effect::Both;
    int strength = 75;  // 0 (no change) to 100 (the full effect)
    friend bool operator==(const EffectOptions&, const EffectOptions&) = default;
};

// The settings file beside the plugin's programs: section "sepia", keys
// "effect" ("sepia", "vignette" or "both") and "strength" (0 to 100).
// Missing or unreadable values give the defaults; strengths are clamped.
EffectOptions ReadEffectOptions(const std::string& iniPath);
// Throws platform::Error("Unable to write to <path>") when the file cannot be written.
void WriteEffectOptions(const std::string& iniPath, const EffectOptions& options);

// Reworks the picture in place. 16- and 32-bit pixels keep their masks and
// the bits outside them; 24-bit pixels are worked directly. Pictures with a
// palette keep it and only their palette is toned when the effect is sepia
// alone; a vignette, which darkens by position, turns them into 24 bits.
void ApplyEffect(Bitmap& picture, const EffectOptions& options);

// Reads the BMP file at `path`, applies the effect and writes the result back
// through a temporary file that replaces `path` only once it is complete.
// Throws on any failure, leaving `path` as it was.
void ReworkBitmapFile(const std::string& path, const EffectOptions& options);

// The bitmap's path on the plugin's command line: everything after the
// program's own path, which the program runs it with unquoted (so both may
// hold spaces); a path in quotes loses them. `self` is the program file as
// the system names it.
std::string BitmapPathFromCommandLine(const std::string& commandLine, const std::string& self);
