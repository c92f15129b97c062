#include "engine/Wallpaper.h"

#include <memory>

#include "engine/PictureFile.h"
#include "engine/Plugin.h"
#include "engine/Render.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"

namespace {

// True when `path` holds a bitmap the program can read in full, read a band
// at a time.
bool ReadableBitmap(const std::string& path) {
    class Nowhere final : public BmpRowSink {
        void Begin(const PixelFormat&) override {}
        void Row(int32_t, const uint8_t*) override {}
    } rows;
    try {
        const std::unique_ptr<platform::InputFile> file = platform::OpenInputFile(path);
        if (file->Size() > kMaxBitmapBytes + (1u << 16)) return false;
        PictureFileSource source(*file);
        DecodeBmpRows(source, rows);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

WallpaperResult MakeWallpaper(const std::string& path, const WallpaperTarget& target) {
    const std::string own = target.bitmapPath + ".own";
    try {
        RenderOptions options;
        options.background = target.background;
        options.displayBits = 0;  // asked of the display only for a picture that decodes
        RenderWallpaper(path, options, target.bitmapPath);
        if (target.plugin != "none") {
            // A plugin that had to be ended, or that left no readable bitmap,
            // does not decide the wallpaper: the program's own render, kept
            // beside the bitmap while the plugin runs, is put back (rendered
            // again when it could not be kept).
            const bool kept = platform::CopyFileOver(target.bitmapPath, own);
            if (RunPlugin(target.pluginsRoot, target.plugin, target.bitmapPath) == platform::ProcessEnd::Stopped ||
                !ReadableBitmap(target.bitmapPath)) {
                if (!kept || !platform::MoveFileOver(own, target.bitmapPath))
                    RenderWallpaper(path, options, target.bitmapPath);
            }
            platform::RemoveFile(own);
        }
    } catch (const platform::WriteError&) {
        platform::RemoveFile(own);
        return WallpaperResult::OutputFailed;
    } catch (...) {
        if (target.plugin != "none") platform::RemoveFile(own);
        return WallpaperResult::PictureFailed;
    }
    try {
        platform::SetDesktopWallpaper(target.bitmapPath, 3);
        return WallpaperResult::Applied;
    } catch (...) {
        return WallpaperResult::OutputFailed;
    }
}
