// Stepping through one folder's pictures for the preview.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "engine/PreviewList.h"
#include "platform/Platform.h"

using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

// Restores the current directory, should a step operation change it.
class PreviewListTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetCurrentDir(saved); }
    // Pictures whose order the host's sorted listing and Wine's agree on does
    // not matter: each test asks the listing for its order where it counts.
    void Files(std::initializer_list<const char*> names) {
        for (const char* name : names) WriteTextFile(folder / name, "x");
    }
    std::string saved = platform::GetCurrentDir();
    TempFolder folder;
};

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
        if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
        return true;
    });
    return names;
}

}  // namespace

TEST_F(PreviewListTest, StepsThroughThePicturesOfOneFolderWithoutWrapping) {
    Files({"a.jpg", "b.txt", "c.BMP", "d.Jpg", "e.jpeg", "f.bmp"});
    ASSERT_TRUE(platform::CreateDir(folder / "sub.jpg"));  // a folder passing the rule is listed like a file
    std::vector<std::string> pictures;
    for (const std::string& name : Listing(folder.Path()))
        if (name == "a.jpg" || name == "c.BMP" || name == "f.bmp" || name == "sub.jpg") pictures.push_back(name);
    ASSERT_EQ(pictures.size(), 4u);

    EXPECT_EQ(FirstPicture(folder.Path()), pictures.front());
    for (size_t i = 0; i + 1 < pictures.size(); ++i) {
        EXPECT_EQ(NextPicture(folder.Path(), pictures[i]), pictures[i + 1]);
        EXPECT_EQ(PreviousPicture(folder.Path(), pictures[i + 1]), pictures[i]);
    }
    // The ends stay where they are.
    EXPECT_EQ(NextPicture(folder.Path(), pictures.back()), pictures.back());
    EXPECT_EQ(PreviousPicture(folder.Path(), pictures.front()), pictures.front());
    // Both list the folder by its path: the current directory stays where it was.
    EXPECT_EQ(platform::GetCurrentDir(), saved);
}

// With option "allformats" the preview steps through PNG, WebP, ".jpeg" and
// names in any letter case too; the described rule still leaves them out.
TEST_F(PreviewListTest, AllFormatsStepsThroughEveryKind) {
    Files({"a.Jpg", "b.txt", "c.png", "d.WEBP", "e.jpeg", "f.gif"});
    std::vector<std::string> pictures;
    for (const std::string& name : Listing(folder.Path()))
        if (name != "b.txt" && name != "f.gif") pictures.push_back(name);
    ASSERT_EQ(pictures.size(), 4u);
    EXPECT_EQ(FirstPicture(folder.Path()), "none");
    EXPECT_EQ(FirstPicture(folder.Path(), PictureRule::AllFormats), pictures.front());
    for (size_t i = 0; i + 1 < pictures.size(); ++i) {
        EXPECT_EQ(NextPicture(folder.Path(), pictures[i], PictureRule::AllFormats), pictures[i + 1]);
        EXPECT_EQ(PreviousPicture(folder.Path(), pictures[i + 1], PictureRule::AllFormats), pictures[i]);
        EXPECT_EQ(NextPicture(folder.Path(), pictures[i]), pictures[i]);
    }
}

TEST_F(PreviewListTest, AVanishedPictureAndEmptyOrMissingFolders) {
    Files({"a.jpg", "m.jpg", "z.jpg"});
    const std::vector<std::string> names = Listing(folder.Path());
    // "Previous" from a name that is gone gives the last picture; "Next" stays on it.
    EXPECT_EQ(PreviousPicture(folder.Path(), "gone.jpg"), names.back());
    EXPECT_EQ(NextPicture(folder.Path(), "gone.jpg"), "gone.jpg");

    TempFolder empty;
    ASSERT_TRUE(platform::CreateDir(empty / "only-in-sub"));
    WriteTextFile(empty / "only-in-sub\\x.jpg", "x");
    EXPECT_EQ(FirstPicture(empty.Path()), "none");
    EXPECT_EQ(FirstPicture(folder / "missing"), "none");
    try {
        NextPicture(folder / "missing", "a.jpg");
        FAIL() << "stepped in a missing folder";
    } catch (const platform::Error& error) {
        EXPECT_EQ(std::string(error.what()), "File not found");
    }
    EXPECT_THROW(PreviousPicture(folder / "missing", "a.jpg"), platform::Error);
}
