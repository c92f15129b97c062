// config.ini through the platform's private-profile functions: on the host
// against the POSIX INI rules, under Wine against GetPrivateProfileStringA and
// WritePrivateProfileStringA themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "platform/posix/ProfileText.h"

#ifndef _WIN32
#include <unistd.h>
#endif

using testing_support::ReadTextFile;
using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

TSettings LoadFrom(const std::string& path) {
    TSettings settings;
    LoadSettings(path, settings);
    return settings;
}

TSettings LoadText(const TempFolder& folder, const std::string& text) {
    const std::string path = folder / "config.ini";
    WriteTextFile(path, text);
    return LoadFrom(path);
}

std::vector<std::string> KeysInFileOrder(const std::string& text) {
    std::vector<std::string> keys;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        size_t equals = line.find('=');
        if (equals != std::string::npos) keys.push_back(line.substr(0, equals));
        start = end + 1;
    }
    return keys;
}

}  // namespace

TEST(LoadSettings, WithoutAFileKeepsTheValuesItHas) {
    TempFolder folder;
    TSettings settings;
    settings.nwptimer = 77;
    settings.plugin_directory = "kept";
    LoadSettings(folder / "config.ini", settings);
    EXPECT_EQ(settings.nwptimer, 77);
    EXPECT_EQ(settings.plugin_directory, "kept");

    // A first start: the zero values, which are not the defaults of missing keys.
    const TSettings first = LoadFrom(folder / "config.ini");
    EXPECT_EQ(first.wallpaper_directory, "");
    EXPECT_EQ(first.plugin_directory, "");
    EXPECT_FALSE(first.startup);
    EXPECT_FALSE(first.changestart);
    EXPECT_FALSE(first.wptimer);
    EXPECT_EQ(first.nwptimer, 0);
    EXPECT_EQ(first.WpTimerUnit, 0);
    EXPECT_EQ(first.WpTimerDay, 0);
    EXPECT_EQ(first.number, 0);
    EXPECT_EQ(first.BackgroundColor, 0u);
}

TEST(LoadSettings, MissingKeysTakeTheirDefaults) {
    TempFolder folder;
    for (const char* text : {"[options]\r\n", "", "[other]\r\nnwptimer=5\r\n"}) {
        const TSettings s = LoadText(folder, text);
        EXPECT_EQ(s.wallpaper_directory, "") << text;
        EXPECT_EQ(s.plugin_directory, "none") << text;
        EXPECT_FALSE(s.startup || s.changestart || s.wptimer) << text;
        EXPECT_EQ(s.nwptimer, 60) << text;
        EXPECT_EQ(s.WpTimerUnit, 0) << text;
        EXPECT_EQ(s.WpTimerDay, 0) << text;
        EXPECT_EQ(s.number, 0) << text;
        EXPECT_EQ(s.BackgroundColor, 0x0000FFu) << text;  // red
    }
}

TEST(LoadSettings, APresentEmptyValueIsNotReplacedByTheDefault) {
    TempFolder folder;
    const TSettings s = LoadText(folder, "[options]\r\nplugin_directory=\r\nwallpaper_directory=\r\nnwptimer=\r\n");
    EXPECT_EQ(s.plugin_directory, "");
    EXPECT_EQ(s.wallpaper_directory, "");
    EXPECT_EQ(s.nwptimer, 60);  // an empty number is not a number
}

TEST(LoadSettings, MatchesSectionAndKeysWithoutRegardToCase) {
    TempFolder folder;
    const TSettings s = LoadText(folder,
                                 "[OPTIONS]\r\nWALLPAPER_DIRECTORY=C:\\Pictures\r\nNwpTimer=15\r\n"
                                 "wptimerunit=1\r\nr=1\r\ng=2\r\nb=3\r\nPLUGIN_DIRECTORY=Sepia\r\n");
    EXPECT_EQ(s.wallpaper_directory, "C:\\Pictures");
    EXPECT_EQ(s.nwptimer, 15);
    EXPECT_EQ(s.WpTimerUnit, 1);
    EXPECT_EQ(s.BackgroundColor, 0x030201u);
    EXPECT_EQ(s.plugin_directory, "Sepia");
}

