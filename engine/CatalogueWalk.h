// The catalogue of the rotation: the pictures of the folder tree under the
// wallpaper folder, numbered 1, 2, 3 ... in depth-first order, as the tree
// stands at every change. Listings may be kept between walks (CatalogueCache),
// but one is used again only while its folder is shown unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/PictureFile.h"
#include "platform/Platform.h"

// The state of one walk.
struct WalkState {
    int32_t counter = 0;     // pictures counted so far
    std::string found;       // the last picture counted; only ever overwritten
    bool catalogueEnd = true;  // cleared when a picture or folder follows the found one
    PictureRule rule = PictureRule::Described;  // which names count as pictures
    // A position to look out for on the way (0: none), and the picture found there.
    int32_t target = 0;
    std::string atTarget;
};

// The process-wide walk state that the rotation uses.
extern int32_t PictureCounter;
extern std::string FoundPicture;
extern bool CatalogueEnd;

// What counts as a picture (IsPictureFile, by the walk state's rule) is the
// table in PictureFile.h.

// Counts the pictures under `folder` in catalogue order until `number` of them
// are counted (values below 1 count nothing), then scans the rest of every
// folder on the way back up for anything that could give another picture.
// Paths are formed as folder + "\" + name. A folder that cannot be listed is
// empty, and a folder that leads back to one of the folders being walked (a link
// to an ancestor) is not entered again. A folder named like a picture is walked
// and then counted as a picture itself, unless the position was reached inside
// it. Returns false when `folder` itself cannot be listed (missing, no access).
bool PictureSearch(const std::string& folder, int32_t number, WalkState& state);

// Where the walk reads folders from: the file system, or a tree the tests make.
// A source that gives no stamps gives no listing that may be kept.
class FolderSource {
public:
    virtual bool List(const std::string& folder, const std::function<bool(const platform::FolderEntry&)>& visit) = 0;
    virtual std::optional<platform::FolderId> Identify(const std::string& folder) = 0;
    virtual std::optional<platform::FolderStamp> Stamp(const std::string&, const platform::FolderStamp* /*within*/) {
        return std::nullopt;
    }
    // A watch on the tree under `top` (platform::WatchFolderTree), or none.
    virtual std::unique_ptr<platform::FolderWatch> Watch(const std::string& /*top*/) { return nullptr; }

protected:
    ~FolderSource() = default;
};
bool PictureSearch(const std::string& folder, int32_t number, WalkState& state, FolderSource& source);
// The file system through the platform layer, with its watch.
FolderSource& SystemFolders();

// The listings of one tree kept between walks. A walk stamps each folder it
// enters (platform::StampFolder) and lists it again unless its stamp is settled
// and equal to the one taken just before the kept listing was made; so a
// folder's pictures are always those it holds now, also when only something
// deeper down changed. Only pictures and folders are kept.
//
// Where the source gives a watch on the tree (a fixed local disk), the cache
// holds it, armed before any stamp or listing it vouches for. While the watch
// reports nothing, a folder listed or checked since it was last armed is used
// as it is, unasked; only the top folder is stamped at every walk, to be sure
// the watch is still on the folder its path leads to. Once it reports a
// change, it is re-armed first and then every folder walked is checked by its
// stamp as above. Folders it does not cover (beyond a link or a mount point,
// or when it has no watch left for them) are always checked by their stamps.
// The watch is closed when the top folder changes and with the cache.
class CatalogueCache {
public:
    // `watch`: whether to ask the source for a watch; a cache made for one
    // walk has no use for one.
    explicit CatalogueCache(bool watch = true);
    ~CatalogueCache();
    CatalogueCache(const CatalogueCache&) = delete;
    CatalogueCache& operator=(const CatalogueCache&) = delete;
    struct Folder;

private:
    friend class CachedWalk;
    bool mayWatch_;
    std::string top_;
    PictureRule rule_ = PictureRule::Described;  // the rule its listings were judged by
    std::unique_ptr<Folder> root_;
    std::unique_ptr<platform::FolderWatch> watch_;
    uint64_t armed_ = 0;  // counts the times the watch was armed; a folder checked since the last holds it
};
bool PictureSearch(const std::string& folder, int32_t number, WalkState& state, FolderSource& source,
                   CatalogueCache& cache);

// What one walk for a position finds, as a value.
struct WalkResult {
    bool listed = false;        // the top folder could be listed
    int32_t counter = 0;        // pictures counted: the position, or fewer when the catalogue ended
    std::string found;          // the picture a change applies: the last one counted, else the earlier find
    bool catalogueEnd = true;   // nothing that could give another picture follows it
};

// The walk for position `number` (the rotation's, which the caller passes in)
// from a fresh count by `rule`, with the process's own CatalogueCache. Its result is
// also left in the process-wide state, which stays the bridge to it:
// PictureCounter and CatalogueEnd are set, FoundPicture is overwritten when a
// picture was counted, and `found` is FoundPicture after the walk.
WalkResult PictureSearch(const std::string& folder, int32_t number, PictureRule rule = PictureRule::Described);

// How many pictures the catalogue under `folder` holds, through the same kept
// listings; nothing when the folder cannot be listed. The process-wide state
// is left alone.
std::optional<int32_t> CountPictures(const std::string& folder, PictureRule rule = PictureRule::Described);

// Both in one walk: the walk for position `number` that goes on counting to
// the end of the catalogue, `total` set to the count. Its result is the one
// PictureSearch(folder, number) gives, except that `catalogueEnd` tells only
// whether `number` is the last position (an empty folder after the last
// picture does not clear it).
WalkResult PictureSearch(const std::string& folder, int32_t number, int32_t& total,
                         PictureRule rule = PictureRule::Described);
