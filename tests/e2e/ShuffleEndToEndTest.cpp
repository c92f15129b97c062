// The real tavrinwp.exe with "shuffle" on, and the tray items of the picture
// on the desktop reaching the shell of its own Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "Driver.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "tests/image/JpegFixture.h"
#include "ui/Commands.h"
#include "ui/Main.h"

using e2e::Program;
using testing_support::MakeJpeg;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using testing_support::WriteTextFile;

namespace {

class ShuffleEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const e2e::DataFiles files = e2e::FreshDataFolder();
        config = files.config;
        bitmap = files.bitmap;
        ASSERT_TRUE(platform::CreateDir(tree / "sub"));
        for (int i = 1; i <= 7; ++i) AddPicture(i);
    }
    // i.jpg makes a wallpaper 130 + 10 i pixels wide; every third one in "sub".
    std::string AddPicture(int i) {
        const std::string path = tree / ((i % 3 == 0 ? "sub\\" : "") + std::to_string(i) + ".jpg");
        WriteBytes(path, MakeJpeg(130 + 10 * i, 100, [](int, int) { return 0x204060u; }));
        return path;
    }
    void WriteConfig(const std::string& more) {
        WriteTextFile(config, "[options]\r\nwallpaper_directory=" + tree.Path() + "\r\nnumber=1\r\n" + more);
    }
    std::string Key(const char* name) { return platform::ReadIniString(config, "options", name, "<none>"); }
    // Which picture the wallpaper bitmap was made from.
    int Shown() {
        const std::vector<uint8_t> bytes = platform::ReadFileBytes(bitmap, 1u << 28);
        return (DecodeBmp(bytes.data(), bytes.size()).width - 130) / 10;
    }
    // The program and its main window, started in the tray.
    HWND Start(Program& program) {
        EXPECT_TRUE(program.WaitUntilIdle());
        return program.FindWindowOfClass("TForm1");
    }
    std::vector<int> Clicks(HWND form, int count) {
        std::vector<int> shown;
        for (int i = 0; i < count; ++i) {
            e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
            shown.push_back(Shown());
            // "current" names the picture on the desktop.
            const std::string current = Key("current");
            EXPECT_EQ(std::stoi(current.substr(current.find_last_of('\\') + 1)), shown.back()) << current;
        }
        return shown;
    }

    TempFolder tree;
    std::string config, bitmap;
};

std::set<int> AsSet(const std::vector<int>& shown) { return std::set<int>(shown.begin(), shown.end()); }

// The box the program shows now, with its text, or null.
HWND ProgramBox(DWORD id, std::wstring& text) {
    HWND found = nullptr;
    e2e::WaitFor([&] {
        for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(box, &owner);
            if (owner != id || !IsWindowVisible(box)) continue;
            found = box;
            text = e2e::WindowText(GetDlgItem(box, 0xFFFF));
            return true;
        }
        return false;
    });
    return found;
}

}  // namespace

// Two rounds over seven pictures: each shows every one once, in other orders.
// "Предыдущая" retraces the round, also after the program ended and started
// again; a picture added in the middle of a round starts a new round of eight.
TEST_F(ShuffleEndToEnd, RoundsShowEveryPictureOncePreviousRetracesAndANewPictureStartsARound) {
    WriteConfig("shuffle=1\r\n");
    std::vector<int> first, second, third;
    {
        Program program("startup");
        HWND form = Start(program);
        ASSERT_NE(form, nullptr);
        first = Clicks(form, 7);
        EXPECT_EQ(AsSet(first), std::set<int>({1, 2, 3, 4, 5, 6, 7}));
        EXPECT_EQ(Key("number"), "1");
        second = Clicks(form, 7);
        EXPECT_EQ(AsSet(second), AsSet(first));
        EXPECT_NE(second, first);
        third = Clicks(form, 3);
        EXPECT_EQ(Key("number"), "4");
        e2e::Deliver(form, WM_COMMAND, CmdTrayPrevious, 0);
        EXPECT_EQ(Shown(), third[1]);
        PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
        ASSERT_TRUE(program.WaitForExit());
    }
    const std::string seed = Key("shuffleseed");
    {
        Program program("startup");
        HWND form = Start(program);
        ASSERT_NE(form, nullptr);
        e2e::Deliver(form, WM_COMMAND, CmdTrayPrevious, 0);
        EXPECT_EQ(Shown(), third[0]);
        EXPECT_EQ(Key("number"), "2");
        EXPECT_EQ(Key("shuffleseed"), seed);
        EXPECT_EQ(Clicks(form, 2), std::vector<int>({third[1], third[2]}));

        AddPicture(8);
        std::vector<int> round = Clicks(form, 8);
        EXPECT_NE(Key("shuffleseed"), seed);
        EXPECT_EQ(Key("number"), "1");
        EXPECT_EQ(AsSet(round), std::set<int>({1, 2, 3, 4, 5, 6, 7, 8}));
    }
}

