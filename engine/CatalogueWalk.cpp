#include "engine/CatalogueWalk.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/Platform.h"

int32_t PictureCounter = 0;
std::string FoundPicture;
bool CatalogueEnd = true;

namespace {

class FileSystemSource final : public FolderSource {
public:
    bool List(const std::string& folder, const std::function<bool(const platform::FolderEntry&)>& visit) override {
        return platform::ListFolder(folder, visit);
    }
    std::optional<platform::FolderId> Identify(const std::string& folder) override {
        return platform::IdentifyFolder(folder);
    }
    std::optional<platform::FolderStamp> Stamp(const std::string& folder, const platform::FolderStamp* within) override {
        return platform::StampFolder(folder, within);
    }
    std::unique_ptr<platform::FolderWatch> Watch(const std::string& top) override {
        return platform::WatchFolderTree(top);
    }
};

bool SameStamp(const platform::FolderStamp& a, const platform::FolderStamp& b) {
    return a.id == b.id && a.written == b.written && a.other == b.other;
}

}  // namespace

// One entry that can matter to the walk: a picture, a folder, or both.
struct CachedEntry {
    std::string name;
    bool isFolder = false;
    bool isPicture = false;
    uint32_t nextFolder = 0;  // index of the first folder entry from this one on (or the entry count)
    std::unique_ptr<CatalogueCache::Folder> folder;  // the sub-folder's listing, once walked
};

struct CatalogueCache::Folder {
    // Taken just before the listing was made; it shows the listing unchanged
    // only when it was settled then.
    std::optional<platform::FolderStamp> stamp;
    std::optional<platform::FolderId> id;  // which folder it is, as found when it was listed
    bool listed = false;
    uint64_t watched = 0;  // the arming of the watch since which the listing was made or checked; 0: none
    // Under that arming, with the whole sub-tree vouched for: how many
    // positions a walk through it takes, and the last picture it finds.
    uint64_t countedWhile = 0;
    int32_t count = 0;
    std::string last;
    std::vector<CachedEntry> entries;  // pictures and folders in listing order; "." and ".." left out
};

CatalogueCache::CatalogueCache(bool watch) : mayWatch_(watch) {}
CatalogueCache::~CatalogueCache() = default;

// The walk over kept listings. Catalogue order and rules are those of the
// description in CatalogueWalk.h: depth-first, the counter compared before each
// entry, a folder's own picture counted after its contents, then the tail of
// every folder on the way back up. Runs of plain pictures are counted at once.
class CachedWalk {
public:
    CachedWalk(int32_t number, WalkState& state, FolderSource& source)
        : number_(number), state_(state), source_(source) {}

    bool Walk(const std::string& top, CatalogueCache& cache) {
        cache_ = &cache;
        if (!cache.root_ || cache.top_ != top || cache.rule_ != state_.rule) {
            cache.watch_.reset();  // the old top is let go first
            cache.root_ = std::make_unique<CatalogueCache::Folder>();
            cache.top_ = top;
            cache.rule_ = state_.rule;  // listings judged by another rule are not kept
        }
        ArmWatch(top);
        // The top is stamped at every walk, after the watch is armed: the
        // watch vouches for nothing unless the path still leads to the
        // folder it watches.
        std::optional<platform::FolderStamp> stamp = source_.Stamp(top, nullptr);
        for (int attempt = 0; cache.watch_ && !(stamp && stamp->id == cache.watch_->Top()); ++attempt) {
            cache.watch_.reset();
            if (!stamp || attempt > 0) break;
            ArmWatch(top);
            stamp = source_.Stamp(top, nullptr);
        }
        path_ = top;
        // Nothing reported since the whole tree was counted, and the position
        // lies beyond it: the walk would count what it counted before (the
        // count of the tree that a change in random order asks for first).
        CatalogueCache::Folder& root = *cache.root_;
        if (cache.watch_ && root.listed && root.watched == cache.armed_ && root.countedWhile == cache.armed_ &&
            int64_t{state_.counter} + root.count < number_ && !Holds(root.count)) {
            state_.counter += root.count;
            if (root.count > 0) state_.found = root.last;
            return true;
        }
        return Walk(root, nullptr, cache.watch_ != nullptr, &stamp);
    }

private:
    // Makes sure the watch, when there is one, reports only changes that come
    // after this point: armed anew, or re-armed when it reported something.
    void ArmWatch(const std::string& top) {
        CatalogueCache& cache = *cache_;
        if (!cache.mayWatch_) return;
        if (!cache.watch_) {
            cache.watch_ = source_.Watch(top);
            if (!cache.watch_) return;
            ++cache.armed_;
            // A new watch starts from nothing kept, so that every listing it
            // vouches for was made after it was armed. (Windows does not need
            // this; Wine does: its notification over a sub-tree reaches only
            // the folders opened after it was armed.)
            cache.root_ = std::make_unique<CatalogueCache::Folder>();
        } else if (cache.watch_->Changed()) {
            if (!cache.watch_->Rearm()) cache.watch_.reset();
            ++cache.armed_;
        }
    }

