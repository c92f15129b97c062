// The catalogue walk: positions, the end-of-catalogue flag and the name rule,
// over trees whose listing order the tests choose, and over real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <vector>

#include "TestSupport.h"
#include "core/Settings.h"
#include "engine/CatalogueWalk.h"
#include "engine/PreviewList.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

// A folder tree held in memory: each folder lists its entries in the order
// given, without "." and ".." unless a test adds them. Folders marked as links
// share the identity of the folder they lead to.
class Tree final : public FolderSource {
public:
    Tree& Folder(const std::string& path, std::vector<std::string> names) {
        std::vector<platform::FolderEntry>& entries = folders_[path];
        for (const std::string& name : names) {
            const bool isFolder = !name.empty() && name.back() == '/';
            const std::string plain = isFolder ? name.substr(0, name.size() - 1) : name;
            entries.push_back({plain, isFolder});
            if (isFolder) folders_.try_emplace(path + "\\" + plain);
        }
        return *this;
    }
    Tree& Link(const std::string& path, const std::string& target) {
        links_[path] = target;
        return *this;
    }
    int listings = 0;

    bool List(const std::string& folder, const std::function<bool(const platform::FolderEntry&)>& visit) override {
        auto found = folders_.find(Resolve(folder));
        if (found == folders_.end()) return false;
        ++listings;
        for (const platform::FolderEntry& entry : found->second)
            if (!visit(entry)) break;
        return true;
    }
    std::optional<platform::FolderId> Identify(const std::string& folder) override {
        auto found = folders_.find(Resolve(folder));
        if (found == folders_.end()) return std::nullopt;
        return platform::FolderId{1, static_cast<uint64_t>(std::distance(folders_.begin(), found))};
    }

private:
    // A path through links becomes the path of the folder it leads to.
    std::string Resolve(const std::string& path) const {
        for (const auto& [link, target] : links_)
            if (path == link || path.rfind(link + "\\", 0) == 0)
                return Resolve(target + path.substr(link.size()));
        return path;
    }
    std::map<std::string, std::vector<platform::FolderEntry>> folders_;
    std::map<std::string, std::string> links_;
};

// The file system, counting the folders it lists and stamps; with `watching`,
// it gives the system's watch on the tree.
class CountingDisk : public FolderSource {
public:
    int listings = 0;
    int stamps = 0;
    bool watching = false;
    bool List(const std::string& folder, const std::function<bool(const platform::FolderEntry&)>& visit) override {
        ++listings;
        return platform::ListFolder(folder, visit);
    }
    std::optional<platform::FolderId> Identify(const std::string& folder) override {
        return platform::IdentifyFolder(folder);
    }
    std::optional<platform::FolderStamp> Stamp(const std::string& folder, const platform::FolderStamp* within) override {
        ++stamps;
        return platform::StampFolder(folder, within);
    }
    std::unique_ptr<platform::FolderWatch> Watch(const std::string& top) override {
        auto watch = watching ? platform::WatchFolderTree(top) : nullptr;
        last_ = watch.get();
        return watch;
    }
    // After a change, until the last watch given reports it (under Wine on
    // wineserver's own time; on Windows within the call that changes).
    void AwaitReport() {
        for (int tries = 0; last_ && !last_->Changed() && tries < 5000; ++tries) testing_support::SleepMs(1);
        EXPECT_TRUE(!last_ || last_->Changed());
    }

private:
    platform::FolderWatch* last_ = nullptr;
};

// At every position, and just below and beyond the catalogue, a walk with
// `cache` finds what a walk with nothing kept finds.
void ExpectSameAsFresh(const std::string& top, FolderSource& source, CatalogueCache& cache) {
    for (int32_t position = -1; position <= 9; ++position) {
        WalkState fresh, kept;
        PictureSearch(top, position, fresh, source);
        PictureSearch(top, position, kept, source, cache);
        EXPECT_EQ(kept.found, fresh.found) << position;
        EXPECT_EQ(kept.counter, fresh.counter) << position;
        EXPECT_EQ(kept.catalogueEnd, fresh.catalogueEnd) << position;
    }
}