TEST(LoadSettings, ReadsBooleansAsIntegers) {
    TempFolder folder;
    struct Case {
        const char* value;
        bool expected;
    } cases[] = {{"1", true}, {"2", true}, {"-1", true}, {"0x10", true}, {"0", false},
                 {"yes", false}, {"true", false}, {"", false}};
    for (const Case& c : cases) {
        const TSettings s = LoadText(folder, std::string("[options]\r\nwptimer=") + c.value + "\r\nstartup=" +
                                                 c.value + "\r\nchangestart=" + c.value + "\r\n");
        EXPECT_EQ(s.wptimer, c.expected) << c.value;
        EXPECT_EQ(s.startup, c.expected) << c.value;
        EXPECT_EQ(s.changestart, c.expected) << c.value;
    }
}

TEST(LoadSettings, ReadsDecimalAndPrefixedHexadecimalIntegers) {
    TempFolder folder;
    struct Case {
        const char* value;
        int32_t expected;
    } cases[] = {{"30", 30},          {"0x1E", 30},          {"0X1e", 30},         {"$1E", 30},
                 {"-7", -7},          {"  42  ", 42},        {"+8", 8},            {"1E", 60},
                 {"12abc", 60},       {"0x", 60},            {"$", 60},            {"-", 60},
                 {"2147483647", INT_MAX}, {"2147483648", 60}, {"-2147483648", INT_MIN},
                 {"$FFFFFFFF", -1},   {"$100000000", 60},    {"1.5", 60},          {"99999999999999999999", 60}};
    for (const Case& c : cases) {
        const TSettings s = LoadText(folder, std::string("[options]\r\nnwptimer=") + c.value + "\r\n");
        EXPECT_EQ(s.nwptimer, c.expected) << c.value;
    }
}

TEST(LoadSettings, TakesOnlyTheLowByteOfEachColourKey) {
    TempFolder folder;
    EXPECT_EQ(LoadText(folder, "[options]\r\nR=300\r\nG=0\r\nB=0\r\n").BackgroundColor, 44u);
    EXPECT_EQ(LoadText(folder, "[options]\r\nR=-1\r\nG=0\r\nB=0\r\n").BackgroundColor, 255u);
    EXPECT_EQ(LoadText(folder, "[options]\r\nR=0\r\nG=256\r\nB=511\r\n").BackgroundColor, 0xFF0000u);
    EXPECT_EQ(LoadText(folder, "[options]\r\nR=$12\r\nG=$34\r\nB=$56\r\n").BackgroundColor, 0x563412u);
}

TEST(LoadSettings, ReadsUpTo2047CharactersOfAString) {
    TempFolder folder;
    const std::string longFolder = "C:\\" + std::string(2500, 'p');
    const TSettings s = LoadText(folder, "[options]\r\nwallpaper_directory=" + longFolder + "\r\n");
    EXPECT_EQ(s.wallpaper_directory, longFolder.substr(0, 2047));
}

