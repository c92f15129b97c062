// One contract for both implementations of the platform layer: this suite runs
// on the host against the POSIX one and under Wine against the Win32 one.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/Platform.h"

#ifdef __linux__
#include <sys/mount.h>
#endif

using testing_support::TempFolder;
using testing_support::ReadTextFile;
using testing_support::WriteTextFile;

namespace {

std::vector<platform::FolderEntry> List(const std::string& folder) {
    std::vector<platform::FolderEntry> entries;
    EXPECT_TRUE(platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
        entries.push_back(entry);
        return true;
    }));
    return entries;
}

std::vector<std::string> Names(const std::vector<platform::FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    return names;
}

}  // namespace

TEST(FolderListing, GivesDotEntriesFirstThenEveryNameWithItsKind) {
    TempFolder folder;
    WriteTextFile(folder / "b.jpg", "x");
    WriteTextFile(folder / "A.bmp", "x");
    ASSERT_TRUE(platform::CreateDir(folder / "sub"));
    WriteTextFile(folder / "sub" + "\\inner.jpg", "x");

    const auto entries = List(folder.Path());
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, "..");
    EXPECT_TRUE(entries[1].isFolder);
    std::set<std::string> files, folders;
    for (size_t i = 2; i < entries.size(); ++i)
        (entries[i].isFolder ? folders : files).insert(entries[i].name);
    EXPECT_EQ(files, (std::set<std::string>{"A.bmp", "b.jpg"}));
    EXPECT_EQ(folders, (std::set<std::string>{"sub"}));
    // The system's order does not change between two listings.
    EXPECT_EQ(Names(List(folder.Path())), Names(entries));
}

TEST(FolderListing, StopsWhenTheVisitorSaysSoAndFailsForMissingFolders) {
    TempFolder folder;
    for (char c = '0'; c <= '9'; ++c) WriteTextFile(folder / std::string{'f', c}, "x");
    int visited = 0;
    EXPECT_TRUE(platform::ListFolder(folder.Path(), [&](const platform::FolderEntry&) { return ++visited < 3; }));
    EXPECT_EQ(visited, 3);

    visited = 0;
    EXPECT_FALSE(platform::ListFolder(folder / "missing", [&](const platform::FolderEntry&) {
        ++visited;
        return true;
    }));
    EXPECT_EQ(visited, 0);
}

TEST(FileSystem, TellsFilesFromFoldersAndCreatesOneLevelOnly) {
    TempFolder folder;
    WriteTextFile(folder / "file.txt", "x");
    EXPECT_TRUE(platform::FileExists(folder / "file.txt"));
    EXPECT_FALSE(platform::DirectoryExists(folder / "file.txt"));
    EXPECT_TRUE(platform::DirectoryExists(folder.Path()));
    EXPECT_FALSE(platform::FileExists(folder.Path()));
    EXPECT_FALSE(platform::FileExists(folder / "missing"));
    EXPECT_FALSE(platform::DirectoryExists(folder / "missing"));
    EXPECT_FALSE(platform::FileExists(""));
    EXPECT_FALSE(platform::DirectoryExists(""));

    EXPECT_FALSE(platform::CreateDir(folder / "a\\b"));  // the parent is missing
    EXPECT_FALSE(platform::DirectoryExists(folder / "a"));
    EXPECT_TRUE(platform::CreateDir(folder / "a"));
    EXPECT_TRUE(platform::DirectoryExists(folder / "a"));
    EXPECT_FALSE(platform::CreateDir(folder / "a"));     // already there

    EXPECT_TRUE(platform::RemoveFile(folder / "file.txt"));
    EXPECT_FALSE(platform::FileExists(folder / "file.txt"));
    EXPECT_FALSE(platform::RemoveFile(folder / "file.txt"));
}

TEST(CurrentDirectory, FollowsSetCurrentDir) {
    TempFolder folder;
    const std::string before = platform::GetCurrentDir();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(platform::CreateDir(folder / "here"));
    ASSERT_TRUE(platform::SetCurrentDir(folder / "here"));
    const std::string now = platform::GetCurrentDir();
    EXPECT_TRUE(platform::DirectoryExists(now));
    EXPECT_EQ(now.substr(now.size() - 4), "here");
    EXPECT_NE(now.back(), '\\');
    EXPECT_FALSE(platform::SetCurrentDir(folder / "missing"));
    EXPECT_EQ(platform::GetCurrentDir(), now);
    ASSERT_TRUE(platform::SetCurrentDir(before));
}

