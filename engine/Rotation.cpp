#include "engine/Rotation.h"

#include <cstdint>
#include <limits>
#include <set>

#include "engine/CatalogueWalk.h"

bool RotateWallpaper(const std::string& folder, int32_t& number,
                     const std::function<bool(const std::string&)>& makeWallpaper, const std::function<void()>& save) {
    if (folder.empty()) return false;
    std::set<int32_t> failed;  // positions of this change that could not be applied
    for (;;) {
        const int32_t position = number;
        if (position >= 1 && failed.count(position)) return false;  // a whole pass failed
        CatalogueEnd = true;
        PictureCounter = 0;
        // A folder that cannot be listed (a stick or a network drive that is
        // away for now) changes nothing, so the rotation goes on where it was
        // once the folder is back.
        if (!PictureSearch(folder, position)) return false;
        const bool ok = makeWallpaper(FoundPicture);
        // The walk reached `position` unless the catalogue ended, so the next
        // position cannot overflow.
        number = CatalogueEnd ? 1 : position + 1;
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

void StepBack(int32_t& number) {
    number = number < std::numeric_limits<int32_t>::min() + 2 ? std::numeric_limits<int32_t>::min() : number - 2;
}
