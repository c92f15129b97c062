// Which folders under the plugins folder are plugins, and what their lines say:
// on the host against the POSIX listing, under Wine against the Win32 one.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/PluginFolders.h"
#include "platform/Platform.h"

using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

class PluginFoldersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::CreateDir(root)); }

    void AddPlugin(const std::string& folder, const std::string& ini) {
        ASSERT_TRUE(platform::CreateDir(root + "\\" + folder));
        WriteTextFile(root + "\\" + folder + "\\plugin.ini", ini);
    }
    // The folder names in the order the system lists them, "." and ".." left out.
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        platform::ListFolder(root, [&](const platform::FolderEntry& entry) {
            if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
            return true;
        });
        return names;
    }

    TempFolder folder;
    const std::string root = folder / "plugins";
};

std::vector<std::string> Folders(const std::vector<PluginListing>& plugins) {
    std::vector<std::string> folders;
    for (const PluginListing& plugin : plugins) folders.push_back(plugin.folder);
    return folders;
}

}  // namespace

TEST_F(PluginFoldersTest, ListsFoldersWithPluginIniInListingOrder) {
    AddPlugin("sepia", "[info]\r\nname=Sepia\r\nname_en=Sepia tone\r\nversion=2.5\r\n");
    AddPlugin("Blur", "[info]\r\nname=Blur\r\n");                        // no version
    AddPlugin("bare", "[other]\r\nname=elsewhere\r\n");                  // neither key in "info"
    ASSERT_TRUE(platform::CreateDir(root + "\\noini"));                 // a folder without plugin.ini
    WriteTextFile(root + "\\noini\\plugin.exe", "");
    WriteTextFile(root + "\\readme.txt", "a file is no plugin");
    // "." and ".." are passed over, even where plugin.ini would make them look like plugins.
    WriteTextFile(root + "\\plugin.ini", "[info]\r\nname=root itself\r\n");
    WriteTextFile(folder / "plugin.ini", "[info]\r\nname=the parent\r\n");

    const std::vector<PluginListing> plugins = FindPlugins(root, "sepia");
    std::vector<std::string> expected;
    for (const std::string& name : Listed())
        if (name == "sepia" || name == "Blur" || name == "bare") expected.push_back(name);
    EXPECT_EQ(Folders(plugins), expected);

    for (const PluginListing& plugin : plugins) {
        if (plugin.folder == "sepia") {
            EXPECT_EQ(PluginLineText(plugin), "Sepia ver. 2.5");
            EXPECT_EQ(PluginLineText(plugin, true), "Sepia tone ver. 2.5");  // with English captions
            EXPECT_TRUE(plugin.active);
        } else if (plugin.folder == "Blur") {
            EXPECT_EQ(PluginLineText(plugin), "Blur ver. 0.0");
            EXPECT_EQ(PluginLineText(plugin, true), "Blur ver. 0.0");  // no English name: its name
            EXPECT_FALSE(plugin.active);
        } else {
            EXPECT_EQ(PluginLineText(plugin), "unknow ver. 0.0");
            EXPECT_FALSE(plugin.active);
        }
    }
}

TEST_F(PluginFoldersTest, AMissingOrEmptyRootListsNothing) {
    EXPECT_TRUE(FindPlugins(root, "none").empty());
    EXPECT_TRUE(FindPlugins(folder / "missing", "none").empty());
    EXPECT_EQ(PluginConfigProgram(root, "sepia"), root + "\\sepia\\config.exe");
}

// A plugin.ini in UTF-8, with a byte-order mark or without one, gives UTF-8
// texts; any other file is read in the ANSI code page as ever.
TEST_F(PluginFoldersTest, ReadsUtf8PluginIniAsUtf8AndAnyOtherAsAnsi) {
    AddPlugin("marked", "\xEF\xBB\xBF[info]\r\nname=\xD0\xA1\xD0\xB5\xD0\xBF\xD0\xB8\xD1\x8F\r\nversion=2.0\r\nname_en=Sepia\r\n");
    AddPlugin("bare", "[info]\r\nname=\xE6\x97\xA5\xE6\x9C\xAC\r\n");                    // no mark, no version
    AddPlugin("ansi", "[info]\r\nname=\xD1\xE5\xEF\xE8\xFF\r\nversion=1.5\r\n");          // Windows-1251
    AddPlugin("ascii", "[info]\r\nname=Plain\r\nversion=1.0\r\n");
    AddPlugin("broken", "\xEF\xBB\xBF[info]\r\nname=\xC0\xAF\r\n");                       // marked, but an overlong form
    AddPlugin("empty", "\xEF\xBB\xBF");
    std::map<std::string, std::pair<std::string, bool>> lines;
    for (const PluginListing& plugin : FindPlugins(root, "none")) lines[plugin.folder] = {PluginLineText(plugin), plugin.utf8};
    EXPECT_EQ(lines["marked"], std::make_pair(std::string("\xD0\xA1\xD0\xB5\xD0\xBF\xD0\xB8\xD1\x8F ver. 2.0"), true));
    EXPECT_EQ(lines["bare"], std::make_pair(std::string("\xE6\x97\xA5\xE6\x9C\xAC ver. 0.0"), true));
    EXPECT_EQ(lines["ansi"], std::make_pair(std::string("\xD1\xE5\xEF\xE8\xFF ver. 1.5"), false));
    EXPECT_EQ(lines["ascii"], std::make_pair(std::string("Plain ver. 1.0"), false));
    for (const PluginListing& plugin : FindPlugins(root, "none"))
        if (plugin.folder == "marked") EXPECT_EQ(PluginLineText(plugin, true), "Sepia ver. 2.0");
    EXPECT_FALSE(lines["broken"].second);
    EXPECT_EQ(lines["empty"], std::make_pair(std::string("unknow ver. 0.0"), true));
    EXPECT_EQ(lines.size(), 6u);
}
