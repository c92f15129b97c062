#include "engine/CatalogueWalk.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "platform/Platform.h"

int32_t PictureCounter = 0;
std::string FoundPicture;
bool CatalogueEnd = true;

std::string PictureExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return std::string();
    const size_t separator = name.find_last_of("\\:");
    if (separator != std::string::npos && separator > dot) return std::string();
    return name.substr(dot);
}

bool IsPictureFile(const std::string& name) {
    const std::string extension = PictureExtension(name);
    return extension == ".bmp" || extension == ".BMP" || extension == ".jpg" || extension == ".JPG";
}

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
    std::optional<platform::FolderStamp> stamp;  // set while the listing may be used again
    std::optional<platform::FolderId> id;        // which folder it is, as found when it was listed
    bool listed = false;
    std::vector<CachedEntry> entries;  // pictures and folders in listing order; "." and ".." left out
};

CatalogueCache::CatalogueCache() = default;
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
        if (!cache.root_ || cache.top_ != top) {
            cache.root_ = std::make_unique<CatalogueCache::Folder>();
            cache.top_ = top;
        }
        return Walk(top, *cache.root_, nullptr);
    }

private:
    bool Walk(const std::string& path, CatalogueCache::Folder& folder, const platform::FolderStamp* within) {
        const std::optional<platform::FolderStamp> stamp = source_.Stamp(path, within);
        const bool unchanged = folder.stamp && stamp && stamp->settled && SameStamp(*folder.stamp, *stamp);
        // The identity, for telling links back up: from the stamp when it has
        // one, else kept with an unchanged listing, else asked for.
        std::optional<platform::FolderId> id;
        if (stamp && stamp->id != platform::FolderId{})
            id = stamp->id;
        else
            id = unchanged ? folder.id : source_.Identify(path);
        if (id) {
            for (const platform::FolderId& ancestor : ancestors_)
                if (ancestor == *id) return true;  // a link back up: walking it would never end
            ancestors_.push_back(*id);
        }
        if (!unchanged) {
            Refresh(path, folder, stamp);
            folder.id = id;
        }

        std::vector<CachedEntry>& entries = folder.entries;
        size_t i = 0;
        while (i < entries.size() && state_.counter < number_) {
            if (!entries[i].isFolder) {
                // Plain pictures up to the next folder, or up to the position.
                const size_t take = static_cast<size_t>(
                    std::min<int64_t>(entries[i].nextFolder - i, int64_t{number_} - state_.counter));
                i += take;
                state_.counter += static_cast<int32_t>(take);
                state_.found = path + "\\" + entries[i - 1].name;
                continue;
            }
            CachedEntry& entry = entries[i++];
            if (!entry.folder) entry.folder = std::make_unique<CatalogueCache::Folder>();
            Walk(path + "\\" + entry.name, *entry.folder, stamp ? &*stamp : nullptr);
            // A folder named like a picture counts as one only when the
            // position was not reached inside it.
            if (entry.isPicture && state_.counter < number_) {
                state_.found = path + "\\" + entry.name;
                ++state_.counter;
            }
        }
        // Tail: whatever is left is a picture or a folder, so there is more.
        if (i < entries.size()) state_.catalogueEnd = false;
        if (id) ancestors_.pop_back();
        return folder.listed;
    }

    // Lists the folder again; the kept listings of sub-folders that are still
    // there stay with them (they are checked by their own stamps when entered).
    void Refresh(const std::string& path, CatalogueCache::Folder& folder,
                 const std::optional<platform::FolderStamp>& stamp) {
        std::map<std::string, std::unique_ptr<CatalogueCache::Folder>> kept;
        for (CachedEntry& entry : folder.entries)
            if (entry.folder) kept.emplace(entry.name, std::move(entry.folder));
        folder.entries.clear();
        folder.listed = source_.List(path, [&](const platform::FolderEntry& listed) {
            if (listed.name == "." || listed.name == "..") return true;
            const bool picture = IsPictureFile(listed.name);
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
        // Kept only when the stamp taken before listing can show any later change.
        folder.stamp = folder.listed && stamp && stamp->settled ? stamp : std::nullopt;
    }

    int32_t number_;
    WalkState& state_;
    FolderSource& source_;
    std::vector<platform::FolderId> ancestors_;
};

bool PictureSearch(const std::string& folder, int32_t number, WalkState& state, FolderSource& source,
                   CatalogueCache& cache) {
    return CachedWalk(number, state, source).Walk(folder, cache);
}

bool PictureSearch(const std::string& folder, int32_t number, WalkState& state, FolderSource& source) {
    CatalogueCache fresh;
    return PictureSearch(folder, number, state, source, fresh);
}

bool PictureSearch(const std::string& folder, int32_t number, WalkState& state) {
    FileSystemSource files;
    return PictureSearch(folder, number, state, files);
}

bool PictureSearch(const std::string& folder, int32_t number) {
    static CatalogueCache cache;
    FileSystemSource files;
    WalkState state{PictureCounter, FoundPicture, CatalogueEnd};
    const bool listed = PictureSearch(folder, number, state, files, cache);
    PictureCounter = state.counter;
    FoundPicture = std::move(state.found);
    CatalogueEnd = state.catalogueEnd;
    return listed;
}
