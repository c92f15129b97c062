// plugin.exe of the sepia plugin: reworks the wallpaper bitmap it is given.
// Tavrin Wallpaper starts it as "<its folder>\plugin.exe <bitmap path>" with
// nothing quoted and waits for it; the bitmap as it is left becomes the
// wallpaper. The effect and its strength come from settings.ini beside it.
// The file is replaced only by a complete new one, so a failure (exit code 1)
// leaves the bitmap as it was.
#include <windows.h>

#include <exception>
#include <string>

#include "Effects.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string self(32768, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0 || length >= self.size()) return 1;
    self.resize(length);
    try {
        const std::string bitmap = BitmapPathFromCommandLine(GetCommandLineA(), self);
        if (bitmap.empty()) return 1;
        const std::string folder = self.substr(0, self.find_last_of('\\'));
        ReworkBitmapFile(bitmap, ReadEffectOptions(folder + "\\settings.ini"));
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}
