#include "engine/CatalogueWalk.h"

#include <optional>
#include <vector>

#include "app/Settings.h"
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

class Walker {
public:
    Walker(int32_t number, WalkState& state, FolderSource& source)
        : number_(number), state_(state), source_(source) {}

    bool Walk(const std::string& folder) {
        const std::optional<platform::FolderId> id = source_.Identify(folder);
        if (id) {
            for (const platform::FolderId& ancestor : ancestors_)
                if (ancestor == *id) return true;  // a link back up: walking it would never end
            ancestors_.push_back(*id);
        }
        bool mainPhase = true;
        const bool listed = source_.List(folder, [&](const platform::FolderEntry& entry) {
            if (entry.name == "." || entry.name == "..") return true;
            if (mainPhase && state_.counter >= number_) mainPhase = false;
            if (mainPhase) {
                if (entry.isFolder) Walk(folder + "\\" + entry.name);
                // A folder named like a picture counts as one only when the
                // position was not reached inside it.
                if (IsPictureFile(entry.name) && !(entry.isFolder && state_.counter >= number_)) {
                    state_.found = folder + "\\" + entry.name;
                    ++state_.counter;
                }
                return true;
            }
            // Tail phase: one picture or folder after the stopping point is enough.
            if (entry.isFolder || IsPictureFile(entry.name)) {
                state_.catalogueEnd = false;
                return false;
            }
            return true;
        });
        if (id) ancestors_.pop_back();
        return listed;
    }

private:
    int32_t number_;
    WalkState& state_;
    FolderSource& source_;
    std::vector<platform::FolderId> ancestors_;
};

class FileSystemSource final : public FolderSource {
public:
    bool List(const std::string& folder, const std::function<bool(const platform::FolderEntry&)>& visit) override {
        return platform::ListFolder(folder, visit);
    }
    std::optional<platform::FolderId> Identify(const std::string& folder) override {
        return platform::IdentifyFolder(folder);
    }
};

}  // namespace

bool PictureSearch(const std::string& folder, int32_t number, WalkState& state, FolderSource& source) {
    return Walker(number, state, source).Walk(folder);
}

bool PictureSearch(const std::string& folder, int32_t number, WalkState& state) {
    FileSystemSource files;
    return PictureSearch(folder, number, state, files);
}

bool PictureSearch(const std::string& folder) {
    WalkState state{PictureCounter, FoundPicture, CatalogueEnd};
    const bool listed = PictureSearch(folder, Settings.number, state);
    PictureCounter = state.counter;
    FoundPicture = std::move(state.found);
    CatalogueEnd = state.catalogueEnd;
    return listed;
}
