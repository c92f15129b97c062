#include "engine/Shuffle.h"

#include <optional>
#include <set>
#include <utility>

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

// One change in random order once the round is settled: the positions are
// tried from `number` on (`back`: first down from two before it), each
// picture at most once.
class ShuffledChange {
public:
    ShuffledChange(const std::string& folder, int32_t count, int32_t& number, int32_t& seed, ShuffleRound& round,
                   const std::function<WallpaperResult(const std::string&)>& makeWallpaper,
                   const std::function<void()>& save, const std::function<int32_t(int32_t)>& newSeed,
                   int32_t numberBefore, int32_t seedBefore, std::optional<std::pair<int32_t, WalkResult>> primed)
        : folder_(folder), count_(count), number_(number), seed_(seed), round_(round), make_(makeWallpaper),
          save_(save), newSeed_(newSeed), numberBefore_(numberBefore), seedBefore_(seedBefore),
          order_(static_cast<uint32_t>(count), static_cast<uint32_t>(seed)), primed_(std::move(primed)) {}

    enum class Try { Applied, Failed, Stop };

    // The picture at the round's `position`; `number` then stands one past it.
    Try Position(int32_t position) {
        const int32_t picture = static_cast<int32_t>(order_(static_cast<uint32_t>(position)));
        if (failed_.count(picture)) return Try::Failed;
        WalkResult walk;
        if (primed_ && primed_->first == picture)
            walk = std::move(primed_->second);
        else
            walk = PictureSearch(folder_, picture);
        primed_.reset();
        if (!walk.listed) return Stop();
        const Try tried = Apply(walk.found);
        if (tried == Try::Failed) failed_.insert(picture);
        if (tried == Try::Applied) Applied(position + 1);
        return tried;
    }

    // A picture by its path (the one on the desktop); `number` stays.
    Try Picture(const std::string& path) {
        const Try tried = Apply(path);
        if (tried == Try::Applied) Applied(number_);
        return tried;
    }

    bool Forward(int32_t from) {
        number_ = from;
        while (static_cast<int32_t>(failed_.size()) < count_) {
            const int32_t position = number_;
            const Try tried = Position(position);
            if (tried != Try::Failed) return tried == Try::Applied;
            Advance(position + 1);
        }
        // Every picture failed: the change gives up, the round as it was.
        Stop();
        return false;
    }

    bool Back() {
        for (int32_t position = number_ - 2; position >= 1; --position) {
            const Try tried = Position(position);
            if (tried != Try::Failed) return tried == Try::Applied;
        }
        if (number_ >= 2) return Forward(number_ - 1);  // the picture showing, or on from it
        return false;
    }

private:
    Try Apply(const std::string& path) {
        const WallpaperResult result = make_(path);
        if (result.kind() == WallpaperResult::OutputFailed) return Stop();
        return result ? Try::Applied : Try::Failed;
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
        round_ = {true, seed_, number_, count_};
        save_();
    }

    const std::string& folder_;
    int32_t count_;
    int32_t& number_;
    int32_t& seed_;
    ShuffleRound& round_;
    const std::function<WallpaperResult(const std::string&)>& make_;
    const std::function<void()>& save_;
    const std::function<int32_t(int32_t)>& newSeed_;
    int32_t numberBefore_, seedBefore_;
    ShufflePermutation order_;
    std::set<int32_t> failed_;  // catalogue positions tried in vain by this change
    std::optional<std::pair<int32_t, WalkResult>> primed_;  // the walk to the first picture, made already
};

}  // namespace

bool RotateWallpaperShuffled(const std::string& folder, int32_t& number, int32_t& seed, const std::string& current,
                             bool back, ShuffleRound& round,
                             const std::function<WallpaperResult(const std::string&)>& makeWallpaper,
                             const std::function<void()>& save, const std::function<int32_t(int32_t)>& newSeed) {
    if (folder.empty()) return false;
    // The round as this run left it: the picture the change tries first is
    // walked to while the tree is counted, in one walk, on the count the
    // round had; it serves when the count is still that.
    const bool asLeft = round.known && round.seed == seed && round.number == number && IsShuffleSeed(seed) &&
                        number >= 1 && number <= round.count;
    std::optional<std::pair<int32_t, WalkResult>> primed;
    int32_t count = 0;
    if (asLeft) {
        const int32_t first = back ? number - 2 : number;
        const int32_t target =
            first >= 1 ? static_cast<int32_t>(ShufflePermutation(static_cast<uint32_t>(round.count),
                                                                 static_cast<uint32_t>(seed))(static_cast<uint32_t>(first)))
                       : 0;
        WalkResult walk = PictureSearch(folder, target, count);
        if (!walk.listed) return false;  // the folder is away: nothing changes
        if (target >= 1 && count == round.count) primed.emplace(target, std::move(walk));
    } else {
        const std::optional<int32_t> counted = CountPictures(folder);
        if (!counted) return false;
        count = *counted;
    }
    // No picture to order: the ordered change does what it does with none.
    if (count < 1)
        return back ? RotateWallpaperBack(folder, number, makeWallpaper, save)
                    : RotateWallpaper(folder, number, makeWallpaper, save);

    const int32_t numberBefore = number, seedBefore = seed;
    bool goOn = IsShuffleSeed(seed) && number >= 1 && number <= count;
    if (goOn && asLeft) {
        goOn = round.count == count;  // a picture added or removed since the last change starts a new round
    } else if (goOn && number >= 2) {
        // The round as config.ini holds it (a new run, or the position moved
        // by hand): it goes on only while the picture before the position is
        // the one on the desktop, so the tree is as the round left it.
        const ShufflePermutation order(static_cast<uint32_t>(count), static_cast<uint32_t>(seed));
        const int32_t before = static_cast<int32_t>(order(static_cast<uint32_t>(number - 1)));
        const WalkResult walk = PictureSearch(folder, before);
        if (!walk.listed) return false;
        goOn = walk.counter == before && walk.found == current;
    }
    if (!goOn) {
        seed = newSeed(seed);
        number = 1;
        primed.reset();
    }

    ShuffledChange change(folder, count, number, seed, round, makeWallpaper, save, newSeed, numberBefore, seedBefore,
                          std::move(primed));
    if (!back) return change.Forward(number);
    if (number >= 2) return change.Back();
    // The round has just begun: nothing before it to go back to, so the
    // picture on the desktop is applied again, or else the round starts.
    const ShuffledChange::Try again = current.empty() ? ShuffledChange::Try::Failed : change.Picture(current);
    return again == ShuffledChange::Try::Failed ? change.Forward(1) : again == ShuffledChange::Try::Applied;
}
