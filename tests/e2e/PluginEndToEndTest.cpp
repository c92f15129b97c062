// The real tavrinwp.exe with the sepia plugin beside it: switched on in the
// plugin window, the next change's wallpaper carries the effect; switched off,
// it does not; minimising hides the plugin window too.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "Driver.h"
#include "Effects.h"
#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "tests/image/JpegFixture.h"
#include "engine/Render.h"
#include "tests/engine/RenderedCanvas.h"
#include "platform/Platform.h"
#include "toolkit/Forms.h"
#include "ui/Main.h"
#include "ui/PluginForm.h"

using e2e::Program;
using testing_support::MakeJpeg;
using testing_support::ReadTextFile;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using testing_support::WriteTextFile;

namespace {

using e2e::Deliver;

std::wstring Line(HWND list, int index) {
    wchar_t text[256] = {};
    Deliver(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

Bitmap ReadBitmap(const std::string& path) {
    const std::vector<uint8_t> bytes = platform::ReadFileBytes(path, 1u << 28);
    return DecodeBmp(bytes.data(), bytes.size());
}

// A copy of the program in `programDir` with an empty plugin folder `name`
// beside it; gives the plugin folder.
std::string ProgramWithPlugin(const std::string& programDir, const std::string& name) {
    const std::string plugin = programDir + "\\plugins\\" + name;
    for (const std::string& path : {programDir, programDir + "\\plugins", plugin}) EXPECT_TRUE(platform::CreateDir(path));
    EXPECT_TRUE(CopyFileA(TAVRINWP_EXE, (programDir + "\\tavrinwp.exe").c_str(), FALSE));
    return plugin;
}

// How many later starts the copy `process` has told that it is closing (they
// wait for it to end), asked of its hand-over window; -1 without one.
int ClosingAnswers(DWORD process) {
    for (HWND window = nullptr;
         (window = FindWindowExW(HWND_MESSAGE, window, L"TavrinWallpaper.HandOver", nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        DWORD_PTR answer = 0;
        if (owner == process && SendMessageTimeoutW(window, WM_APP + 3, 0, 0, SMTO_NORMAL, 30000, &answer))
            return static_cast<int>(answer);
    }
    return -1;
}

// A wallpaper folder of `pictures` pictures and a copy of the program whose
// plugin "hang" hangs while its .mode file says so, the rotation at 1.
struct HangingPluginSetup {
    explicit HangingPluginSetup(int pictures = 4) {
        files = e2e::FreshDataFolder();
        programDir = folder / "Tavrin Program";
        plugin = ProgramWithPlugin(programDir, "hang");
        EXPECT_TRUE(CopyFileA(testing_support::HelperProgram("InvertPlugin").c_str(),
                              (plugin + "\\plugin.exe").c_str(), FALSE));
        mode = plugin + "\\plugin.exe.mode";
        ran = plugin + "\\plugin.exe.ran";
        const std::string tree = folder / "pictures";
        EXPECT_TRUE(platform::CreateDir(tree));
        for (int picture = 0; picture < pictures; ++picture)
            WriteBytes(tree + "\\" + static_cast<char>('a' + picture) + ".jpg",
                       MakeJpeg(130, 100, [](int, int) { return 7u; }));
        WriteTextFile(files.config,
                      "[options]\r\nwallpaper_directory=" + tree + "\r\nnumber=1\r\nplugin_directory=hang\r\n");
    }
    std::string number() const { return e2e::ReadOption(files.config, "options", "number", "?"); }
    // Starts a change whose plugin hangs; gives the plugin's process id.
    DWORD HangingChange(HWND form) const {
        WriteTextFile(mode, "hang");
        DeleteFileA(ran.c_str());
        PostMessageW(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
        EXPECT_TRUE(e2e::WaitFor(
            [&] { return platform::FileExists(ran) && ReadTextFile(ran).find('\n') != std::string::npos; }, 120000));
        return platform::FileExists(ran) ? static_cast<DWORD>(std::stoul(ReadTextFile(ran))) : 0;
    }
    // Ends the hanging plugin; its later runs do not hang.
    void EndPlugin(DWORD pid) const {
        HANDLE hung = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
        EXPECT_NE(hung, nullptr);
        if (hung) {
            TerminateProcess(hung, 9);
            CloseHandle(hung);
        }
        // A plugin may be looking at the file this moment.
        EXPECT_TRUE(e2e::WaitFor([&] { return DeleteFileA(mode.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; }));
    }

    e2e::DataFiles files;
    TempFolder folder;
    std::string programDir, plugin, mode, ran;
};

}  // namespace

TEST(PluginEndToEnd, TheSwitchedOnPluginReworksTheNextWallpaper) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    const std::string config = files.config, bitmap = files.bitmap;

    // The program's folder, with spaces, holding the program and the shipped plugin.
    TempFolder folder;
    const std::string programDir = folder / "Tavrin Program", plugin = ProgramWithPlugin(programDir, "sepia");
    for (const char* file : {"plugin.exe", "config.exe", "plugin.ini"})
        ASSERT_TRUE(CopyFileA((std::string(SEPIA_PLUGIN_DIR) + "\\" + file).c_str(), (plugin + "\\" + file).c_str(),
                              FALSE))
            << file;
    WriteTextFile(plugin + "\\settings.ini", "[sepia]\r\neffect=both\r\nstrength=90\r\n");

    const std::string tree = folder / "pictures";
    ASSERT_TRUE(platform::CreateDir(tree));
    const std::string picture = tree + "\\wide.jpg";
    WriteBytes(picture, MakeJpeg(240, 100, [](int x, int y) { return static_cast<uint32_t>(x * 0x010203 ^ y * 0x030201); }));
    WriteTextFile(config, "[options]\r\nwallpaper_directory=" + tree +
                              "\r\nchangestart=0\r\nnumber=1\r\nplugin_directory=none\r\nR=0\r\nG=0\r\nB=128\r\n"
                              "[extra]\r\nkept=yes\r\n");

    Program program("", SW_SHOWNORMAL, programDir, programDir + "\\tavrinwp.exe");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    ASSERT_NE(form, nullptr);

    // "Файл" -> "Плагины": the plugin window with the one plugin's line.
    Deliver(form, WM_COMMAND, CmdPlugins, 0);
    HWND window = program.FindWindowOfClass("TPluginForm");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    HWND list = GetDlgItem(window, TPluginForm::kListBox1Id);
    ASSERT_EQ(Deliver(list, LB_GETCOUNT, 0, 0), 1);
    // Its plugin.ini is UTF-8: the Russian name reads right on any code page.
    const std::wstring line = WideFromUtf8("Сепия и виньетка ver. 1.0");
    EXPECT_EQ(Line(list, 0), line);

    // Select the line and press "Вкл".
    Deliver(list, LB_SETCURSEL, 0, 0);
    Deliver(window, WM_COMMAND, MAKEWPARAM(TPluginForm::kListBox1Id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, TPluginForm::kButtonSettingsId)));  // the plugin has config.exe
    Deliver(GetDlgItem(window, TPluginForm::kButtonOnId), BM_CLICK, 0, 0);
    EXPECT_EQ(platform::ReadIniString(config, "options", "plugin_directory", "?"), "sepia");
    EXPECT_EQ(platform::ReadIniString(config, "options", "number", "?"), "1");
    EXPECT_EQ(platform::ReadIniString(config, "extra", "kept", "?"), "yes");
    EXPECT_EQ(Line(list, 0), line + L" " + WideFromUtf8("Вкл"));

    // A press on the tray icon: the wallpaper is the fitted picture, reworked by the plugin.
    Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    RenderOptions options;
    options.background = 0x00800000;
    options.displayBits = platform::DisplayColorDepth();
    const Bitmap plain = testing_support::RenderCanvas(picture, options);
    Bitmap expected = plain;
    ApplyEffect(expected, ReadEffectOptions(plugin + "\\settings.ini"));
    const Bitmap shown = ReadBitmap(bitmap);
    ASSERT_EQ(shown.width, 240);
    ASSERT_EQ(shown.height, 185);
    EXPECT_EQ(shown.bitsPerPixel, expected.bitsPerPixel);
    EXPECT_TRUE(shown.pixels == expected.pixels);
    EXPECT_FALSE(shown.pixels == plain.pixels);
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), bitmap);
    EXPECT_FALSE(platform::FileExists(bitmap + ".tmp"));

    // "Выкл": stored, and the next change is the plain picture again.
    Deliver(GetDlgItem(window, TPluginForm::kButtonOffId), BM_CLICK, 0, 0);
    EXPECT_EQ(platform::ReadIniString(config, "options", "plugin_directory", "?"), "none");
    EXPECT_EQ(Line(list, 0), line);
    Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(ReadBitmap(bitmap).pixels == plain.pixels);

    // Minimising the main window hides the plugin window as well.
    Deliver(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_FALSE(IsWindowVisible(window));

    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(program.WaitForExit());
}

// While a plugin hangs, the program answers; clicks and commands that would
// start other work are dropped, closing waits for the change, and the change
// ends with a sound bitmap once the plugin is gone.
TEST(PluginEndToEnd, WhileAPluginHangsTheProgramAnswersAndStartsNothingElse) {
    const e2e::DataFiles files = e2e::FreshDataFolder();
    TempFolder folder;
    const std::string programDir = folder / "Tavrin Program", plugin = ProgramWithPlugin(programDir, "hang");
    ASSERT_TRUE(CopyFileA(testing_support::HelperProgram("InvertPlugin").c_str(), (plugin + "\\plugin.exe").c_str(),
                          FALSE));
    WriteTextFile(plugin + "\\plugin.exe.mode", "hang");
    const std::string tree = folder / "pictures";
    ASSERT_TRUE(platform::CreateDir(tree));
    for (const char* name : {"\\a.jpg", "\\b.jpg"})
        WriteBytes(tree + name, MakeJpeg(130, 100, [](int, int) { return 7u; }));
    WriteTextFile(files.config, "[options]\r\nwallpaper_directory=" + tree + "\r\nnumber=1\r\nplugin_directory=hang\r\n");

    Program program("", SW_SHOWNORMAL, programDir, programDir + "\\tavrinwp.exe");
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND form = program.FindWindowOfClass("TForm1");
    PostMessageW(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    const std::string ran = plugin + "\\plugin.exe.ran";
    ASSERT_TRUE(e2e::WaitFor([&] { return platform::FileExists(ran); }));

    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer), 0);
    e2e::Deliver(form, TTray::CallbackMessage, 1, WM_LBUTTONDOWN);
    e2e::Deliver(form, WM_COMMAND, CmdTrayNext);
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_FALSE(program.WaitForExit(1000));
    EXPECT_EQ(e2e::ReadOption(files.config, "options", "number", "?"), "1");  // still changing

    HANDLE hung = OpenProcess(PROCESS_TERMINATE, FALSE, std::stoul(ReadTextFile(ran)));
    ASSERT_NE(hung, nullptr);
    TerminateProcess(hung, 9);
    CloseHandle(hung);
    // The change ends, then the program closes as it was asked to.
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(ReadTextFile(ran).find('\n') + 1, ReadTextFile(ran).size());  // the plugin ran once
    EXPECT_EQ(platform::ReadIniString(files.config, "options", "number", "?"), "2");
    EXPECT_EQ(e2e::ReadDesktopValue("Wallpaper"), files.bitmap);
    EXPECT_EQ(ReadBitmap(files.bitmap).width, 130);
}

// What comes during a change waits for it and is never lost: a word from a
// later start is carried out after it, "Выход" closes the program after it,
// and a start while the program is closing becomes the running copy.
TEST(PluginEndToEnd, AWordOrAStartDuringAChangeIsCarriedOutAfterIt) {
    HangingPluginSetup setup;
    Program owner("startup", SW_SHOWNORMAL, setup.programDir, setup.programDir + "\\tavrinwp.exe");
    ASSERT_TRUE(owner.WaitUntilIdle());
    HWND form = owner.FindWindowOfClass("TForm1");
    DWORD pid = setup.HangingChange(form);
    DWORD exitCode = 1;
    {
        Program word("next");
        EXPECT_TRUE(word.WaitForExit(120000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_EQ(setup.number(), "1");
    setup.EndPlugin(pid);
    // The change ends, then the word's change runs (the plugin no longer hangs).
    EXPECT_TRUE(e2e::WaitFor([&] { return setup.number() == "3"; }, 120000));

    pid = setup.HangingChange(form);
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    Program next("startup");
    // It waits for the closing copy, which still runs its change.
    EXPECT_TRUE(e2e::WaitFor([&] { return ClosingAnswers(owner.Id()) == 1; }, 120000));
    EXPECT_FALSE(owner.WaitForExit(0));
    EXPECT_FALSE(next.WaitForExit(0));
    EXPECT_EQ(setup.number(), "3");
    setup.EndPlugin(pid);
    EXPECT_TRUE(owner.WaitForExit(120000));
    EXPECT_EQ(setup.number(), "4");
    form = next.FindWindowOfClass("TForm1", 120000);
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(next.WaitForExit(0));
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(next.WaitForExit(120000));
}

// Every start during a close is carried out, and a start ends with 0 only for a
// word that will be: words behind a queued "exit" and starts while the copy
// closes wait for it to end; one of them then runs in its place and the others
// hand over to it.
TEST(PluginEndToEnd, EveryStartDuringACloseIsCarriedOutByTheNextCopy) {
    HangingPluginSetup setup(12);
    // Starts of the program's copy beside the plugin, whichever of them comes to run.
    auto starts = [&](std::initializer_list<const char*> words) {
        std::vector<std::unique_ptr<Program>> programs;
        for (const char* word : words)
            programs.push_back(
                std::make_unique<Program>(word, SW_SHOWNORMAL, setup.programDir, setup.programDir + "\\tavrinwp.exe"));
        return programs;
    };
    // Once all but one of `programs` have ended, each with 0, the one left runs.
    auto survivor = [](std::vector<std::unique_ptr<Program>>& programs) -> Program* {
        Program* left = nullptr;
        EXPECT_TRUE(e2e::WaitFor([&] {
            int running = 0;
            for (auto& program : programs)
                if (!program->WaitForExit(0)) ++running, left = program.get();
            return running == 1;
        }, 240000));
        for (auto& program : programs) {
            DWORD exitCode = 1;
            if (program.get() != left) EXPECT_TRUE(program->WaitForExit(0, &exitCode) && exitCode == 0);
        }
        return left;
    };

    auto owner = std::make_unique<Program>("startup", SW_SHOWNORMAL, setup.programDir,
                                           setup.programDir + "\\tavrinwp.exe");
    ASSERT_TRUE(owner->WaitUntilIdle());
    HWND form = owner->FindWindowOfClass("TForm1");
    // Words behind "exit", while a change waits: "next" and "exit" are taken,
    // the two later "next" are told the copy closes.
    DWORD pid = setup.HangingChange(form);
    for (const char* word : {"next", "exit"}) {
        DWORD exitCode = 1;
        auto taken = starts({word});
        EXPECT_TRUE(taken[0]->WaitForExit(120000, &exitCode)) << word;
        EXPECT_EQ(exitCode, 0u) << word;
    }
    auto behindExit = starts({"next", "next"});
    EXPECT_TRUE(e2e::WaitFor([&] { return ClosingAnswers(owner->Id()) == 2; }, 120000));
    setup.EndPlugin(pid);
    // The change (2), "next" (3), "exit"; then one later start runs with its
    // "next" (4) and the other hands its "next" over (5).
    EXPECT_TRUE(owner->WaitForExit(120000));
    EXPECT_EQ(setup.number(), "3");
    Program* running = survivor(behindExit);
    ASSERT_NE(running, nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return setup.number() == "5"; }, 120000)) << ReadTextFile(setup.files.config);

    // "Выход" during a change, and four starts with words while it waits.
    form = running->FindWindowOfClass("TForm1", 120000);
    ASSERT_NE(form, nullptr);
    pid = setup.HangingChange(form);
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    auto duringClose = starts({"next", "next", "next", "next"});
    EXPECT_TRUE(e2e::WaitFor([&] { return ClosingAnswers(running->Id()) == 4; }, 120000));
    EXPECT_EQ(setup.number(), "5");
    setup.EndPlugin(pid);
    EXPECT_TRUE(running->WaitForExit(120000));
    // The change (6), then four more (10).
    running = survivor(duringClose);
    ASSERT_NE(running, nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return setup.number() == "10"; }, 120000)) << ReadTextFile(setup.files.config);
    form = running->FindWindowOfClass("TForm1", 120000);
    ASSERT_NE(form, nullptr);
    PostMessageW(form, WM_COMMAND, CmdTrayExit, 0);
    EXPECT_TRUE(running->WaitForExit(120000));
}

// The plugin's settings dialog keeps its choice beside itself, and speaks
// English where the program's config.ini asks for English captions.
TEST(PluginEndToEnd, TheSettingsDialogStoresTheEffectAndStrength) {
    const std::string config = e2e::FreshDataFolder().config;
    WriteTextFile(config, "[options]\r\nlanguage=en\r\n");
    TempFolder folder;
    const std::string plugin = folder / "sepia plugin";
    ASSERT_TRUE(platform::CreateDir(plugin));
    const std::string program = plugin + "\\config.exe";
    ASSERT_TRUE(CopyFileA((std::string(SEPIA_PLUGIN_DIR) + "\\config.exe").c_str(), program.c_str(), FALSE));
    WriteTextFile(plugin + "\\settings.ini", "[sepia]\r\neffect=vignette\r\nstrength=40\r\n");

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = program;
    ASSERT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    WaitForInputIdle(process.hProcess, 30000);
    HWND dialog = nullptr;
    e2e::WaitFor([&] {
        HWND candidate = FindWindowW(L"SepiaConfig", nullptr);
        DWORD owner = 0;
        if (candidate) GetWindowThreadProcessId(candidate, &owner);
        if (owner == process.dwProcessId) dialog = candidate;
        return dialog != nullptr;
    });
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::WindowText(dialog), L"Sepia and vignette: settings");
    EXPECT_EQ(e2e::WindowText(GetDlgItem(dialog, IDCANCEL)), L"Cancel");
    DeleteFileA(config.c_str());
    HWND effect = GetDlgItem(dialog, 101), strength = GetDlgItem(dialog, 102);
    // It shows what is stored.
    EXPECT_EQ(Deliver(effect, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Deliver(strength, TBM_GETPOS, 0, 0), 40);
    // A new choice, confirmed with "OK".
    Deliver(effect, CB_SETCURSEL, 0, 0);
    Deliver(strength, TBM_SETPOS, TRUE, 65);
    Deliver(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const EffectOptions stored = ReadEffectOptions(plugin + "\\settings.ini");
    EXPECT_EQ(stored.effect, Effect::Sepia);
    EXPECT_EQ(stored.strength, 65);
}