    // Walks the folder at path_. `covered`: the watch covers the folder that
    // lists this one (for the top: the watch is on it). `topStamp`: the top's
    // stamp, taken already.
    bool Walk(CatalogueCache::Folder& folder, const platform::FolderStamp* within, bool covered,
              const std::optional<platform::FolderStamp>* topStamp) {
        const uint64_t armed = cache_->armed_;
        folder.countedWhile = 0;
        const bool vouched = covered && folder.listed && folder.watched == armed;
        bool unchanged = false;
        std::optional<platform::FolderStamp> stamp;
        std::optional<platform::FolderId> id;
        if (vouched && !topStamp) {
            unchanged = true;  // listed or checked since the watch was armed, and no change reported
            id = folder.id;
        } else {
            // Taken under the watch before the stamp, so that no change can
            // fall between the two unreported.
            if (covered && !topStamp) covered = cache_->watch_->Include(path_);
            stamp = topStamp ? *topStamp : source_.Stamp(path_, within);
            if (stamp && stamp->link) covered = false;  // beyond a link or mount point
            unchanged = vouched || (folder.stamp && folder.stamp->settled && stamp && stamp->settled &&
                                    SameStamp(*folder.stamp, *stamp));
            // The identity, for telling links back up: from the stamp when it
            // has one, else kept with an unchanged listing, else asked for;
            // but a plain sub-folder (neither a link nor a mount point) cannot
            // lead back up, so it is not opened to tell it: it is asked for
            // only when a link below needs it (Enter).
            const bool plain = stamp && within && !stamp->link;
            if (stamp && stamp->id != platform::FolderId{})
                id = stamp->id;
            else if (unchanged)
                id = folder.id;
            else if (!plain)
                id = source_.Identify(path_);
        }
        if (!Enter(folder, id)) return true;  // a link back up: walking it would never end
        if (!unchanged) {
            Refresh(folder, stamp);
            folder.id = id;
        }
        folder.watched = covered && folder.listed ? armed : 0;

        const bool coveredHere = folder.watched != 0;
        const platform::FolderStamp* here = folder.stamp ? &*folder.stamp : nullptr;
        const int32_t start = state_.counter;
        bool whole = coveredHere;  // every folder below vouched for, and counted
        std::vector<CachedEntry>& entries = folder.entries;
        size_t i = 0;
        while (i < entries.size() && state_.counter < number_) {
            if (!entries[i].isFolder) {
                // Plain pictures up to the next folder, or up to the position.
                const size_t take = static_cast<size_t>(
                    std::min<int64_t>(entries[i].nextFolder - i, int64_t{number_} - state_.counter));
                if (Holds(static_cast<int32_t>(take)))
                    state_.atTarget.assign(path_).append("\\").append(entries[i + (state_.target - state_.counter - 1)].name);
                i += take;
                state_.counter += static_cast<int32_t>(take);
                state_.found.assign(path_).append("\\").append(entries[i - 1].name);
                continue;
            }
            CachedEntry& entry = entries[i++];
            if (!entry.folder) entry.folder = std::make_unique<CatalogueCache::Folder>();
            CatalogueCache::Folder& sub = *entry.folder;
            const size_t length = path_.size();
            path_.append("\\").append(entry.name);
            if (coveredHere && sub.countedWhile == armed && sub.watched == armed &&
                int64_t{state_.counter} + sub.count < number_ && !Holds(sub.count)) {
                // Nothing below changed, and the position lies beyond: the
                // walk through it would count what it counted before.
                state_.counter += sub.count;
                if (sub.count > 0) state_.found = sub.last;
            } else {
                Walk(sub, here, coveredHere, nullptr);
            }
            whole = whole && sub.countedWhile == armed;
            // A folder named like a picture counts as one only when the
            // position was not reached inside it.
            if (entry.isPicture && state_.counter < number_) {
                if (Holds(1)) state_.atTarget = path_;
                state_.found = path_;
                ++state_.counter;
            }
            path_.resize(length);
        }
        // Tail: whatever is left is a picture or a folder, so there is more.
        if (i < entries.size()) state_.catalogueEnd = false;
        if (whole && i == entries.size() && state_.counter < number_) {
            folder.countedWhile = armed;
            folder.count = state_.counter - start;
            if (folder.count > 0) folder.last = state_.found;
        }
        Leave();
        return folder.listed;
    }