#ifdef _WIN32
TEST(CurrentDirectory, ADriveRootKeepsItsBackslash) {
    const std::string before = platform::GetCurrentDir();
    ASSERT_TRUE(platform::SetCurrentDir("C:\\"));
    EXPECT_EQ(platform::GetCurrentDir(), "C:\\");
    ASSERT_TRUE(platform::SetCurrentDir(before));
}
#endif

TEST(PrivateProfile, ReadsWhatWasWrittenWithoutRegardToCase) {
    TempFolder folder;
    const std::string ini = folder / "test.ini";
    platform::WriteIniString(ini, "options", "Key", "value one");
    EXPECT_EQ(platform::ReadIniString(ini, "options", "Key", "d"), "value one");
    EXPECT_EQ(platform::ReadIniString(ini, "OPTIONS", "key", "d"), "value one");
    EXPECT_EQ(platform::ReadIniString(ini, "Options", "KEY", "d"), "value one");
    EXPECT_EQ(platform::ReadIniString(ini, "options", "other", "d"), "d");
    EXPECT_EQ(platform::ReadIniString(ini, "elsewhere", "Key", "d"), "d");
    EXPECT_EQ(platform::ReadIniString(folder / "missing.ini", "options", "Key", "d"), "d");

    // A write in another letter case replaces the same key.
    platform::WriteIniString(ini, "OPTIONS", "KEY", "two");
    EXPECT_EQ(platform::ReadIniString(ini, "options", "Key", "d"), "two");
    EXPECT_EQ(ReadTextFile(ini).find("one"), std::string::npos);
}

TEST(PrivateProfile, KeepsKeysInTheOrderTheyWereFirstWritten) {
    TempFolder folder;
    const std::string ini = folder / "order.ini";
    for (const char* key : {"zeta", "alpha", "mid"}) platform::WriteIniString(ini, "s", key, "1");
    platform::WriteIniString(ini, "s", "alpha", "2");
    platform::WriteIniString(ini, "t", "other", "3");
    const std::string text = ReadTextFile(ini);
    const size_t zeta = text.find("zeta=1"), alpha = text.find("alpha=2"), mid = text.find("mid=1");
    const size_t t = text.find("[t]"), other = text.find("other=3");
    ASSERT_NE(zeta, std::string::npos);
    ASSERT_NE(alpha, std::string::npos);
    ASSERT_NE(mid, std::string::npos);
    ASSERT_NE(t, std::string::npos);
    EXPECT_LT(text.find("[s]"), zeta);
    EXPECT_LT(zeta, alpha);
    EXPECT_LT(alpha, mid);
    EXPECT_LT(mid, t);
    EXPECT_LT(t, other);
}

TEST(PrivateProfile, TrimsBlanksAndOnePairOfQuotesAndCutsLongValues) {
    TempFolder folder;
    const std::string ini = folder / "hand.ini";
    const std::string longValue(3000, 'x');
    WriteTextFile(ini,
                  "; a comment\r\n"
                  "[first]\r\n"
                  "  spaced  =   some value   \r\n"
                  "quoted=\"in quotes\"\r\n"
                  "single='single'\r\n"
                  "half=\"half\r\n"
                  "empty=\r\n"
                  "long=" + longValue + "\r\n"
                  "[second]\n"
                  "spaced=other section\n");
    EXPECT_EQ(platform::ReadIniString(ini, "first", "spaced", "d"), "some value");
    EXPECT_EQ(platform::ReadIniString(ini, "first", "quoted", "d"), "in quotes");
    EXPECT_EQ(platform::ReadIniString(ini, "first", "single", "d"), "single");
    EXPECT_EQ(platform::ReadIniString(ini, "first", "half", "d"), "\"half");
    EXPECT_EQ(platform::ReadIniString(ini, "first", "empty", "d"), "");
    EXPECT_EQ(platform::ReadIniString(ini, "first", "long", "d"), longValue.substr(0, 2047));
    EXPECT_EQ(platform::ReadIniString(ini, "second", "spaced", "d"), "other section");

    // Writing one key leaves the rest of the file's content readable as before.
    platform::WriteIniString(ini, "second", "new", "n");
    EXPECT_EQ(platform::ReadIniString(ini, "first", "quoted", "d"), "in quotes");
    EXPECT_EQ(platform::ReadIniString(ini, "second", "spaced", "d"), "other section");
    EXPECT_EQ(platform::ReadIniString(ini, "second", "new", "d"), "n");
}

