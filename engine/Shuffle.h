// Random order ("shuffle" in config.ini): each round shows every picture of
// the catalogue once, in an order drawn from the round's seed. The order is
// not a list: position p of a round of n pictures is mapped to a catalogue
// position by a keyed permutation of 1..n, computed on demand in constant
// memory, so a change costs a count of the tree and one walk, as in order.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/PictureFile.h"
#include "engine/Wallpaper.h"

// A permutation of 1..count drawn from `seed`: a balanced Feistel network of
// six rounds over the smallest domain of an even number of bits that holds
// the count (at most four times the count), keyed by the seed and the count,
// and walked in cycles until it lands inside 1..count. Different seeds (and
// different counts) give unrelated orders.
class ShufflePermutation {
public:
    ShufflePermutation(uint32_t count, uint32_t seed);
    // The catalogue position shown at `position` of the round; both 1..count.
    uint32_t operator()(uint32_t position) const;
    uint32_t Count() const { return count_; }

private:
    uint64_t Encrypt(uint64_t value) const;
    uint32_t count_;
    unsigned halfBits_;
    uint64_t halfMask_;
    uint64_t keys_[6];
};

// The seeds a round may have, as config.ini's "shuffleseed" keeps them; any
// other value starts a new round.
inline constexpr int32_t kFirstShuffleSeed = 1;
inline constexpr int32_t kLastShuffleSeed = 0x7FFFFFFE;
inline bool IsShuffleSeed(int32_t seed) { return seed >= kFirstShuffleSeed && seed <= kLastShuffleSeed; }
// A seed for a new round from some entropy, never equal to `previous`.
int32_t NewShuffleSeed(uint64_t entropy, int32_t previous);

// What the rotation knows of the round between changes within one run: the
// seed, the position and the count it left. A change that finds these as it
// left them goes on with the round; otherwise (the first change of a run,
// "number" or "shuffleseed" changed in between) the picture before the
// position must be the one on the desktop, or a new round starts.
struct ShuffleRound {
    bool known = false;
    int32_t seed = 0;
    int32_t number = 0;
    int32_t count = 0;
};

// The random-order change (`back`: "Предыдущая"), the counterpart of
// RotateWallpaper and RotateWallpaperBack. Counts the catalogue, checks the
// round (`number` its position 1..count, `seed` its seed; anything out of
// range, a count other than the round's, or a desktop picture `current` other
// than the one before the position starts a new round at position 1 with
// `newSeed()`), and applies the picture at the round's position `number`,
// passing over pictures that fail, each at most once. `number` then stands one
// past the position shown; after the round's last picture a new round begins
// (`number` 1, a new seed). Stepping back goes through the positions shown
// before, never into the round before: at position 1 `current` is applied
// again. A failure of the output ends the change with `number` and `seed` as
// they were; an empty or unlistable folder changes nothing; a catalogue with
// no picture is left to the ordered change. Returns whether a picture was applied.
bool RotateWallpaperShuffled(const std::string& folder, int32_t& number, int32_t& seed, const std::string& current,
                             bool back, ShuffleRound& round,
                             const std::function<WallpaperResult(const std::string&)>& makeWallpaper,
                             const std::function<void()>& save, const std::function<int32_t(int32_t)>& newSeed,
                             PictureRule rule = PictureRule::Described);

// Random order with a picture on every monitor (the choices "shuffle" and
// "fitscreen" both on): the counterpart of RotateScreens. The round is settled
// as RotateWallpaperShuffled settles it, with `monitors` pictures a change:
// after a restart the picture `monitors` positions before `number` must be
// `current` (the primary monitor's picture). Each monitor, in the layout's
// order, takes the next picture of the round, on into a new round (a new
// seed) past its end; `number` moves on by the number of monitors. A picture
// that cannot be drawn is passed over, each at most once; once every picture
// has failed the supply runs dry. `back` ("Предыдущая") starts `monitors`
// pictures before those showing, never before the round's first position;
// where the pictures showing began the round, or it has just begun, the
// pictures on the desktop are drawn again (`showing`, one per monitor, as the
// last change drew them, when its first is `current`), or else the round
// starts. Whenever no picture is drawn `number` and `seed` stay as they were;
// a catalogue with no picture is left to RotateScreens. Returns whether the
// pictures were drawn.
bool RotateScreensShuffled(const std::string& folder, int32_t& number, int32_t& seed, const std::string& current,
                           const std::vector<std::string>& showing, int32_t monitors, bool back, ShuffleRound& round,
                           const std::function<WallpaperResult(const PictureSupply&)>& makeWallpaper,
                           const std::function<void()>& save, const std::function<int32_t(int32_t)>& newSeed,
                             PictureRule rule = PictureRule::Described);