    // Whether the next `count` positions hold the picture the walk looks out for.
    bool Holds(int32_t count) const {
        return state_.target > state_.counter && int64_t{state_.target} <= int64_t{state_.counter} + count;
    }

    // Puts the folder at path_ on the way down, unless it is one of the folders
    // already on it (a link back up). A folder whose identity is not known is
    // passed unchecked; the identities of those above are asked for only once
    // a folder that might lead back up comes, each at most once in a walk.
    bool Enter(CatalogueCache::Folder& folder, const std::optional<platform::FolderId>& id) {
        if (id) {
            for (size_t i = ancestors_.size(); unasked_ > 0 && i-- > 0;) {
                Ancestor& above = ancestors_[i];
                if (above.known || above.asked) continue;
                above.asked = true;
                --unasked_;
                above.folder->id = source_.Identify(path_.substr(0, above.length));
                if (above.folder->id) {
                    above.known = true;
                    above.id = *above.folder->id;
                    onTheWay_.insert(above.id);
                }
            }
            if (onTheWay_.count(*id)) return false;
            onTheWay_.insert(*id);
        } else {
            ++unasked_;
        }
        ancestors_.push_back({&folder, path_.size(), id.value_or(platform::FolderId{}), id.has_value(), false});
        return true;
    }

    void Leave() {
        const Ancestor& left = ancestors_.back();
        if (left.known)
            onTheWay_.erase(onTheWay_.find(left.id));
        else if (!left.asked)
            --unasked_;
        ancestors_.pop_back();
    }

    // Lists the folder at path_ again; the kept listings of sub-folders that
    // are still there stay with them (they are checked when entered).
    void Refresh(CatalogueCache::Folder& folder, const std::optional<platform::FolderStamp>& stamp) {
        std::map<std::string, std::unique_ptr<CatalogueCache::Folder>> kept;
        for (CachedEntry& entry : folder.entries)
            if (entry.folder) kept.emplace(entry.name, std::move(entry.folder));
        folder.entries.clear();
        folder.listed = source_.List(path_, [&](const platform::FolderEntry& listed) {
            if (listed.name == "." || listed.name == "..") return true;
            const bool picture = IsPictureFile(listed.RealName(), state_.rule);
            if (!listed.isFolder && !picture) return true;
            CachedEntry& entry = folder.entries.emplace_back();
            entry.name = listed.name;
            entry.isFolder = listed.isFolder;
            entry.isPicture = picture;
            if (listed.isFolder) {
                auto found = kept.find(listed.name);
                if (found != kept.end()) entry.folder = std::move(found->second);
            }
            return true;
        });
        uint32_t next = static_cast<uint32_t>(folder.entries.size());
        for (size_t i = folder.entries.size(); i-- > 0;) {
            if (folder.entries[i].isFolder) next = static_cast<uint32_t>(i);
            folder.entries[i].nextFolder = next;
        }
        folder.stamp = folder.listed ? stamp : std::nullopt;
    }