// Sets a folder's last-write time to `minutes` past an hour long gone: a
// settled stamp that differs from any it had before.
void SetFolderTime(const std::string& path, int minutes) {
#ifdef _WIN32
    HANDLE folder = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const uint64_t ticks = 132000000000000000ull + static_cast<uint64_t>(minutes) * 600000000ull;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    EXPECT_TRUE(SetFileTime(folder, nullptr, nullptr, &time));
    CloseHandle(folder);
#else
    std::string native = path;
    for (char& c : native)
        if (c == '\\') c = '/';
    const timespec times[2] = {{0, UTIME_OMIT}, {1600000000 + minutes * 60, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, native.c_str(), times, 0), 0);
#endif
}

WalkState Walk(Tree& tree, const std::string& top, int32_t number, const std::string& found = "") {
    WalkState state;
    state.found = found;
    PictureSearch(top, number, state, tree);
    return state;
}

}  // namespace

TEST(PictureRule, OnlyTheFourExactExtensionsArePictures) {
    for (const char* name : {"a.jpg", "a.JPG", "a.bmp", "a.BMP", "a.tar.jpg", ".jpg", "C:\\x.y\\photo.jpg",
                             "dir.x\\holiday.jpg"})
        EXPECT_TRUE(IsPictureFile(name)) << name;
    for (const char* name : {"a.Jpg", "a.bMp", "a.jpeg", "a.JPEG", "a.gif", "photo.", "photo", "dir.jpg\\photo",
                             "C:.jpg\\x", "a.jpg ", ""})
        EXPECT_FALSE(IsPictureFile(name)) << name;
    EXPECT_EQ(PictureExtension("dir.x\\photo"), "");
    EXPECT_EQ(PictureExtension("D:photo.JPEG"), ".JPEG");
    EXPECT_EQ(PictureExtension("photo."), ".");
}

TEST(CatalogueWalk, CountsPicturesInListingOrderAndOnlyByTheNameRule) {
    Tree tree;
    tree.Folder("T", {"b.JPG", "a.jpg", "c.Jpg", "d.jpeg", "e.bmp", "f.gif"});
    EXPECT_EQ(Walk(tree, "T", 1).found, "T\\b.JPG");
    EXPECT_EQ(Walk(tree, "T", 2).found, "T\\a.jpg");
    const WalkState third = Walk(tree, "T", 3);
    EXPECT_EQ(third.found, "T\\e.bmp");
    EXPECT_EQ(third.counter, 3);
    EXPECT_TRUE(third.catalogueEnd);  // only f.gif follows
}

// Option "allformats": every extension of the table in any letter case, for
// names and folders alike; each name is still read as the kind its extension
// names, whichever rule lists it.
TEST(PictureRule, AllFormatsTakesEveryKindInAnyCase) {
    struct Case {
        const char* name;
        bool described, all;
        PictureKind kind;
    } cases[] = {
        {"a.jpg", true, true, PictureKind::Jpeg},     {"a.Jpg", false, true, PictureKind::Jpeg},
        {"a.JPEG", false, true, PictureKind::Jpeg},   {"a.jpeg", false, true, PictureKind::Jpeg},
        {"a.BMP", true, true, PictureKind::Bmp},      {"a.bMp", false, true, PictureKind::Bmp},
        {"a.png", false, true, PictureKind::Png},     {"C:\\x.y\\A.PNG", false, true, PictureKind::Png},
        {"a.webp", false, true, PictureKind::Webp},   {"a.WebP", false, true, PictureKind::Webp},
        {"a.gif", false, false, PictureKind::None},   {"a.pngx", false, false, PictureKind::None},
        {"a.jp", false, false, PictureKind::None},    {"png", false, false, PictureKind::None},
        {"dir.png\\photo", false, false, PictureKind::None}, {"a.png ", false, false, PictureKind::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPictureFile(c.name, PictureRule::Described), c.described) << c.name;
        EXPECT_EQ(IsPictureFile(c.name, PictureRule::AllFormats), c.all) << c.name;
        EXPECT_EQ(PictureKindOf(c.name), c.kind) << c.name;
    }
    EXPECT_EQ(PictureRuleFor(false), PictureRule::Described);
    EXPECT_EQ(PictureRuleFor(true), PictureRule::AllFormats);
}