TEST(PrivateProfile, AFailedWriteRaisesUnableToWriteWithThePath) {
    TempFolder folder;
    const std::string ini = folder / "no such folder\\config.ini";
    try {
        platform::WriteIniString(ini, "options", "key", "value");
        FAIL() << "the write into a missing folder succeeded";
    } catch (const platform::Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + ini);
    }
    EXPECT_FALSE(platform::FileExists(ini));

    // A folder in the file's place cannot be written either.
    EXPECT_THROW(platform::WriteIniString(folder.Path(), "options", "key", "value"), platform::Error);
    EXPECT_TRUE(platform::DirectoryExists(folder.Path()));
}

TEST(Processes, StartsAProgramByItsPathAndWaitsForItsEnd) {
    TempFolder folder;
    const std::string child = testing_support::HelperProgram("ChildProcess");
    const std::string marker = folder / "done.txt";
    ASSERT_TRUE(platform::StartProcess(child, "ChildProcess " + marker + " 300 one two",
                                       platform::ShowNoActivate, true));
    // The child writes its marker only after its delay: it is there because the call waited.
    ASSERT_TRUE(platform::FileExists(marker));
    EXPECT_EQ(ReadTextFile(marker), "one\ntwo\n");
}

TEST(Processes, TakesTheProgramFromTheCommandLineWhenNoPathIsGiven) {
    TempFolder folder;
    const std::string marker = folder / "line.txt";
    ASSERT_TRUE(platform::StartProcess("", testing_support::HelperProgram("ChildProcess") + " " + marker + " 0 x",
                                       platform::ShowNormal, true));
    EXPECT_EQ(ReadTextFile(marker), "x\n");
}

TEST(Processes, AMissingProgramIsNotStarted) {
    TempFolder folder;
    EXPECT_FALSE(platform::StartProcess(folder / "missing.exe", "missing.exe", platform::ShowNormal, true));
    EXPECT_FALSE(platform::StartProcess("", folder / "missing.exe", platform::ShowNormal, true));
}

// A waited-for process runs in the folder it is given; one that outlives the
// limit is ended.
TEST(Processes, RunsInItsOwnFolderAndIsEndedAtTheLimit) {
    TempFolder folder;
    const std::string child = testing_support::HelperProgram("ChildProcess");
    EXPECT_EQ(platform::RunProcess(child, "ChildProcess " + (folder / "cwd.txt") + " 0 %cwd", platform::ShowNoActivate,
                                   folder.Path(), 60000),
              platform::ProcessEnd::Ended);
    const std::string cwd = ReadTextFile(folder / "cwd.txt");
    EXPECT_EQ(platform::IdentifyFolder(cwd.substr(0, cwd.size() - 1)), platform::IdentifyFolder(folder.Path())) << cwd;
    EXPECT_EQ(platform::RunProcess(child, "ChildProcess " + (folder / "late.txt") + " 1500", platform::ShowNormal, "", 300),
              platform::ProcessEnd::Stopped);
    EXPECT_EQ(platform::RunProcess(folder / "no.exe", "no.exe", platform::ShowNormal, "", 300),
              platform::ProcessEnd::NotStarted);
}

TEST(Clock, TodayIsTheLocalDayOfTheMonth) {
    std::time_t now = std::time(nullptr);
    const int expected = std::localtime(&now)->tm_mday;
    const int day = platform::TodayDayOfMonth();
    EXPECT_GE(day, 1);
    EXPECT_LE(day, 31);
    // Allow for midnight passing between the two readings.
    now = std::time(nullptr);
    EXPECT_TRUE(day == expected || day == std::localtime(&now)->tm_mday);
}