TEST(SaveSettings, WritesTheTwelveKeysInTheirOrderAndReadsBackTheSame) {
    TempFolder folder;
    const std::string path = folder / "config.ini";
    TSettings saved;
    saved.wallpaper_directory = "D:\\My Pictures\\\xCB\xE5\xF2\xEE";  // "Лето" in code page 1251
    saved.plugin_directory = "";
    saved.startup = true;
    saved.changestart = false;
    saved.wptimer = true;
    saved.nwptimer = -15;
    saved.WpTimerUnit = -1;
    saved.WpTimerDay = 31;
    saved.number = 12345;
    saved.BackgroundColor = 0x00A1B2C3;
    SaveSettings(path, saved);

    const std::string text = ReadTextFile(path);
    EXPECT_EQ(KeysInFileOrder(text),
              (std::vector<std::string>{"wallpaper_directory", "plugin_directory", "startup", "changestart",
                                        "wptimer", "nwptimer", "WpTimerUnit", "WpTimerDay", "number", "R", "G",
                                        "B"}));
    EXPECT_NE(text.find("startup=1"), std::string::npos);
    EXPECT_NE(text.find("changestart=0"), std::string::npos);
    EXPECT_NE(text.find("nwptimer=-15"), std::string::npos);
    EXPECT_NE(text.find("R=195"), std::string::npos);
    EXPECT_NE(text.find("G=178"), std::string::npos);
    EXPECT_NE(text.find("B=161"), std::string::npos);

    const TSettings loaded = LoadFrom(path);
    EXPECT_EQ(loaded.wallpaper_directory, saved.wallpaper_directory);
    EXPECT_EQ(loaded.plugin_directory, "");  // present and empty: not "none"
    EXPECT_EQ(loaded.startup, true);
    EXPECT_EQ(loaded.changestart, false);
    EXPECT_EQ(loaded.wptimer, true);
    EXPECT_EQ(loaded.nwptimer, -15);
    EXPECT_EQ(loaded.WpTimerUnit, -1);
    EXPECT_EQ(loaded.WpTimerDay, 31);
    EXPECT_EQ(loaded.number, 12345);
    EXPECT_EQ(loaded.BackgroundColor, 0x00A1B2C3u);
}

// The keys of the choices a user turns on stay out of a file until the user
// has one; once in the file, a choice set back to its default is written back.
TEST(SaveSettings, WritesAChoiceKeyOnlyOnceTheUserHasIt) {
    TempFolder folder;
    const std::string path = folder / "config.ini";
    TSettings settings;
    SaveSettings(path, settings);
    const std::string described = ReadTextFile(path);
    for (const char* key : {"fitscreen", "shuffle", "shuffleseed", "allformats", "language", "current"})
        EXPECT_EQ(described.find(std::string(key) + "="), std::string::npos) << key;

    settings.shuffle = true;
    settings.language = "en";
    SaveSettings(path, settings);
    EXPECT_EQ(LoadFrom(path).shuffle, true);
    EXPECT_EQ(LoadFrom(path).language, "en");
    EXPECT_EQ(ReadTextFile(path).find("fitscreen="), std::string::npos);

    settings.shuffle = false;
    settings.language = "";
    SaveSettings(path, settings);
    EXPECT_EQ(platform::ReadIniString(path, "options", "shuffle", "<none>"), "0");
    EXPECT_EQ(platform::ReadIniString(path, "options", "language", "<none>"), "");
    EXPECT_EQ(KeysInFileOrder(ReadTextFile(path)).size(), 14u);
}

TEST(SaveSettings, UpdatesAnExistingFileInPlaceAndKeepsForeignContent) {
    TempFolder folder;
    const std::string path = folder / "config.ini";
    WriteTextFile(path, "[options]\r\nnumber=3\r\nextra=kept\r\n[plugin]\r\nstrength=5\r\n");
    TSettings settings = LoadFrom(path);
    settings.number = 4;
    SaveSettings(path, settings);
    EXPECT_EQ(LoadFrom(path).number, 4);
    EXPECT_EQ(platform::ReadIniString(path, "options", "extra", ""), "kept");
    EXPECT_EQ(platform::ReadIniString(path, "plugin", "strength", ""), "5");
    const std::string text = ReadTextFile(path);
    EXPECT_EQ(text.find("number=3"), std::string::npos);
    EXPECT_LT(text.find("number=4"), text.find("[plugin]"));
}