// The walk counts by its state's rule, and a kept listing judged by one rule
// is not used by a walk under the other.
TEST(CatalogueWalk, AllFormatsCountsEveryKindAndKeptListingsFollowTheRule) {
    Tree tree;
    tree.Folder("T", {"b.JPG", "c.Jpg", "d.jpeg", "sub.PNG/", "f.gif", "g.webp", "e.bmp"}).Folder("T\\sub.PNG", {"x.png"});
    CatalogueCache cache(false);
    const auto walk = [&](PictureRule rule, int32_t number) {
        WalkState state;
        state.rule = rule;
        PictureSearch("T", number, state, tree, cache);
        return state;
    };
    for (int round = 0; round < 2; ++round) {
        const WalkState described = walk(PictureRule::Described, 100);
        EXPECT_EQ(described.counter, 2) << round;
        EXPECT_EQ(described.found, "T\\e.bmp") << round;
        const std::vector<std::string> all = {"T\\b.JPG", "T\\c.Jpg", "T\\d.jpeg", "T\\sub.PNG\\x.png",
                                              "T\\sub.PNG", "T\\g.webp", "T\\e.bmp"};
        for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(walk(PictureRule::AllFormats, int32_t(i + 1)).found, all[i]);
        const WalkState end = walk(PictureRule::AllFormats, 100);
        EXPECT_EQ(end.counter, 7) << round;
        EXPECT_TRUE(end.catalogueEnd) << round;
    }
}

TEST(CatalogueWalk, SubFoldersAreCountedWhereTheyStandAndTheTailClearsTheEndFlag) {
    Tree tree;
    tree.Folder("T", {"1.jpg", "sub/", "4.jpg"}).Folder("T\\sub", {"2.jpg", "3.jpg"});
    const char* expected[] = {"T\\1.jpg", "T\\sub\\2.jpg", "T\\sub\\3.jpg", "T\\4.jpg"};
    for (int position = 1; position <= 4; ++position) {
        const WalkState state = Walk(tree, "T", position);
        EXPECT_EQ(state.found, expected[position - 1]);
        EXPECT_EQ(state.counter, position);
        EXPECT_EQ(state.catalogueEnd, position == 4) << position;
    }
    // Asked for more than the tree holds: the whole tree, its last picture.
    const WalkState beyond = Walk(tree, "T", 10);
    EXPECT_EQ(beyond.found, "T\\4.jpg");
    EXPECT_EQ(beyond.counter, 4);
    EXPECT_TRUE(beyond.catalogueEnd);
}

TEST(CatalogueWalk, OnlyPicturesAndFoldersAfterTheStopCountAsMore) {
    Tree text;
    text.Folder("T", {"1.jpg", "notes.txt"});
    EXPECT_TRUE(Walk(text, "T", 1).catalogueEnd);

    Tree emptyFolder;
    emptyFolder.Folder("T", {"1.jpg", "empty/"});
    EXPECT_FALSE(Walk(emptyFolder, "T", 1).catalogueEnd);

    // Stopped deep down: the folders above run their tails.
    Tree deep;
    deep.Folder("T", {"a/", "z.bmp"}).Folder("T\\a", {"b/"}).Folder("T\\a\\b", {"1.jpg", "x.txt"});
    const WalkState state = Walk(deep, "T", 1);
    EXPECT_EQ(state.found, "T\\a\\b\\1.jpg");
    EXPECT_FALSE(state.catalogueEnd);
}

TEST(CatalogueWalk, PositionsBelowOneCountNothingAndKeepTheEarlierFind) {
    Tree tree;
    tree.Folder("T", {"1.jpg", "2.jpg"}).Folder("E", {"readme.txt"}).Folder("F", {"readme.txt", "sub/"});
    for (int32_t number : {0, -1}) {
        const WalkState state = Walk(tree, "T", number, "X\\x.jpg");
        EXPECT_EQ(state.counter, 0);
        EXPECT_EQ(state.found, "X\\x.jpg");
        EXPECT_FALSE(state.catalogueEnd);
        EXPECT_TRUE(Walk(tree, "E", number).catalogueEnd);
        EXPECT_FALSE(Walk(tree, "F", number).catalogueEnd);
    }
    // A tree with no picture keeps whatever an earlier walk found.
    EXPECT_EQ(Walk(tree, "E", 5, "X\\x.jpg").found, "X\\x.jpg");
    EXPECT_EQ(Walk(tree, "E", 5).found, "");
}

