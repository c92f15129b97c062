#include "engine/Rotation.h"

#include <algorithm>
#include <limits>
#include <cstdint>
#include <set>

#include "engine/CatalogueWalk.h"

namespace {

// The forward change from position `from`; `failed` holds the positions already
// tried in vain by this change, which are not tried again. `number` moves only
// once a picture has been tried.
bool RotateFrom(const std::string& folder, int32_t& number, int32_t from, std::set<int32_t>& failed,
                const std::function<WallpaperResult(const std::string&)>& makeWallpaper, const std::function<void()>& save,
                PictureRule rule) {
    const int32_t before = number;
    for (int32_t position = from;; position = number) {
        if (position >= 1 && failed.count(position)) return false;  // a whole pass failed
        // A folder that cannot be listed (a stick or a network drive that is
        // away for now) changes nothing, so the rotation goes on where it was
        // once the folder is back.
        const WalkResult walk = PictureSearch(folder, position, rule);
        if (!walk.listed) return false;
        const WallpaperResult result = makeWallpaper(walk.found);
        // The wallpaper's own output failed (a full disk, a bitmap another
        // program holds): every other picture would fail the same way, so the
        // change ends, the position as it was.
        if (result.kind() == WallpaperResult::OutputFailed) {
            number = before;
            return false;
        }
        const bool ok = static_cast<bool>(result);
        // The walk reached `position` unless the catalogue ended, so the next
        // position cannot overflow.
        number = walk.catalogueEnd ? 1 : position + 1;
        if (ok) {
            save();
            return true;
        }
        if (position >= 1) {
            failed.insert(position);
        } else if (number < 1) {
            // Below position 1 every attempt applies the same earlier find; once
            // it has failed, the catalogue starts again at 1.
            number = 1;
        }
    }
}

}  // namespace

bool RotateWallpaper(const std::string& folder, int32_t& number,
                     const std::function<WallpaperResult(const std::string&)>& makeWallpaper, const std::function<void()>& save,
                     PictureRule rule) {
    if (folder.empty()) return false;
    std::set<int32_t> failed;
    return RotateFrom(folder, number, number, failed, makeWallpaper, save, rule);
}

bool RotateWallpaperBack(const std::string& folder, int32_t& number,
                         const std::function<WallpaperResult(const std::string&)>& makeWallpaper,
                         const std::function<void()>& save, PictureRule rule) {
    if (folder.empty()) return false;
    int32_t previous = number;
    StepBack(previous);
    std::set<int32_t> failed;
    if (previous < 1) {
        // At position 1, or right after the catalogue wrapped: no wrapping
        // backwards; the change applies the last find again and `number` ends
        // at 1, however often this is asked.
        return RotateFrom(folder, number, previous, failed, makeWallpaper, save, rule);
    }
    int32_t showing = previous + 1;
    // Down from the picture before the one showing, each position once, to 1.
    for (int32_t position = previous; position >= 1;) {
        const WalkResult walk = PictureSearch(folder, position, rule);
        if (!walk.listed) return false;  // the folder is away: nothing changes
        if (walk.counter < 1) break;     // no picture at all
        // Beyond the end of the catalogue the walk stops at its last picture,
        // which then stands for the picture showing as well.
        const int32_t reached = std::min(position, walk.counter);
        if (reached < position) showing = reached;
        const WallpaperResult result = makeWallpaper(walk.found);
        if (result.kind() == WallpaperResult::OutputFailed) return false;
        if (result) {
            number = walk.catalogueEnd ? 1 : reached + 1;
            save();
            return true;
        }
        failed.insert(reached);
        position = reached - 1;
    }
    // Nothing before it can be applied: as at position 1, the picture showing
    // is applied again, passing on forward from it if it fails now, without
    // trying again what failed above.
    return RotateFrom(folder, number, showing, failed, makeWallpaper, save, rule);
}

void StepBack(int32_t& number) {
    // At the start of the catalogue (and right after it wrapped) a step back
    // re-applies the picture showing; stepping further never lowers the
    // position below 0, so the next change forward shows position 1.
    number = number < 2 ? 0 : number - 2;
}

bool RotateScreens(const std::string& folder, int32_t& number, int32_t monitors, bool back,
                   const std::function<WallpaperResult(const PictureSupply&)>& makeWallpaper,
                   const std::function<void()>& save, PictureRule rule) {
    if (folder.empty() || monitors < 1) return false;
    int64_t first = number;
    if (back) first -= 2 * int64_t(monitors);
    int32_t next = static_cast<int32_t>(std::clamp<int64_t>(first, 1, std::numeric_limits<int32_t>::max()));
    int32_t last = 0;  // the position the supply gave last
    std::set<int32_t> failed;
    const PictureSupply supply = [&](bool retry) -> std::optional<std::string> {
        if (retry && last >= 1) failed.insert(last);
        if (failed.count(next)) return std::nullopt;  // a whole pass failed
        const WalkResult walk = PictureSearch(folder, next, rule);
        if (!walk.listed || walk.counter < 1) return std::nullopt;
        // Beyond the end of the catalogue the walk stops at its last picture.
        last = std::min(next, walk.counter);
        next = walk.catalogueEnd ? 1 : last + 1;
        return walk.found;
    };
    if (!makeWallpaper(supply)) return false;
    number = next;
    save();
    return true;
}
