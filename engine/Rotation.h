// The rotation: which picture of the catalogue the next change shows.
#pragma once

#include <functional>
#include <string>

// One change. Walks the catalogue for position Settings.number, applies the
// picture found with `makeWallpaper`, moves Settings.number on by one (back to
// 1 at the end of the catalogue) and, when the picture was applied, calls
// `save`. A picture that fails is passed over at once for the next position.
// The change gives up, without saving, once every position of a full pass has
// failed; an empty wallpaper folder (none chosen yet) and a folder that cannot
// be listed (missing for now) change nothing, the position included. Returns
// whether a picture was applied.
bool RotateWallpaper(const std::function<bool(const std::string&)>& makeWallpaper,
                     const std::function<void()>& save);

// "Previous": two positions back, so that the change that follows shows the
// picture before the one showing.
void StepBack();
