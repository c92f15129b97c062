#include "engine/Wallpaper.h"

#include <windows.h>

#include "image/BmpCodec.h"
#include "engine/Plugin.h"
#include "engine/Render.h"
#include "platform/Platform.h"

void ApplyWallpaper(const std::string& path, int style) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        throw platform::Error("Failed to get data for 'Control Panel\\Desktop'");
    const std::string styleText = std::to_string(style);
    auto set = [&](const char* name, const std::string& value) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    };
    const bool written = set("Wallpaper", path) && set("WallpaperStyle", styleText);
    RegCloseKey(key);
    if (!written) throw platform::Error("Failed to set data for 'Control Panel\\Desktop'");
    // The same path as the value "Wallpaper": Windows documents a path (or its
    // special value for the default wallpaper) here, not a null.
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path.c_str()), SPIF_SENDWININICHANGE);
}

namespace {

// True when `path` holds a bitmap the program can read in full.
bool ReadableBitmap(const std::string& path) {
    try {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, kMaxBitmapBytes + (1u << 16));
        DecodeBmp(bytes.data(), bytes.size());
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool MakeWallpaper(const std::string& path, const WallpaperTarget& target) {
    try {
        RenderOptions options;
        options.background = target.background;
        options.displayBits = platform::DisplayColorDepth();
        const Bitmap canvas = RenderWallpaper(path, options);
        WriteBitmapFile(canvas, target.bitmapPath);
        // A plugin that had to be ended, or that left no readable bitmap, does
        // not decide the wallpaper: the program's own render is written again.
        if (target.plugin != "none" &&
            (RunPlugin(target.pluginsRoot, target.plugin, target.bitmapPath) == platform::ProcessEnd::Stopped ||
             !ReadableBitmap(target.bitmapPath)))
            WriteBitmapFile(canvas, target.bitmapPath);
        ApplyWallpaper(target.bitmapPath, 3);
        return true;
    } catch (...) {
        return false;
    }
}
