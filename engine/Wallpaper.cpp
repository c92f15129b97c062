#include "engine/Wallpaper.h"

#include <functional>
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
    class Nowhere final : public PictureSink {
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

// Renders the bitmap with `render`, runs the plugin (overruling a failed
// one with the program's own render) and sets the wallpaper with `apply`.
WallpaperResult Produce(const WallpaperTarget& target, const std::function<void()>& render,
                        const std::function<void()>& apply) {
    const std::string own = target.bitmapPath + ".own";
    try {
        render();
        if (target.plugin != "none") {
            // A plugin that had to be ended, or that left no readable bitmap,
            // does not decide the wallpaper: the program's own render, kept
            // beside the bitmap while the plugin runs, is put back (rendered
            // again when it could not be kept).
            const bool kept = platform::CopyFileOver(target.bitmapPath, own);
            if (RunPlugin(target.pluginsRoot, target.plugin, target.bitmapPath) == platform::ProcessEnd::Stopped ||
                !ReadableBitmap(target.bitmapPath)) {
                if (!kept || !platform::MoveFileOver(own, target.bitmapPath)) render();
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
        apply();
        return WallpaperResult::Applied;
    } catch (...) {
        return WallpaperResult::OutputFailed;
    }
}

}  // namespace

WallpaperResult MakeWallpaper(const std::string& path, const WallpaperTarget& target) {
    RenderOptions options;
    options.background = target.background;
    options.displayBits = 0;  // asked of the display only for a picture that decodes
    return Produce(
        target, [&] { RenderWallpaper(path, options, target.bitmapPath); },
        [&] {
            if (target.tile < 0)
                platform::SetDesktopWallpaper(target.bitmapPath, 3);
            else
                platform::SetDesktopWallpaper(target.bitmapPath, 3, target.tile);
        });
}

ScreenWallpaperStyle StyleForScreens(size_t monitors, bool spans) {
    if (monitors <= 1) return {0, 0, false};
    if (spans) return {22, 0, false};
    return {0, 1, true};
}

WallpaperResult MakeScreenWallpaper(const ScreenLayout& layout, ScreenFit fit, const PictureSupply& next,
                                    const WallpaperTarget& target, std::vector<std::string>* shown) {
    const ScreenWallpaperStyle style = StyleForScreens(layout.Monitors().size(), platform::SpansWallpaper());
    const ComposeOptions options{target.background, fit, style.tiled};
    std::vector<std::string> drawn;
    const WallpaperResult result = Produce(
        target,
        [&] {
            if (drawn.empty()) {
                drawn = ComposeWallpaper(layout, options, next, target.bitmapPath);
                return;
            }
            // Drawn again after a failed plugin: the same pictures.
            size_t at = 0;
            ComposeWallpaper(
                layout, options,
                [&](bool) -> std::optional<std::string> {
                    if (at >= drawn.size()) return std::nullopt;
                    return drawn[at++];
                },
                target.bitmapPath);
        },
        [&] { platform::SetDesktopWallpaper(target.bitmapPath, style.style, style.tile); });
    if (result && shown) *shown = drawn;
    return result;
}