TEST(CatalogueWalk, AFolderWithAPictureNameIsCountedAfterItsPicturesUnlessThePositionIsInside) {
    Tree tree;
    tree.Folder("T", {"holiday.jpg/", "z.jpg"}).Folder("T\\holiday.jpg", {"1.jpg"});
    const WalkState inside = Walk(tree, "T", 1);
    EXPECT_EQ(inside.counter, 1);
    EXPECT_EQ(inside.found, "T\\holiday.jpg\\1.jpg");
    EXPECT_FALSE(inside.catalogueEnd);
    // Past it, the folder keeps its own position and those after it keep theirs.
    const WalkState folder = Walk(tree, "T", 2);
    EXPECT_EQ(folder.counter, 2);
    EXPECT_EQ(folder.found, "T\\holiday.jpg");
    EXPECT_EQ(Walk(tree, "T", 3).found, "T\\z.jpg");
    // The last picture of the tree inside such a folder ends the catalogue.
    Tree last;
    last.Folder("T", {"a.jpg/"}).Folder("T\\a.jpg", {"1.jpg"});
    const WalkState end = Walk(last, "T", 1);
    EXPECT_EQ(end.found, "T\\a.jpg\\1.jpg");
    EXPECT_TRUE(end.catalogueEnd);
}

TEST(CatalogueWalk, MissingFoldersAreEmptyAndPathsAreJoinedUnchanged) {
    Tree tree;
    tree.Folder("D:\\", {"photo.jpg"});
    WalkState missing;
    missing.found = "X\\x.jpg";
    EXPECT_FALSE(PictureSearch("nowhere", 1, missing, tree));
    EXPECT_EQ(missing.counter, 0);
    EXPECT_EQ(missing.found, "X\\x.jpg");
    EXPECT_TRUE(missing.catalogueEnd);
    WalkState root;
    EXPECT_TRUE(PictureSearch("D:\\", 1, root, tree));
    EXPECT_EQ(root.found, "D:\\\\photo.jpg");
}

TEST(CatalogueWalk, DotEntriesAreSkippedWhereverTheyStand) {
    Tree tree;
    tree.Folder("T", {"1.jpg", "./", "../", "2.jpg"});
    const WalkState state = Walk(tree, "T", 5);
    EXPECT_EQ(state.counter, 2);
    EXPECT_EQ(state.found, "T\\2.jpg");
}

TEST(CatalogueWalk, ALinkBackToAnAncestorIsNotEnteredButOtherLinksAre) {
    Tree tree;
    tree.Folder("T", {"a/", "other/", "9.jpg"})
        .Folder("T\\a", {"1.jpg", "up/", "side/"})
        .Folder("T\\other", {"2.jpg"})
        .Link("T\\a\\up", "T")
        .Link("T\\a\\side", "T\\other");
    const WalkState state = Walk(tree, "T", 100);
    // 1.jpg, side\2.jpg (the link to a folder that is no ancestor), other\2.jpg, 9.jpg.
    EXPECT_EQ(state.counter, 4);
    EXPECT_EQ(state.found, "T\\9.jpg");
    EXPECT_EQ(Walk(tree, "T", 2).found, "T\\a\\side\\2.jpg");
    EXPECT_LT(tree.listings, 20);
}

namespace {

// A chain of `depth` nested folders "d" under "C", with 1.jpg at the top, 2.jpg
// halfway down and 3.jpg at the bottom, stamped as Windows stamps folders: a
// plain sub-folder's stamp leaves its identity out, as telling it would mean
// opening the folder. With `loopTo`, the bottom folder also holds "back", a
// link to the folder that many levels down.
class Chain final : public FolderSource {
public:
    explicit Chain(int depth, int loopTo = -1) : depth_(depth), loopTo_(loopTo) {}
    int listings = 0, identified = 0, stamps = 0;