TEST(Display, ReportsAColourDepthTheProgramKnows) {
    const std::set<int> depths = {1, 4, 8, 15, 16, 24, 32};
    EXPECT_TRUE(depths.count(platform::DisplayColorDepth())) << platform::DisplayColorDepth();
}

TEST(WholeFiles, ReadsEveryByteAndRefusesFilesAboveTheLimit) {
    TempFolder folder;
    const std::string path = folder / "data.bin";
    const std::string text("a\0b\r\n\xff", 6);
    WriteTextFile(path, text);
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, 6);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);

    try {
        platform::ReadFileBytes(path, 5);
        FAIL() << "a file above the limit was read";
    } catch (const platform::Error& error) {
        EXPECT_EQ(std::string(error.what()), path + " is too large");
    }
    EXPECT_THROW(platform::ReadFileBytes(folder / "missing.bin", 100), platform::Error);
    EXPECT_THROW(platform::ReadFileBytes(folder.Path(), 100), platform::Error);
}

TEST(WholeFiles, AFileIsReadInPiecesAtAnyOffsetAndOthersMayDeleteIt) {
    TempFolder folder;
    const std::string path = folder / "data.bin";
    WriteTextFile(path, std::string("0123456789\0\xff", 12));
    const std::unique_ptr<platform::InputFile> file = platform::OpenInputFile(path);
    EXPECT_TRUE(platform::RemoveFile(path));  // another program may move or delete it; it reads on
    ASSERT_EQ(file->Size(), 12u);
    char piece[8] = {};
    EXPECT_EQ(file->ReadAt(7, piece, 3), 3u);
    EXPECT_EQ(std::string(piece, 3), "789");
    EXPECT_EQ(file->ReadAt(9, piece, 8), 3u);  // short only at the end
    EXPECT_EQ(std::string(piece, 3), std::string("9\0\xff", 3));
    EXPECT_EQ(file->ReadAt(2, piece, 2), 2u);
    EXPECT_EQ(std::string(piece, 2), "23");
    EXPECT_EQ(file->ReadAt(12, piece, 8), 0u);

    for (const std::string& bad : {folder / "missing.bin", folder.Path()}) {
        try {
            platform::OpenInputFile(bad);
            ADD_FAILURE() << bad;
        } catch (const platform::Error& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to read " + bad);
        }
    }
}

TEST(WholeFiles, ReplacingAFileIsAllOrNothing) {
    TempFolder folder;
    const std::string path = folder / "out.bmp";
    WriteTextFile(path, "old content");

    platform::WriteFileReplacing(path, [](platform::OutputFile& out) {
        out.Write("new ", 4);
        out.Write("content", 7);
    });
    EXPECT_EQ(ReadTextFile(path), "new content");
    EXPECT_FALSE(platform::FileExists(path + ".tmp"));

    // A producer that fails half-way leaves the old file and no temporary behind.
    EXPECT_THROW(platform::WriteFileReplacing(path,
                                              [](platform::OutputFile& out) {
                                                  out.Write("partial", 7);
                                                  throw std::runtime_error("disk full");
                                              }),
                 std::runtime_error);
    EXPECT_EQ(ReadTextFile(path), "new content");
    EXPECT_FALSE(platform::FileExists(path + ".tmp"));

    const std::string lost = folder / "missing folder\\out.bmp";
    try {
        platform::WriteFileReplacing(lost, [](platform::OutputFile& out) { out.Write("x", 1); });
        FAIL() << "a file in a missing folder was written";
    } catch (const platform::Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + lost);
    }
}

