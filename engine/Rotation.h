// The rotation: which picture of the catalogue the next change shows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/PictureFile.h"
#include "engine/Wallpaper.h"

// One change. Walks the catalogue under `folder` (the wallpaper folder) for
// position `number` (the rotation's position, kept in the settings), applies
// the picture found with `makeWallpaper`, moves `number` on by one (back to 1
// at the end of the catalogue) and, when the picture was applied, calls
// `save`. A picture that fails is passed over at once for the next position;
// a failure of the output (WallpaperResult::OutputFailed: the bitmap cannot be
// written) ends the change at once, `number` as it was. The change also gives
// up, without saving, once every position of a full pass has failed; an empty wallpaper folder (none chosen yet) and a folder that cannot
// be listed (missing for now) change nothing, the position included. Returns
// whether a picture was applied.
// `rule`: which names count as pictures (option "allformats").
bool RotateWallpaper(const std::string& folder, int32_t& number,
                     const std::function<WallpaperResult(const std::string&)>& makeWallpaper, const std::function<void()>& save,
                     PictureRule rule = PictureRule::Described);

// "Previous": one change back. The picture before the one showing (position
// `number` - 2) is applied; one that cannot be applied is passed over towards
// position 1, each tried once, and `number` ends one past the picture shown,
// as after a forward change; a failure of the output ends the change at once,
// `number` as it was. Nothing wraps backwards: at position 1 and right
// after the catalogue wrapped (`number` 2 or less) the last picture found is
// applied again and `number` ends at 1, however many times this is asked, so
// the next change shows position 1; and when
// nothing before the picture showing can be applied, that picture is applied
// again (a forward change from it). A wallpaper folder that is empty or cannot
// be listed changes nothing, the position included. Returns whether a
// picture was applied.
bool RotateWallpaperBack(const std::string& folder, int32_t& number,
                         const std::function<WallpaperResult(const std::string&)>& makeWallpaper,
                         const std::function<void()>& save, PictureRule rule = PictureRule::Described);

// Two positions back, so that a forward change that follows shows the picture
// before the one showing when it can be applied. Never below 0: a position of
// 1 or less (the start of the catalogue, a wrap, a hostile config.ini) steps
// to 0, where a forward change applies the last find again and ends at 1.
void StepBack(int32_t& number);

// A change with a picture on each of `monitors` monitors (the choice
// "fitscreen"): the pictures from position `number` on, one per monitor in
// the layout's order, wrapping to 1 at the end of the catalogue, given to
// `makeWallpaper` as a supply (PictureSupply). A picture that cannot be shown
// is passed over for the next position; the supply runs dry once a position
// that failed comes round again. When the pictures were applied `number` is
// one past the last picture shown (moved on by the number of monitors) and
// `save` is called; otherwise `number` stays as it was. `back` ("Предыдущая")
// starts `monitors` pictures before those showing, that is at `number` − 2 ×
// `monitors`, never below position 1 (nothing wraps backwards). Positions
// below 1 start at 1. An empty wallpaper folder or one that cannot be listed
// changes nothing. Returns whether the pictures were applied.
bool RotateScreens(const std::string& folder, int32_t& number, int32_t monitors, bool back,
                   const std::function<WallpaperResult(const PictureSupply&)>& makeWallpaper,
                   const std::function<void()>& save, PictureRule rule = PictureRule::Described);