    int32_t number_;
    WalkState& state_;
    FolderSource& source_;
    CatalogueCache* cache_ = nullptr;
    std::string path_;  // the folder being walked
    // The folders on the way down to path_, and the identities known of them.
    struct Ancestor {
        CatalogueCache::Folder* folder;
        size_t length;  // of its path
        platform::FolderId id;
        bool known;     // `id` is its identity, and in onTheWay_
        bool asked;     // not known, and asked for in vain
    };
    struct IdHash {
        size_t operator()(const platform::FolderId& id) const {
            return std::hash<uint64_t>()(id.volume * 0x9E3779B97F4A7C15ull ^ id.index);
        }
    };
    std::vector<Ancestor> ancestors_;
    std::unordered_multiset<platform::FolderId, IdHash> onTheWay_;
    size_t unasked_ = 0;  // ancestors whose identity is neither known nor asked for
};

bool PictureSearch(const std::string& folder, int32_t number, WalkState& state, FolderSource& source,
                   CatalogueCache& cache) {
    return CachedWalk(number, state, source).Walk(folder, cache);
}

bool PictureSearch(const std::string& folder, int32_t number, WalkState& state, FolderSource& source) {
    CatalogueCache fresh(false);
    return PictureSearch(folder, number, state, source, fresh);
}

FolderSource& SystemFolders() {
    static FileSystemSource files;
    return files;
}

bool PictureSearch(const std::string& folder, int32_t number, WalkState& state) {
    return PictureSearch(folder, number, state, SystemFolders());
}

namespace {

// The process's kept listings and watch: the watch is closed when the picture
// folder changes (at the next change) and at exit.
CatalogueCache& ProcessCache() {
    static CatalogueCache cache;
    return cache;
}

}  // namespace

WalkResult PictureSearch(const std::string& folder, int32_t number, PictureRule rule) {
    WalkState state{0, FoundPicture, true, rule};
    WalkResult result;
    result.listed = PictureSearch(folder, number, state, SystemFolders(), ProcessCache());
    PictureCounter = result.counter = state.counter;
    CatalogueEnd = result.catalogueEnd = state.catalogueEnd;
    FoundPicture = std::move(state.found);
    result.found = FoundPicture;
    return result;
}

WalkResult PictureSearch(const std::string& folder, int32_t number, int32_t& total, PictureRule rule) {
    WalkState state{0, FoundPicture, true, rule};
    state.target = number;
    WalkResult result;
    result.listed =
        PictureSearch(folder, std::numeric_limits<int32_t>::max(), state, SystemFolders(), ProcessCache());
    total = state.counter;
    // What the walk for `number` alone would have found and left.
    if (number < 1) {
        result.catalogueEnd = total == 0;  // nothing counted; the earlier find stays
    } else if (total >= number) {
        result.counter = number;
        result.found = std::move(state.atTarget);
        result.catalogueEnd = number == total;
    } else {
        result.counter = total;
        result.found = std::move(state.found);
        result.catalogueEnd = true;
    }
    PictureCounter = result.counter;
    CatalogueEnd = result.catalogueEnd;
    if (result.counter > 0) FoundPicture = result.found;
    result.found = FoundPicture;
    return result;
}

std::optional<int32_t> CountPictures(const std::string& folder, PictureRule rule) {
    WalkState state;
    state.rule = rule;
    if (!PictureSearch(folder, std::numeric_limits<int32_t>::max(), state, SystemFolders(), ProcessCache()))
        return std::nullopt;
    return state.counter;
}