// A config.ini saved as UTF-16 (Notepad's "Unicode") or with a UTF-8 mark is
// read in its encoding and written back in it, every other line kept: a
// restart reads what was saved.
TEST(SaveSettings, AFileInUtf16OrWithAUtf8MarkKeepsItsEncodingAndEveryLine) {
    using platform::ProfileEncoding;
    TempFolder folder;
    const std::string path = folder / "config.ini";
    const std::string before = "; \xD0\xBC\xD0\xBE\xD0\xB8 \xE2\x98\xBA\r\n[options]\r\nwallpaper_directory=C:\\Caf\xC3\xA9\r\n"
                               "number=3\r\nextra=kept\r\n[plugin]\r\nstrength=5\r\n";
    for (const ProfileEncoding encoding : {ProfileEncoding::Utf16, ProfileEncoding::Utf8}) {
        const std::string bytes = platform::EncodeProfileText(encoding, before);
        WriteTextFile(path, bytes);
        TSettings settings = LoadFrom(path);
        EXPECT_EQ(settings.number, 3);
        EXPECT_EQ(settings.wallpaper_directory, platform::AnsiFromUtf8("C:\\Caf\xC3\xA9"));
        settings.number = 4;
        settings.wallpaper_directory = platform::AnsiFromUtf8("D:\\Na\xC3\xAFve");
        settings.plugin_directory = "sepia";
        SaveSettings(path, settings);
        SaveSetting(path, settings, "plugin_directory");

        ProfileEncoding stored = ProfileEncoding::Ansi;
        const std::string text = platform::DecodeProfileText(ReadTextFile(path), stored);
        EXPECT_EQ(stored, encoding);
        const std::string kept[] = {"; \xD0\xBC\xD0\xBE\xD0\xB8 \xE2\x98\xBA\r\n[options]\r\n",
                                    "wallpaper_directory=D:\\Na\xC3\xAFve\r\n", "number=4\r\n",
                                    "extra=kept\r\n", "[plugin]\r\nstrength=5\r\n", "nwptimer=60\r\n"};
        for (const std::string& line : kept) EXPECT_NE(text.find(line), std::string::npos) << line << text;
        EXPECT_EQ(text.find("[options]"), text.rfind("[options]")) << text;
        const TSettings again = LoadFrom(path);
        EXPECT_EQ(again.number, 4);
        EXPECT_EQ(again.wallpaper_directory, settings.wallpaper_directory);
        EXPECT_EQ(again.plugin_directory, "sepia");
    }
}

// A config.ini too large to rewrite still gives its keys, and a save says what
// is wrong and what to do, leaving the file as it is.
TEST(SaveSettings, AFileTooLargeToRewriteKeepsItsKeysAndSaysWhatToDo) {
    TempFolder folder;
    const std::string path = folder / "config.ini";
    std::string text = "[options]\r\nnumber=7\r\nwallpaper_directory=C:\\P\r\n[notes]\r\n";
    const std::string line = "; " + std::string(1000, 'n') + "\r\n";
    while (text.size() <= kMaxSettingsFileBytes) text += line;
    WriteTextFile(path, text);
    TSettings settings = LoadFrom(path);
    EXPECT_EQ(settings.number, 7);
    EXPECT_EQ(settings.wallpaper_directory, "C:\\P");
    settings.number = 1;
    for (int save = 0; save < 2; ++save) {
        try {
            save == 0 ? SaveSettings(path, settings) : SaveSetting(path, settings, "number");
            ADD_FAILURE() << "a save of a file over the bound succeeded";
        } catch (const platform::Utf8Error& error) {
            EXPECT_STREQ(error.what(), "config.ini is larger than 16 MB; move it away and press \xD0\x9F\xD1\x80\xD0\xB8"
                                       "\xD0\xBC\xD0\xB5\xD0\xBD\xD0\xB8\xD1\x82\xD1\x8C again");
        }
    }
    EXPECT_TRUE(ReadTextFile(path) == text);
    EXPECT_FALSE(platform::FileExists(path + ".tmp"));
}