    bool List(const std::string& folder, const std::function<bool(const platform::FolderEntry&)>& visit) override {
        const int level = Level(folder);
        ++listings;
        if (level == 0) visit({"1.jpg"});
        if (level == depth_ / 2) visit({"2.jpg"});
        if (level + 1 < depth_) visit({"d", true});
        if (level + 1 == depth_) {
            visit({"3.jpg"});
            if (loopTo_ >= 0) visit({"back", true});
        }
        return true;
    }
    std::optional<platform::FolderId> Identify(const std::string& folder) override {
        ++identified;
        return platform::FolderId{1, static_cast<uint64_t>(Level(folder)) + 1};
    }
    std::optional<platform::FolderStamp> Stamp(const std::string& folder, const platform::FolderStamp* within) override {
        ++stamps;
        platform::FolderStamp stamp;
        stamp.settled = stamp.keepsTimes = true;
        stamp.link = within && folder.size() > 5 && folder.substr(folder.size() - 5) == "\\back";
        if (!within || stamp.link) stamp.id = {1, static_cast<uint64_t>(Level(folder)) + 1};
        return stamp;
    }

private:
    int Level(const std::string& path) const {
        int level = 0;
        for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
            level = path.compare(at + 1, 4, "back") == 0 ? loopTo_ : level + 1;
        return level;
    }
    int depth_, loopTo_;
};

}  // namespace

// Each folder of a deep chain is opened once, to be listed; after that a change
// asks each folder on its way for its stamp and nothing else, and every picture
// of the chain comes in one cycle.
TEST(CatalogueCache, ADeepChainIsListedOnceAndThenOnlyStamped) {
    const int depth = 600;
    Chain chain(depth);
    CatalogueCache cache(false);
    std::string bottom = "C";
    for (int level = 1; level < depth; ++level) bottom += "\\d";
    for (int cycle = 0; cycle < 2; ++cycle) {
        chain.listings = chain.identified = chain.stamps = 0;
        std::vector<std::string> shown;
        for (int32_t position = 1; position <= 3; ++position) {
            WalkState state;
            PictureSearch("C", position, state, chain, cache);
            shown.push_back(state.found);
            EXPECT_EQ(state.catalogueEnd, position == 3);
        }
        EXPECT_EQ(shown[0], "C\\1.jpg");
        EXPECT_EQ(shown[1], bottom.substr(0, 1 + 2 * (depth / 2)) + "\\2.jpg");
        EXPECT_EQ(shown[2], bottom + "\\3.jpg");
        EXPECT_EQ(chain.listings, cycle == 0 ? depth : 0);
        EXPECT_EQ(chain.identified, 0);
        EXPECT_EQ(chain.stamps, 1 + (depth / 2 + 1) + depth);
    }
    // A link back up, met at the bottom, is still told apart and not entered:
    // the folders above it are identified then, once.
    Chain loop(depth, depth / 3);
    CatalogueCache kept(false);
    for (int walk = 0; walk < 2; ++walk) {
        WalkState state;
        PictureSearch("C", 1000, state, loop, kept);
        EXPECT_EQ(state.counter, 3);
        EXPECT_EQ(state.found, bottom + "\\3.jpg");
    }
    EXPECT_LE(loop.identified, depth);
}

// With the system's watch on the tree, and without it.
class CatalogueCacheOnDisk : public testing::TestWithParam<bool> {};

