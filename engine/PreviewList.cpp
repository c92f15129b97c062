#include "engine/PreviewList.h"

#include "engine/PictureFile.h"
#include "platform/Platform.h"

namespace {

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

std::string FirstPicture(const std::string& folder, PictureRule rule) {
    std::string result = "none";
    platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
        if (IsDotEntry(entry.name) || !IsPictureFile(entry.RealName(), rule)) return true;
        result = entry.name;
        return false;
    });
    return result;
}

std::string NextPicture(const std::string& folder, const std::string& current, PictureRule rule) {
    platform::CheckDirectory(folder);
    std::string result = current;
    bool passedCurrent = false;
    platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
        if (!passedCurrent) {
            passedCurrent = entry.name == current;
            return true;
        }
        if (IsDotEntry(entry.name) || !IsPictureFile(entry.RealName(), rule)) return true;
        result = entry.name;
        return false;
    });
    return result;
}

std::string PreviousPicture(const std::string& folder, const std::string& current, PictureRule rule) {
    platform::CheckDirectory(folder);
    std::string result = current;
    platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
        if (entry.name == current) return false;
        if (!IsDotEntry(entry.name) && IsPictureFile(entry.RealName(), rule)) result = entry.name;
        return true;
    });
    return result;
}