TEST(SaveSettings, AFailedWriteRaisesUnableToWriteAndWritesNothing) {
    TempFolder folder;
    const std::string path = folder / "missing\\config.ini";
    TSettings settings;
    settings.number = 9;
    try {
        SaveSettings(path, settings);
        FAIL() << "saving into a missing folder succeeded";
    } catch (const platform::Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
    EXPECT_FALSE(platform::FileExists(path));
}

// A write that fails (the temporary file's place taken; a full disk) leaves config.ini as it was.
TEST(SaveSettings, AWriteThatFailsLeavesTheOldFileWholeAndIsReported) {
    TempFolder folder;
    const std::string path = folder / "config.ini", before = "; mine\r\n[options]\r\nnumber=3\r\n[x]\r\ny=5\r\n";
    WriteTextFile(path, before);
    TSettings settings;
    settings.wallpaper_directory = std::string(3000, 'p');
    auto failedSave = [&] {
        EXPECT_EQ(testing_support::ThrownText([&] { SaveSettings(path, settings); }), "Unable to write to " + path);
        EXPECT_EQ(ReadTextFile(path), before);
        EXPECT_FALSE(platform::FileExists(path + ".tmp"));
    };
    ASSERT_TRUE(platform::CreateDir(path + ".tmp"));
    failedSave();
#ifndef _WIN32
    ASSERT_TRUE(testing_support::RenamePath(path + ".tmp", folder / "aside"));
    std::string link = path + ".tmp";
    std::replace(link.begin(), link.end(), '\\', '/');
    ASSERT_EQ(symlink("/dev/full", link.c_str()), 0);
    failedSave();
#endif
}

TEST(SaveSetting, WritesTheOneKeyAsSaveSettingsWouldAndNoOther) {
    TempFolder folder;
    const std::string path = folder / "config.ini";
    WriteTextFile(path, "[options]\r\nnumber=3\r\n");
    TSettings settings;
    settings.plugin_directory = "sepia";
    settings.number = 8;
    settings.BackgroundColor = 0x00A1B2C3;
    SaveSetting(path, settings, "plugin_directory");
    SaveSetting(path, settings, "G");
    EXPECT_EQ(platform::ReadIniString(path, "options", "plugin_directory", ""), "sepia");
    EXPECT_EQ(platform::ReadIniString(path, "options", "G", ""), "178");
    EXPECT_EQ(platform::ReadIniString(path, "options", "number", ""), "3");
    EXPECT_EQ(platform::ReadIniString(path, "options", "R", "<none>"), "<none>");
    EXPECT_THROW(SaveSetting(path, settings, "plugin"), std::invalid_argument);
}

TEST(LoadSettings, HostileFilesLoadAndAreWrittenBackSound) {
    TempFolder folder;
    const std::string path = folder / "config.ini";
    const std::string extremes = "[options]\r\nnwptimer=2147483647\r\nWpTimerUnit=2\r\nnumber=-2147483648\r\n"
                                 "WpTimerDay=99999999999\r\nR=-1\r\nG=256\r\nB=\x01\x02\r\nwallpaper_directory=" +
                                 std::string(5000, 'a') + "\r\n";
    const std::string texts[] = {extremes, "", std::string(300, '\xFF'), "\x01\x7F\x80garbage=\xC0[\r"};
    auto fields = [](const TSettings& s) {
        return std::make_tuple(s.wallpaper_directory, s.plugin_directory, s.startup, s.changestart, s.wptimer,
                               s.nwptimer, s.WpTimerUnit, s.WpTimerDay, s.number, s.BackgroundColor);
    };
    // Whatever the file held, settings written over it read back as written.
    TSettings wanted;
    wanted.wallpaper_directory = "C:\\Pictures";
    wanted.plugin_directory = "sepia";
    wanted.startup = wanted.wptimer = true;
    wanted.nwptimer = 5;
    wanted.WpTimerUnit = wanted.WpTimerDay = 1;
    wanted.number = 9;
    wanted.BackgroundColor = 0x123456;
    for (const std::string& text : texts) {
        WriteTextFile(path, text);
        LoadFrom(path);
        SaveSettings(path, wanted);
        EXPECT_EQ(fields(LoadFrom(path)), fields(wanted)) << text.substr(0, 40);
    }
    WriteTextFile(path, extremes);
    const TSettings s = LoadFrom(path);
    EXPECT_EQ(fields(s), std::make_tuple(std::string(2047, 'a'), std::string("none"), false, false, false, INT32_MAX,
                                         2, 0, INT32_MIN, 0x0000FFu));
}