TEST_P(CatalogueCacheOnDisk, KeptListingsFollowPicturesAndFoldersAddedRemovedAndRenamed) {
    const bool watching = GetParam();
    if (watching && testing_support::UnderWine()) GTEST_SKIP() << "no watch under Wine";
    TempFolder folder, elsewhere;
    for (const char* name : {"a", "a\\deep", "b"}) ASSERT_TRUE(platform::CreateDir(folder / name));
    for (const char* name : {"a\\1.jpg", "a\\deep\\2.jpg", "a\\3.jpg", "b\\4.BMP", "b\\5.jpg", "6.jpg"})
        WriteTextFile(folder / name, "x");
    int minutes = 0;
    CountingDisk disk;
    disk.watching = watching;
    // After a change: old, distinct folder times, so that kept listings are
    // really used; then the watch, if any, is waited for.
    auto settle = [&](std::initializer_list<const char*> names) {
        for (const char* name : names) SetFolderTime(*name ? folder / name : folder.Path(), ++minutes);
        disk.AwaitReport();
    };
    settle({"", "a", "a\\deep", "b"});
    CatalogueCache cache;
    ExpectSameAsFresh(folder.Path(), disk, cache);
    // Warm, no walk lists anything, and with the watch (the temporary folder
    // is on a fixed disk) only the top is stamped; cold, each folder is listed once.
    disk.listings = disk.stamps = 0;
    for (int32_t position = -1; position <= 8; ++position) {
        WalkState kept;
        PictureSearch(folder.Path(), position, kept, disk, cache);
    }
    EXPECT_EQ(disk.listings, 0);
    EXPECT_TRUE(watching ? disk.stamps == 10 : disk.stamps > 20) << disk.stamps;
    CatalogueCache cold(false);
    WalkState all;
    PictureSearch(folder.Path(), 1000, all, disk, cold);
    EXPECT_EQ(disk.listings, 4);

    // A picture added two levels down: that folder alone is listed again, and
    // without the watch at every walk while its stamp is too recent to be
    // relied on.
    WriteTextFile(folder / "a\\deep\\0.jpg", "x");
    disk.AwaitReport();
    disk.listings = 0;
    PictureSearch(folder.Path(), 100, all, disk, cache);
    PictureSearch(folder.Path(), 100, all, disk, cache);
    EXPECT_EQ(disk.listings, watching ? 1 : 2);
    ExpectSameAsFresh(folder.Path(), disk, cache);
    SetFolderTime(folder / "a\\deep", ++minutes);
    ExpectSameAsFresh(folder.Path(), disk, cache);
    ASSERT_TRUE(platform::RemoveFile(folder / "b\\4.BMP"));
    settle({"b"});
    ExpectSameAsFresh(folder / "b", disk, cache);  // another top folder: kept listings start again
    ExpectSameAsFresh(folder.Path(), disk, cache);
    ASSERT_TRUE(testing_support::RenamePath(folder / "a\\1.jpg", folder / "a\\9.jpg"));
    ASSERT_TRUE(testing_support::RenamePath(folder / "a\\3.jpg", folder / "a\\3.txt"));  // no picture now
    settle({"a"});
    ExpectSameAsFresh(folder.Path(), disk, cache);
    ASSERT_TRUE(platform::CreateDir(folder / "0"));
    WriteTextFile(folder / "0\\new.jpg", "x");
    settle({"", "0"});
    ExpectSameAsFresh(folder.Path(), disk, cache);
    ASSERT_TRUE(testing_support::RenamePath(folder / "a", folder / "z"));
    settle({""});
    ExpectSameAsFresh(folder.Path(), disk, cache);
    ASSERT_TRUE(testing_support::RenamePath(folder / "0", elsewhere / "0"));  // a folder removed
    settle({""});
    ExpectSameAsFresh(folder.Path(), disk, cache);
}

INSTANTIATE_TEST_SUITE_P(Watch, CatalogueCacheOnDisk, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "On" : "Off"; });

// A watch that never reports anything, on the folder the top led to when it
// was armed, with no watch to give for folders named "b".
struct SilentWatch final : platform::FolderWatch {
    platform::FolderId top;
    platform::FolderId Top() const override { return top; }
    bool Include(const std::string& folder) override { return folder.substr(folder.size() - 2) != "\\b"; }
    bool Changed() override { return false; }
    bool Rearm() override { return true; }
};
struct SilentlyWatchedDisk final : CountingDisk {
    bool canWatch = false;
    std::unique_ptr<platform::FolderWatch> Watch(const std::string& top) override {
        auto watch = std::make_unique<SilentWatch>();
        watch->top = platform::IdentifyFolder(top).value_or(platform::FolderId{});
        return canWatch ? std::move(watch) : nullptr;
    }
};

