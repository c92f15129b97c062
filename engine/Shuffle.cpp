#include "engine/Shuffle.h"

#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "engine/CatalogueWalk.h"
#include "engine/Rotation.h"

namespace {

// The finaliser of SplitMix64: every bit of the input reaches every bit of the output.
uint64_t Mix(uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

}  // namespace

ShufflePermutation::ShufflePermutation(uint32_t count, uint32_t seed) : count_(count < 1 ? 1 : count) {
    unsigned bits = 2;
    while (bits < 64 && (uint64_t{1} << bits) < count_) bits += 2;
    halfBits_ = bits / 2;
    halfMask_ = (uint64_t{1} << halfBits_) - 1;
    uint64_t key = Mix(uint64_t{seed} << 32 | count_);
    for (uint64_t& round : keys_) round = key = Mix(key);
}

uint64_t ShufflePermutation::Encrypt(uint64_t value) const {
    uint64_t left = value >> halfBits_, right = value & halfMask_;
    for (const uint64_t key : keys_) {
        const uint64_t next = left ^ (Mix(right ^ key) & halfMask_);
        left = right;
        right = next;
    }
    return left << halfBits_ | right;
}

uint32_t ShufflePermutation::operator()(uint32_t position) const {
    // The network permutes the whole domain, so following the cycle from a
    // value inside 1..count comes back inside it; the domain is less than four
    // times the count, so that takes few steps on average.
    uint64_t value = position - 1;
    do value = Encrypt(value);
    while (value >= count_);
    return static_cast<uint32_t>(value + 1);
}

int32_t NewShuffleSeed(uint64_t entropy, int32_t previous) {
    const uint64_t span = uint64_t{kLastShuffleSeed} - kFirstShuffleSeed + 1;
    int32_t seed = static_cast<int32_t>(kFirstShuffleSeed + Mix(entropy) % span);
    if (seed == previous) seed = seed == kLastShuffleSeed ? kFirstShuffleSeed : seed + 1;
    return seed;
}

namespace {

using MakeOne = std::function<WallpaperResult(const std::string&)>;
using MakeScreens = std::function<WallpaperResult(const PictureSupply&)>;
using Primed = std::optional<std::pair<int32_t, WalkResult>>;

enum class Settled { Away, NoPicture, Ready };

// Counts the catalogue and settles the round a change goes on with (see
// RotateWallpaperShuffled). `step` is how many pictures a change shows: 1, or
// one per monitor; the position then stands `step` past the picture on the
// desktop, and "Предыдущая" starts 2 × `step` before the position. `count`
// receives the count, `primed` the walk to the first picture when the count
// made it on the way. Away: the folder cannot be listed, nothing changed.
Settled SettleRound(const std::string& folder, int32_t& number, int32_t& seed, const std::string& current, bool back,
                    int32_t step, const ShuffleRound& round, const std::function<int32_t(int32_t)>& newSeed,
                    int32_t& count, Primed& primed, PictureRule rule) {
    // The round as this run left it: the picture the change tries first is
    // walked to while the tree is counted, in one walk, on the count the
    // round had; it serves when the count is still that.
    const bool asLeft = round.known && round.seed == seed && round.number == number && IsShuffleSeed(seed) &&
                        number >= 1 && number <= round.count;
    count = 0;
    if (asLeft) {
        const int64_t first = back ? int64_t{number} - 2 * int64_t{step} : number;
        const int32_t target =
            first >= 1 ? static_cast<int32_t>(ShufflePermutation(static_cast<uint32_t>(round.count),
                                                                 static_cast<uint32_t>(seed))(static_cast<uint32_t>(first)))
                       : 0;
        WalkResult walk = PictureSearch(folder, target, count, rule);
        if (!walk.listed) return Settled::Away;
        if (target >= 1 && count == round.count) primed.emplace(target, std::move(walk));
    } else {
        const std::optional<int32_t> counted = CountPictures(folder, rule);
        if (!counted) return Settled::Away;
        count = *counted;
    }
    if (count < 1) return Settled::NoPicture;

    bool goOn = IsShuffleSeed(seed) && number >= 1 && number <= count;
    if (goOn && asLeft) {
        goOn = round.count == count;  // a picture added or removed since the last change starts a new round
    } else if (goOn && number > step) {
        // The round as config.ini holds it (a new run, or the position moved
        // by hand): it goes on only while the picture `step` before the
        // position (the one on the desktop, on the primary monitor) is
        // "current", so the tree is as the round left it.
        const ShufflePermutation order(static_cast<uint32_t>(count), static_cast<uint32_t>(seed));
        const int32_t before = static_cast<int32_t>(order(static_cast<uint32_t>(number - step)));
        const WalkResult walk = PictureSearch(folder, before, rule);
        if (!walk.listed) return Settled::Away;
        goOn = walk.counter == before && walk.found == current;
    }
    if (!goOn) {
        seed = newSeed(seed);
        number = 1;
        primed.reset();
    }
    return Settled::Ready;
}

// One change in random order once the round is settled: the positions are
// tried from `number` on (`back`: first down from two before it), each
// picture at most once; or, with a picture on every monitor, given to the
// composition as a supply from `number` on.
class ShuffledChange {
public:
    ShuffledChange(const std::string& folder, int32_t count, int32_t& number, int32_t& seed, ShuffleRound& round,
                   const std::function<void()>& save, const std::function<int32_t(int32_t)>& newSeed,
                   int32_t numberBefore, int32_t seedBefore, Primed primed, PictureRule rule)
        : folder_(folder), rule_(rule), count_(count), number_(number), seed_(seed), round_(round), save_(save), newSeed_(newSeed),
          numberBefore_(numberBefore), seedBefore_(seedBefore),
          order_(static_cast<uint32_t>(count), static_cast<uint32_t>(seed)), primed_(std::move(primed)) {}