// "Параметры" -> "Случайный порядок" turns the order on and off, saved at
// once, and shows its check.
TEST_F(ShuffleEndToEnd, TheOptionsItemTurnsRandomOrderOnAndSavesAtOnce) {
    WriteConfig("");
    Program program("startup");
    HWND form = Start(program);
    ASSERT_NE(form, nullptr);
    e2e::Deliver(form, WM_COMMAND, CmdShuffle, 0);
    EXPECT_EQ(Key("shuffle"), "1");
    const std::vector<int> shown = Clicks(form, 7);
    EXPECT_EQ(AsSet(shown), std::set<int>({1, 2, 3, 4, 5, 6, 7}));
    e2e::Deliver(form, WM_COMMAND, CmdShuffle, 0);
    EXPECT_EQ(Key("shuffle"), "0");
}

// What reaches the shell: the picture's path given to its "open" command (a
// helper program registered for .jpg records it), Explorer started on its
// folder, and the file gone from the folder after "Удалить картинку" and a
// yes; when it is gone already, the program says so and only changes.
TEST_F(ShuffleEndToEnd, TheTrayItemsOpenShowAndDeleteThePictureOnTheDesktop) {
    TempFolder records;
    const std::string marker = records / "opened.txt";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ".jpg", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("TavrinTest.Picture"), 19);
    RegCloseKey(key);
    const std::string command = "\"" + testing_support::HelperProgram("ChildProcess") + "\" \"" + marker + "\" 0 \"%1\"";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "TavrinTest.Picture\\shell\\open\\command", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              0);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);

    WriteConfig("");
    Program program("startup");
    HWND form = Start(program);
    ASSERT_NE(form, nullptr);
    e2e::Deliver(form, WM_COMMAND, CmdTrayOpenPicture, 0);  // nothing shown yet: nothing opens
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    const std::string shown = Key("current");
    ASSERT_TRUE(platform::FileExists(shown));

    e2e::Deliver(form, WM_COMMAND, CmdTrayOpenPicture, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return platform::FileExists(marker); }));
    EXPECT_EQ(testing_support::ReadTextFile(marker), shown + "\n");
    // The word from a later start does the same.
    ASSERT_TRUE(platform::RemoveFile(marker));
    {
        Program word("open");
        EXPECT_TRUE(word.WaitForExit());
    }
    ASSERT_TRUE(e2e::WaitFor([&] { return platform::FileExists(marker); }));
    EXPECT_EQ(testing_support::ReadTextFile(marker), shown + "\n");

    // Explorer on the folder: a window of its own process, titled with the
    // folder's name (Wine's explorer shows the folder; the selection it keeps
    // to itself).
    const std::string folder = shown.substr(0, shown.find_last_of('\\'));
    auto explorerWindows = [&] {
        int count = 0;
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"ExplorerWClass", nullptr));) {
            const std::wstring title = e2e::WindowText(window);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (IsWindowVisible(window) && owner != program.Id() &&
                title.find(std::wstring(folder.begin() + folder.find_last_of('\\') + 1, folder.end())) != std::wstring::npos)
                ++count;
        }
        return count;
    };
    EXPECT_EQ(explorerWindows(), 0);
    e2e::Deliver(form, WM_COMMAND, CmdTrayShowInFolder, 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return explorerWindows() > 0; }));
    // And so does the word "folder", once those windows are closed.
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"ExplorerWClass", nullptr));)
        PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return explorerWindows() == 0; }));
    {
        Program word("folder");
        EXPECT_TRUE(word.WaitForExit());
    }
    EXPECT_TRUE(e2e::WaitFor([&] { return explorerWindows() > 0; }));

    // Deleting asks first; yes moves the file away and changes the picture.
    PostMessageW(form, WM_COMMAND, CmdTrayDeletePicture, 0);
    std::wstring text;
    HWND box = ProgramBox(program.Id(), text);
    ASSERT_NE(box, nullptr);
    const std::string name = shown.substr(shown.find_last_of('\\') + 1);
    EXPECT_EQ(text, L"Удалить " + std::wstring(name.begin(), name.end()) + L" в Корзину?");
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return !platform::FileExists(shown) && Key("current") != shown; }));
    EXPECT_TRUE(platform::FileExists(Key("current")));

    // Gone already: the program says so and changes.
    const std::string next = Key("current");
    ASSERT_TRUE(platform::RemoveFile(next));
    PostMessageW(form, WM_COMMAND, CmdTrayDeletePicture, 0);
    box = ProgramBox(program.Id(), text);
    ASSERT_NE(box, nullptr);
    const std::string nextName = next.substr(next.find_last_of('\\') + 1);
    EXPECT_EQ(text, L"Картинки " + std::wstring(nextName.begin(), nextName.end()) + L" уже нет");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return Key("current") != next && platform::FileExists(Key("current")); }));
}