// Only what the watch covers goes unstamped: a top folder it cannot watch, a
// folder it has no watch for, and a top path that now leads to another folder
// are all checked by their stamps.
TEST(CatalogueCacheWatch, WhatTheWatchDoesNotCoverIsCheckedByItsStamp) {
    TempFolder folder, elsewhere;
    const std::string top = folder / "top";
    auto make = [&](std::initializer_list<const char*> names) {
        ASSERT_TRUE(platform::CreateDir(top));
        for (const char* name : {"a", "a\\b"}) ASSERT_TRUE(platform::CreateDir(top + "\\" + name));
        for (const char* name : names) WriteTextFile(top + "\\" + name, "x");
        for (const char* name : {"", "\\a", "\\a\\b"}) SetFolderTime(top + name, 1);
    };
    make({"a\\1.jpg", "a\\b\\2.jpg", "3.jpg"});
    SilentlyWatchedDisk disk;
    auto stampsOfAWalk = [&](CatalogueCache& cache) {
        WalkState state;
        disk.stamps = 0;
        PictureSearch(top, 100, state, disk, cache);
        return disk.stamps;
    };
    CatalogueCache unwatched;
    ExpectSameAsFresh(top, disk, unwatched);
    EXPECT_EQ(stampsOfAWalk(unwatched), 3);
    WriteTextFile(top + "\\a\\0.jpg", "x");
    SetFolderTime(top + "\\a", 2);
    ExpectSameAsFresh(top, disk, unwatched);

    disk.canWatch = true;
    CatalogueCache cache;
    ExpectSameAsFresh(top, disk, cache);
    EXPECT_EQ(stampsOfAWalk(cache), 2);  // the top, and a\b, which the watch does not cover
    WriteTextFile(top + "\\a\\b\\0.jpg", "x");
    SetFolderTime(top + "\\a\\b", 2);
    ExpectSameAsFresh(top, disk, cache);
    // The top moved away and another folder put in its place.
    ASSERT_TRUE(testing_support::RenamePath(top, elsewhere / "old"));
    make({"a\\7.jpg", "8.jpg"});
    ExpectSameAsFresh(top, disk, cache);
}

TEST(CatalogueWalk, TheProcessWideWalkUsesTheSettingsPosition) {
    TempFolder folder;
    WriteTextFile(folder / "1.jpg", "x");
    WriteTextFile(folder / "2.jpg", "x");
    PictureCounter = 0;
    CatalogueEnd = true;
    Settings.number = 1;
    PictureSearch(folder.Path(), Settings.number);
    EXPECT_EQ(PictureCounter, 1);
    EXPECT_EQ(FoundPicture, folder / "1.jpg");
    EXPECT_FALSE(CatalogueEnd);
}