// Rows written at their offsets in any order, a gap left for later, and
// appends after them; a producer that fails leaves the old file. A copy taken
// before is moved back over a changed file in one step.
TEST(WholeFiles, PiecesWrittenAtOffsetsLandInPlaceAndCopiesMoveBack) {
    TempFolder folder;
    const std::string path = folder / "out.bmp";
    platform::WriteFileReplacing(path, [](platform::OutputFile& out) {
        out.WriteAt(6, "ghi", 3);
        out.WriteAt(0, "ab", 2);
        out.Write("jk", 2);
        out.WriteAt(3, "def", 3);
    });
    EXPECT_EQ(platform::ReadFileBytes(path, 100), (std::vector<uint8_t>{'a', 'b', 0, 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k'}));
    EXPECT_THROW(platform::WriteFileReplacing(path,
                                              [](platform::OutputFile& out) {
                                                  out.WriteAt(100000, "x", 1);
                                                  throw std::runtime_error("decoder failed");
                                              }),
                 std::runtime_error);
    EXPECT_EQ(platform::ReadFileBytes(path, 100).size(), 11u);
    EXPECT_FALSE(platform::FileExists(path + ".tmp"));

    ASSERT_TRUE(platform::CopyFileOver(path, path + ".own"));
    WriteTextFile(path, "changed");
    EXPECT_TRUE(platform::MoveFileOver(path + ".own", path));
    EXPECT_EQ(platform::ReadFileBytes(path, 100).size(), 11u);
    EXPECT_FALSE(platform::FileExists(path + ".own"));
    EXPECT_FALSE(platform::CopyFileOver(folder / "missing.bmp", path + ".own"));
    EXPECT_FALSE(platform::MoveFileOver(folder / "missing.bmp", path));
    EXPECT_FALSE(platform::FileExists(path + ".own"));
    EXPECT_TRUE(platform::FileExists(path));
}

#ifdef __linux__
// On a disk too small for the file, the first write past the end fails, before
// anything else is made to go there (a wallpaper's rows come last row first);
// the old file stays. Needs a small file system of its own, so root.
TEST(WholeFiles, AFullDiskFailsAtTheFirstWritePastTheEnd) {
    TempFolder folder;
    std::string disk = folder / "disk";
    ASSERT_TRUE(platform::CreateDir(disk));
    std::replace(disk.begin(), disk.end(), '\\', '/');  // the program's separator to the system's
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "mounting a small disk needs root";
    const std::string path = disk + "/out.bmp";
    WriteTextFile(path, "old content");
    bool wentOn = false;
    EXPECT_THROW(platform::WriteFileReplacing(path,
                                              [&](platform::OutputFile& out) {
                                                  out.WriteAt(0, "BM", 2);
                                                  out.WriteAt(size_t(1) << 20, "last row", 8);
                                                  wentOn = true;
                                              }),
                 platform::WriteError);
    EXPECT_FALSE(wentOn);
    EXPECT_EQ(ReadTextFile(path), "old content");
    EXPECT_FALSE(platform::FileExists(path + ".tmp"));
    umount(disk.c_str());
}
#endif

TEST(FolderIdentity, TheSameFolderByTwoPathsIsOneFolder) {
    TempFolder folder;
    ASSERT_TRUE(platform::CreateDir(folder / "a"));
    ASSERT_TRUE(platform::CreateDir(folder / "a\\b"));
    const auto a = platform::IdentifyFolder(folder / "a");
    const auto again = platform::IdentifyFolder(folder / "a\\b\\..");
    const auto b = platform::IdentifyFolder(folder / "a\\b");
    ASSERT_TRUE(a && again && b);
    EXPECT_EQ(*a, *again);
    EXPECT_FALSE(*a == *b);
    EXPECT_FALSE(platform::IdentifyFolder(folder / "missing"));
}

TEST(FolderWatch, ReportsNamesAddedRemovedOrRenamedAnywhereBelowUntilReArmed) {
    TempFolder folder, elsewhere;
    for (const char* name : {"a", "a\\deep"}) ASSERT_TRUE(platform::CreateDir(folder / name));
    WriteTextFile(folder / "a\\deep\\1.jpg", "x");
    if (testing_support::UnderWine()) {
        EXPECT_FALSE(platform::WatchFolderTree(folder.Path()));
        GTEST_SKIP() << "Wine's change notifications are not relied on";
    }
    // The temporary folder is on a fixed disk that keeps folder times.
    const auto watch = platform::WatchFolderTree(folder.Path());
    ASSERT_TRUE(watch);
    EXPECT_EQ(watch->Top(), platform::IdentifyFolder(folder.Path()));
    // Reading, listing, stamping and writing contents change no name. The
    // folders are taken in and listed after arming, as the walk does (Wine's
    // notification over a sub-tree reaches only folders opened after that).
    for (const std::string& path : {folder.Path(), folder / "a", folder / "a\\deep"}) {
        EXPECT_TRUE(watch->Include(path) && platform::StampFolder(path) &&
                    platform::ListFolder(path, [](const platform::FolderEntry&) { return true; }));
    }
    platform::ReadFileBytes(folder / "a\\deep\\1.jpg", 10);
    WriteTextFile(folder / "a\\deep\\1.jpg", "changed");
    WriteTextFile(elsewhere / "outside.jpg", "x");  // not below the top
    testing_support::SleepMs(200);
    EXPECT_FALSE(watch->Changed());

    // Each change is reported (under Wine on wineserver's own time), stays
    // reported until re-armed, and no longer after that.
    auto reported = [&](bool made) {
        for (int tries = 0; made && !watch->Changed() && tries < 5000; ++tries) testing_support::SleepMs(1);
        return made && watch->Changed() && watch->Changed() && watch->Rearm() && !watch->Changed();
    };
    WriteTextFile(folder / "a\\deep\\2.jpg", "x");
    EXPECT_TRUE(reported(true));
    EXPECT_TRUE(reported(testing_support::RenamePath(folder / "a\\deep\\2.jpg", folder / "a\\deep\\3.jpg")));
    EXPECT_TRUE(reported(platform::RemoveFile(folder / "a\\deep\\3.jpg")));
    EXPECT_TRUE(reported(platform::CreateDir(folder / "a\\new")));
    EXPECT_TRUE(reported(testing_support::RenamePath(folder / "a\\new", elsewhere / "moved")));
    EXPECT_TRUE(reported(testing_support::RenamePath(folder / "a\\deep", folder / "a\\deeper")));
    WriteTextFile(folder / "top.jpg", "x");
    EXPECT_TRUE(reported(true));

    EXPECT_FALSE(platform::WatchFolderTree(folder / "missing"));
    EXPECT_FALSE(platform::WatchFolderTree(folder / "top.jpg"));
#ifndef _WIN32
    EXPECT_FALSE(platform::WatchFolderTree("/proc"));  // no local disk
#endif
}

// Length is no limit: a chain of 600 folders (about 1,200 characters) going on
// in longer names to about 3,650 (its files near 3,800: under Wine the host's
// path stays below Linux's 4,096) is written, read (also by a relative path),
// listed, stamped and checked at both depths; ".", ".." and doubled separators
// mean there what they mean in a short path. A name that no file system holds
// is a folder that is not there.
TEST(LongPaths, FoldersAndFilesOfAnyLengthAreReachedLikeAnyOther) {
    TempFolder folder;
    std::string path = folder.Path();
    std::vector<std::string> reached;
    for (int level = 0; path.size() < 3650; ++level) {
        path += "\\" + (level < 600 ? std::string("d") : std::string(100, static_cast<char>('a' + level % 26)));
        ASSERT_TRUE(platform::CreateDir(path)) << path.size();
        if (level == 599 || path.size() >= 3650) reached.push_back(path);
    }
    const std::string before = platform::GetCurrentDir(), name = std::string(120, 'p') + ".jpg";
    ASSERT_TRUE(platform::SetCurrentDir(folder.Path()));
    for (const std::string& at : reached) {
        const std::string parent = at.substr(0, at.find_last_of('\\')), last = at.substr(parent.size() + 1);
        platform::WriteFileReplacing(at + "\\" + name, [](platform::OutputFile& out) { out.Write("picture", 7); });
        EXPECT_EQ(platform::ReadFileBytes(at.substr(folder.Path().size() + 1) + "\\" + name, 100).size(), 7u);
        char piece[4] = {};
        EXPECT_EQ(platform::OpenInputFile(at + "\\" + name)->ReadAt(3, piece, 4), 4u);
        EXPECT_EQ(std::string(piece, 4), "ture");
        const auto names = Names(List(at));
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
        const auto above = platform::StampFolder(parent);
        EXPECT_TRUE(above && platform::StampFolder(at, &*above) && platform::StampFolder(at));
        EXPECT_NO_THROW(platform::CheckDirectory(at));
        for (const std::string& same : {parent + "\\.\\" + last + "\\", at + "\\..\\" + last, parent + "\\\\" + last})
            EXPECT_EQ(platform::IdentifyFolder(same), platform::IdentifyFolder(at));
        EXPECT_TRUE(platform::RemoveFile(at + "\\" + name) && !platform::FileExists(at + "\\" + name));
    }
    platform::SetCurrentDir(before);
    const std::string tooLong = folder / std::string(5000, 'q');
    EXPECT_FALSE(platform::DirectoryExists(tooLong) || platform::FileExists(tooLong) || platform::CreateDir(tooLong) ||
                 platform::StampFolder(tooLong) || platform::IdentifyFolder(tooLong) ||
                 platform::ListFolder(tooLong, [](const platform::FolderEntry&) { return true; }));
    EXPECT_THROW(platform::CheckDirectory(tooLong), platform::Error);
    EXPECT_THROW(platform::ReadFileBytes(tooLong + "\\p.jpg", 100), platform::Error);
    EXPECT_THROW(platform::OpenInputFile(tooLong + "\\p.jpg"), platform::Error);
    EXPECT_EQ(platform::ReadIniString(tooLong + "\\config.ini", "options", "number", "1"), "1");
}

TEST(CurrentDirectory, CheckingAFolderRaisesTheRuntimesInputOutputErrorAndChangesNothing) {
    TempFolder folder;
    const std::string before = platform::GetCurrentDir();
    try {
        platform::CheckDirectory(folder / "missing");
        FAIL() << "a missing folder passed";
    } catch (const platform::Error& error) {
        EXPECT_EQ(std::string(error.what()), "File not found");
    }
    WriteTextFile(folder / "file.txt", "x");
    EXPECT_EQ(testing_support::ThrownText([&] { platform::CheckDirectory(folder / "file.txt"); }), "Invalid filename");
    platform::CheckDirectory(folder.Path());
    EXPECT_EQ(platform::GetCurrentDir(), before);
}

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/AnsiPaths.h"

// Names the ANSI code page cannot hold (Japanese, on a Russian or an English
// Windows): the listing and the current folder give forms the A functions open,
// and the real names come back for showing. Names it holds stay as they are.
TEST(FolderListing, NamesOutsideTheCodePageComeInAFormThatOpens) {
    TempFolder folder;
    const std::wstring base = platform::WideFromAnsiText(folder.Path());
    const std::wstring japanese = base + L"\\\u65E5\u672C\u306E\u58C1\u7D19", picture = L"\u5199\u771F.jpg";
    ASSERT_TRUE(CreateDirectoryW(japanese.c_str(), nullptr));
    HANDLE file = CreateFileW((japanese + L"\\" + picture).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "picture", 7, &written, nullptr);
    CloseHandle(file);
    WriteTextFile(folder / "plain.jpg", "x");

    std::string folderName;
    for (const auto& entry : List(folder.Path()))
        if (entry.isFolder && entry.name != "." && entry.name != "..") folderName = entry.name;
    const std::string listed = folder / folderName;
    EXPECT_TRUE(platform::DirectoryExists(listed)) << listed;
    const auto inside = List(listed);
    ASSERT_EQ(inside.size(), 3u);
    const std::string pictureFile = listed + "\\" + inside[2].name;
    EXPECT_EQ(platform::ReadFileBytes(pictureFile, 100).size(), 7u) << pictureFile;
    EXPECT_EQ(platform::ShownPath(listed), japanese);
    EXPECT_EQ(platform::ShownName(pictureFile), picture);

    // The other way: the folder part the code page holds is kept as it is.
    const std::string openable = platform::OpenableAnsiPath(japanese + L"\\" + picture);
    EXPECT_EQ(openable.rfind(folder.Path() + "\\", 0), 0u) << openable;
    EXPECT_TRUE(platform::FileExists(openable)) << openable;
    EXPECT_EQ(platform::OpenableAnsiPath(base + L"\\plain.jpg"), folder / "plain.jpg");
    EXPECT_EQ(platform::ShownPath(folder / "plain.jpg"), base + L"\\plain.jpg");

    const std::string before = platform::GetCurrentDir();
    ASSERT_TRUE(SetCurrentDirectoryW(japanese.c_str()));
    const std::string current = platform::GetCurrentDir();
    platform::SetCurrentDir(before);
    EXPECT_TRUE(platform::DirectoryExists(current)) << current;
    EXPECT_EQ(platform::ShownPath(current), japanese);
}

// Past MAX_PATH short names open and real names are told: a folder named in
// another script 300 characters down. A name of 5,000 characters (which Wine's
// GetLongPathNameW copies over its own buffer) is shown as it is; one with no
// short name stays as the code page reads it. The "\\?\" form is whole and plain.
TEST(FolderListing, PastMaxPathRealNamesAreShownAndShortNamesOpen) {
    TempFolder folder;
    std::string path = folder.Path();
    while (path.size() < 300) ASSERT_TRUE(platform::CreateDir(path += "\\" + std::string(50, 'x')));
    const std::wstring japanese = platform::WideFromAnsiText(path) + L"\\\u65E5\u672C\u306E\u58C1\u7D19";
    ASSERT_TRUE(CreateDirectoryW(platform::SystemPathOf(japanese).c_str(), nullptr));
    const std::string openable = platform::OpenableAnsiPath(japanese);
    EXPECT_TRUE(platform::DirectoryExists(openable)) << openable;
    EXPECT_EQ(platform::ShownPath(openable), japanese);
    const std::string tooLong = "C:\\" + std::string(5000, 'q');
    EXPECT_EQ(platform::ShownPath(tooLong), platform::WideFromAnsiText(tooLong));
    const std::wstring noShortName = L"C:\\" + std::wstring(5000, L'\u65E5'), x(300, L'x');
    EXPECT_EQ(platform::OpenableAnsiPath(noShortName), platform::AnsiLossy(noShortName));
    EXPECT_EQ(platform::SystemPathOf(L"\\\\server\\share\\" + x), L"\\\\?\\UNC\\server\\share\\" + x);
    EXPECT_EQ(platform::SystemPathOf(L"C:/a/./b/../" + x), L"\\\\?\\C:\\a\\" + x);
}
#endif

// The desktop wallpaper's values read back as they were set (Windows: from the
// registry), the path exactly as given; the values before are put back.
TEST(DesktopWallpaper, ValuesReadBackAsSet) {
    const platform::DesktopWallpaper before = platform::ReadDesktopWallpaper();
    TempFolder folder;
    const std::string bitmap = folder / "Tavrin WP.bmp";
    platform::SetDesktopWallpaper(bitmap, 3);
    const platform::DesktopWallpaper after = platform::ReadDesktopWallpaper();
    EXPECT_EQ(after.path, bitmap);
    EXPECT_EQ(after.style, "3");
    // With the tiling value: the style and "TileWallpaper" both read back.
    for (const auto& [style, tile] : {std::pair{22, 0}, {0, 1}}) {
        platform::SetDesktopWallpaper(bitmap, style, tile);
        const platform::DesktopWallpaper tiled = platform::ReadDesktopWallpaper();
        EXPECT_EQ(tiled.path, bitmap);
        EXPECT_EQ(tiled.style, std::to_string(style));
        EXPECT_EQ(tiled.tile, std::to_string(tile));
    }
    if (!before.style.empty())
        platform::SetDesktopWallpaper(before.path, std::stoi(before.style), before.tile.empty() ? 0 : std::stoi(before.tile));
}

// The monitors: none on POSIX; on Windows at least one, exactly one of them
// primary with its corner at the origin, none overlapping it.
TEST(DisplayMonitors, OnePrimaryAtTheOrigin) {
    const std::vector<platform::MonitorArea> monitors = platform::DisplayMonitors();
#ifdef _WIN32
    ASSERT_FALSE(monitors.empty());
    int primaries = 0;
    for (const platform::MonitorArea& m : monitors) {
        EXPECT_GT(m.width, 0);
        EXPECT_GT(m.height, 0);
        if (!m.primary) continue;
        ++primaries;
        EXPECT_EQ(m.x, 0);
        EXPECT_EQ(m.y, 0);
        EXPECT_EQ(m.width, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(m.height, GetSystemMetrics(SM_CYSCREEN));
    }
    EXPECT_EQ(primaries, 1);
    EXPECT_EQ(static_cast<int>(monitors.size()), GetSystemMetrics(SM_CMONITORS));
#else
    EXPECT_TRUE(monitors.empty());
#endif
}