    enum class Try { Applied, Failed, Stop };

    // The picture at the round's `position`; `number` then stands one past it.
    Try Position(int32_t position, const MakeOne& make) {
        const int32_t picture = PictureAt(position);
        if (failed_.count(picture)) return Try::Failed;
        const WalkResult walk = Walk(picture);
        if (!walk.listed) return Stop();
        const Try tried = Apply(make(walk.found));
        if (tried == Try::Failed) failed_.insert(picture);
        if (tried == Try::Applied) Applied(position + 1);
        return tried;
    }

    // A picture by its path (the one on the desktop); `number` stays.
    Try Picture(const std::string& path, const MakeOne& make) {
        const Try tried = Apply(make(path));
        if (tried == Try::Applied) Applied(number_);
        return tried;
    }

    bool Forward(int32_t from, const MakeOne& make) {
        number_ = from;
        while (static_cast<int32_t>(failed_.size()) < count_) {
            const int32_t position = number_;
            const Try tried = Position(position, make);
            if (tried != Try::Failed) return tried == Try::Applied;
            Advance(position + 1);
        }
        // Every picture failed: the change gives up, the round as it was.
        Stop();
        return false;
    }

    bool Back(const MakeOne& make) {
        for (int32_t position = number_ - 2; position >= 1; --position) {
            const Try tried = Position(position, make);
            if (tried != Try::Failed) return tried == Try::Applied;
        }
        if (number_ >= 2) return Forward(number_ - 1, make);  // the picture showing, or on from it
        return false;
    }

    // The pictures from the round's position `from` on, one for each monitor
    // the composition asks for, on into a new round past the round's end. One
    // that cannot be drawn is passed over, never given again by this change;
    // once every picture has failed (or the folder went away) the supply is dry.
    bool Screens(int32_t from, const MakeScreens& make) {
        number_ = from;
        int32_t last = 0;  // the catalogue position given last
        const PictureSupply supply = [&](bool retry) -> std::optional<std::string> {
            if (retry && last >= 1) failed_.insert(last);
            last = 0;
            while (static_cast<int32_t>(failed_.size()) < count_) {
                const int32_t picture = PictureAt(number_);
                Advance(number_ + 1);
                if (failed_.count(picture)) continue;
                const WalkResult walk = Walk(picture);
                if (!walk.listed) break;
                last = picture;
                return walk.found;
            }
            return std::nullopt;
        };
        return Finish(make(supply));
    }

    // "Предыдущая" with a picture on every monitor: from `monitors` pictures
    // before those showing, never into the round before. Where the pictures
    // showing began the round, or the round has just begun, the pictures on
    // the desktop (`showing`, one per monitor, when its first is `current`)
    // are drawn again; failing that, the round starts.
    bool ScreensBack(int32_t monitors, const std::vector<std::string>& showing, const std::string& current,
                     const MakeScreens& make) {
        const int64_t start = int64_t{number_} - 2 * int64_t{monitors};
        if (start >= 1) return Screens(static_cast<int32_t>(start), make);
        if (int64_t{number_} - monitors > 1) return Screens(1, make);
        if (!showing.empty() && showing.front() == current) {
            // A copy: the change's own record of the pictures showing may be
            // rewritten by the drawing.
            const PictureSupply again = [pictures = showing, at = size_t{0}](bool retry) mutable
                -> std::optional<std::string> {
                if (retry) return std::nullopt;
                return pictures[at++ % pictures.size()];
            };
            const WallpaperResult result = make(again);
            // Drawn, or the output failed: the change ends here.
            if (result || result.kind() == WallpaperResult::OutputFailed) return Finish(result);
        }
        return Screens(1, make);
    }

private:
    int32_t PictureAt(int32_t position) const { return static_cast<int32_t>(order_(static_cast<uint32_t>(position))); }