// Real folders, listed by the system.
TEST(CatalogueWalkOnDisk, WalksRealFoldersIncludingHiddenPictures) {
    TempFolder folder;
    ASSERT_TRUE(platform::CreateDir(folder / "sub"));
    WriteTextFile(folder / "sub\\2.jpg", "x");
    WriteTextFile(folder / "3.BMP", "x");
    WriteTextFile(folder / "notes.txt", "x");
#ifdef _WIN32
    WriteTextFile(folder / "hidden.jpg", "x");
    SetFileAttributesA((folder / "hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const int expected = 3;
#else
    const int expected = 2;
#endif
    WalkState state;
    PictureSearch(folder.Path(), 100, state);
    EXPECT_EQ(state.counter, expected);
    EXPECT_TRUE(state.catalogueEnd);
    WalkState first;
    PictureSearch(folder.Path(), 1, first);
    EXPECT_EQ(first.counter, 1);
    EXPECT_FALSE(first.catalogueEnd);
}

#ifdef _WIN32
// A name the ANSI code page cannot hold is listed by its short name, whose
// extension is always upper case: the rule judges the real name, in the walk
// and in the preview's listing alike, and the short name opens the picture.
TEST(CatalogueWalkOnDisk, TheRuleJudgesRealNamesNotShortNames) {
    TempFolder folder;
    const std::wstring wide(folder.Path().begin(), folder.Path().end());
    for (const wchar_t* name : {L"a.jpg", L"\u041E\u0442\u043F\u0443\u0441\u043A.Jpg", L"\u5199\u771F.jpgx",
                                L"b.jpg", L"\u5199\u771F.bmp"}) {
        HANDLE file = CreateFileW((wide + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    WalkState state;
    PictureSearch(folder.Path(), 100, state);
    EXPECT_EQ(state.counter, 3);
    std::vector<std::string> previewed{FirstPicture(folder.Path())};
    for (std::string next; (next = NextPicture(folder.Path(), previewed.back())) != previewed.back();)
        previewed.push_back(next);
    ASSERT_EQ(previewed.size(), 3u);
    std::vector<std::string> others;  // besides a.jpg and b.jpg
    std::copy_if(previewed.begin(), previewed.end(), std::back_inserter(others),
                 [](const std::string& name) { return name != "a.jpg" && name != "b.jpg"; });
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(PictureExtension(others[0]), ".BMP") << "the bitmap, by its short name";
    EXPECT_TRUE(platform::FileExists(folder / others[0]));
}
#endif

#ifndef _WIN32
TEST(CatalogueWalkOnDisk, SymbolicLinkLoopsEndAndOtherLinksAreWalked) {
    TempFolder folder;
    ASSERT_TRUE(platform::CreateDir(folder / "a"));
    ASSERT_TRUE(platform::CreateDir(folder / "b"));
    WriteTextFile(folder / "a\\1.jpg", "x");
    WriteTextFile(folder / "b\\2.jpg", "x");
    auto native = [](std::string path) {
        for (char& c : path)
            if (c == '\\') c = '/';
        return path;
    };
    ASSERT_EQ(symlink(native(folder.Path()).c_str(), native(folder / "a\\loop").c_str()), 0);
    ASSERT_EQ(symlink(native(folder / "a").c_str(), native(folder / "b\\toa").c_str()), 0);
    WalkState state;
    PictureSearch(folder.Path(), 1000, state);
    // a\1.jpg, b\2.jpg, b\toa\1.jpg; a\loop is not entered.
    EXPECT_EQ(state.counter, 3);
    EXPECT_EQ(state.found, folder / "b\\toa\\1.jpg");
}
#endif

// The walk that counts the whole tree on its way to a position finds, for
// every position, what the walk for that position alone finds, and the count
// of the tree; again once the listings (and, under a watch, the counts of
// whole sub-trees) are kept, and after a picture is added deep down.
TEST(CatalogueWalk, OneWalkToAPositionAndToTheEndFindsWhatTheWalkToThePositionFinds) {
    TempFolder folder;
    for (const char* sub : {"a", "a\\b", "x.jpg", "empty", "z"}) ASSERT_TRUE(platform::CreateDir(folder / sub));
    for (const char* name : {"1.jpg", "a\\2.jpg", "a\\b\\3.jpg", "a\\b\\4.jpg", "a\\5.jpg", "x.jpg\\6.jpg", "7.bmp",
                             "z\\8.jpg"})
        WriteTextFile(folder / name, "x");
    for (int pass = 0; pass < 3; ++pass) {
        if (pass == 2) WriteTextFile(folder / "a\\b\\3b.jpg", "x");
        const std::optional<int32_t> count = CountPictures(folder.Path());
        ASSERT_TRUE(count.has_value());
        EXPECT_EQ(*count, pass == 2 ? 10 : 9);  // x.jpg counts too
        for (int32_t position = 0; position <= *count + 1; ++position) {
            const WalkResult alone = PictureSearch(folder.Path(), position);
            int32_t total = -1;
            const WalkResult both = PictureSearch(folder.Path(), position, total);
            EXPECT_EQ(total, *count) << position;
            EXPECT_EQ(both.listed, alone.listed);
            EXPECT_EQ(both.counter, alone.counter) << position;
            EXPECT_EQ(both.found, alone.found) << position;
            EXPECT_EQ(FoundPicture, alone.found);
            if (position >= 1 && position < *count) EXPECT_FALSE(both.catalogueEnd) << position;
        }
    }
}