    WalkResult Walk(int32_t picture) {
        WalkResult walk;
        if (primed_ && primed_->first == picture)
            walk = std::move(primed_->second);
        else
            walk = PictureSearch(folder_, picture, rule_);
        primed_.reset();
        return walk;
    }

    Try Apply(const WallpaperResult& result) {
        if (result.kind() == WallpaperResult::OutputFailed) return Stop();
        return result ? Try::Applied : Try::Failed;
    }

    // The composition's end: saved when drawn, else the round as it was.
    bool Finish(const WallpaperResult& result) {
        if (!result) {
            Stop();
            return false;
        }
        Saved();
        return true;
    }

    Try Stop() {
        number_ = numberBefore_;
        seed_ = seedBefore_;
        return Try::Stop;
    }

    // `number` to `next`, or past the round's end to the first position of a new round.
    void Advance(int32_t next) {
        if (next <= count_) {
            number_ = next;
            return;
        }
        seed_ = newSeed_(seed_);
        order_ = ShufflePermutation(static_cast<uint32_t>(count_), static_cast<uint32_t>(seed_));
        number_ = 1;
    }

    void Applied(int32_t next) {
        Advance(next);
        Saved();
    }

    void Saved() {
        round_ = {true, seed_, number_, count_};
        save_();
    }

    const std::string& folder_;
    const PictureRule rule_;
    int32_t count_;
    int32_t& number_;
    int32_t& seed_;
    ShuffleRound& round_;
    const std::function<void()>& save_;
    const std::function<int32_t(int32_t)>& newSeed_;
    int32_t numberBefore_, seedBefore_;
    ShufflePermutation order_;
    std::set<int32_t> failed_;  // catalogue positions tried in vain by this change
    Primed primed_;             // the walk to the first picture, made already
};

}  // namespace

bool RotateWallpaperShuffled(const std::string& folder, int32_t& number, int32_t& seed, const std::string& current,
                             bool back, ShuffleRound& round, const MakeOne& makeWallpaper,
                             const std::function<void()>& save, const std::function<int32_t(int32_t)>& newSeed,
                             PictureRule rule) {
    if (folder.empty()) return false;
    const int32_t numberBefore = number, seedBefore = seed;
    int32_t count = 0;
    Primed primed;
    switch (SettleRound(folder, number, seed, current, back, 1, round, newSeed, count, primed, rule)) {
    case Settled::Away:
        return false;
    case Settled::NoPicture:  // the ordered change does what it does with none
        return back ? RotateWallpaperBack(folder, number, makeWallpaper, save, rule)
                    : RotateWallpaper(folder, number, makeWallpaper, save, rule);
    case Settled::Ready:
        break;
    }
    ShuffledChange change(folder, count, number, seed, round, save, newSeed, numberBefore, seedBefore,
                          std::move(primed), rule);
    if (!back) return change.Forward(number, makeWallpaper);
    if (number >= 2) return change.Back(makeWallpaper);
    // The round has just begun: nothing before it to go back to, so the
    // picture on the desktop is applied again, or else the round starts.
    const ShuffledChange::Try again =
        current.empty() ? ShuffledChange::Try::Failed : change.Picture(current, makeWallpaper);
    return again == ShuffledChange::Try::Failed ? change.Forward(1, makeWallpaper)
                                                : again == ShuffledChange::Try::Applied;
}

bool RotateScreensShuffled(const std::string& folder, int32_t& number, int32_t& seed, const std::string& current,
                           const std::vector<std::string>& showing, int32_t monitors, bool back, ShuffleRound& round,
                           const MakeScreens& makeWallpaper, const std::function<void()>& save,
                           const std::function<int32_t(int32_t)>& newSeed, PictureRule rule) {
    if (folder.empty() || monitors < 1) return false;
    const int32_t numberBefore = number, seedBefore = seed;
    int32_t count = 0;
    Primed primed;
    switch (SettleRound(folder, number, seed, current, back, monitors, round, newSeed, count, primed, rule)) {
    case Settled::Away:
        return false;
    case Settled::NoPicture:
        return RotateScreens(folder, number, monitors, back, makeWallpaper, save, rule);
    case Settled::Ready:
        break;
    }
    ShuffledChange change(folder, count, number, seed, round, save, newSeed, numberBefore, seedBefore,
                          std::move(primed), rule);
    return back ? change.ScreensBack(monitors, showing, current, makeWallpaper) : change.Screens(number, makeWallpaper);
}
