// The plugin manager window built in-process: its layout, the list of plugin
// folders, the four buttons, several windows at once, and minimising.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "platform/Platform.h"
#include "toolkit/Forms.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "ui/PluginForm.h"

using testing_support::ReadTextFile;
using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::vector<std::wstring> Lines(const TPluginForm* form) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(form->ListBox1, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(form->ListBox1, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

// What a user's click on a line delivers to the window.
void Select(TPluginForm* form, int line) {
    SendMessageW(form->ListBox1, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(TPluginForm::kListBox1Id, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(form->ListBox1));
}

void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

int Selected(const TPluginForm* form) { return static_cast<int>(SendMessageW(form->ListBox1, LB_GETCURSEL, 0, 0)); }

bool Enabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

RECT ClientRectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class PluginFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadCaptions();
        // Folders with spaces, and a program where an unquoted command line
        // would look for one.
        ASSERT_TRUE(platform::CreateDir(folder / "Tavrin Programs"));
        PluginsRoot = folder / "Tavrin Programs\\plugins";
        ConfigPath = folder / "config.ini";
        ASSERT_TRUE(platform::CreateDir(PluginsRoot));
        AddPlugin("sepia", "[info]\r\nname=Sepia\r\nversion=1.0\r\n", true);
        AddPlugin("blur", "[info]\r\nname=Blur\r\n", false);
        ASSERT_TRUE(platform::CreateDir(PluginsRoot + "\\noini"));
        ASSERT_TRUE(CopyFileA(testing_support::HelperProgram("InvertPlugin").c_str(),
                              (folder / "Tavrin.exe").c_str(), FALSE));
        Settings = TSettings{};
        Settings.plugin_directory = "none";
        Application.OnException = [this](const std::exception& error) { errors.push_back(error.what()); };
    }
    void TearDown() override {
        DestroyPluginForms();
        Application.OnException = nullptr;
    }

    void AddPlugin(const std::string& name, const std::string& ini, bool withConfig) {
        ASSERT_TRUE(platform::CreateDir(PluginsRoot + "\\" + name));
        WriteTextFile(PluginsRoot + "\\" + name + "\\plugin.ini", ini);
        if (withConfig) {
            ASSERT_TRUE(CopyFileA(testing_support::HelperProgram("InvertPlugin").c_str(),
                                  (PluginsRoot + "\\" + name + "\\config.exe").c_str(), FALSE));
        }
    }
    // The line index of a plugin folder in the current list.
    int LineOf(const std::string& folderName) const {
        for (size_t i = 0; i < PluginFolders.size(); ++i)
            if (PluginFolders[i] == folderName) return static_cast<int>(i);
        return -1;
    }
    std::string StoredPlugin() const { return platform::ReadIniString(ConfigPath, "options", "plugin_directory", "<missing>"); }

    TempFolder folder;
    std::vector<std::string> errors;
};

const std::wstring kSepiaLine = L"Sepia ver. 1.0";
const std::wstring kBlurLine = L"Blur ver. 0.0";

}  // namespace

TEST_F(PluginFormTest, OpensAtItsPlaceWithItsControlsAndTexts) {
    TPluginForm* form = CreatePluginForm();
    ASSERT_EQ(PluginForm, form);
    EXPECT_TRUE(form->Visible());
    RECT frame, client;
    GetWindowRect(form->Handle(), &frame);
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(frame.left, 240);
    EXPECT_EQ(frame.top, 225);
    EXPECT_EQ(client.right, 388);
    EXPECT_EQ(client.bottom, 151);
    const LONG style = GetWindowLongW(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    EXPECT_EQ(Text(form->Handle()), WideFromUtf8("Плагины"));
    EXPECT_EQ(Text(form->ButtonOn), WideFromUtf8("Вкл"));
    EXPECT_EQ(Text(form->ButtonOff), WideFromUtf8("Выкл"));
    EXPECT_EQ(Text(form->ButtonSettings), WideFromUtf8("Настройки"));
    EXPECT_EQ(Text(form->ButtonExit), WideFromUtf8("Выход"));
    EXPECT_FALSE(Enabled(form->ButtonSettings));
    EXPECT_TRUE(Enabled(form->ButtonOn));

    // Positions, in the tab order.
    const HWND controls[] = {form->ListBox1, form->ButtonOn, form->ButtonOff, form->ButtonSettings, form->ButtonExit};
    const RECT places[] = {{0, 0, 305, 145}, {312, 0, 387, 25}, {312, 32, 387, 57}, {312, 64, 387, 89},
                           {312, 120, 387, 145}};
    HWND child = GetWindow(form->Handle(), GW_CHILD);
    for (int i = 0; i < 5; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        EXPECT_EQ(child, controls[i]) << i;
        const RECT place = ClientRectOf(controls[i]);
        EXPECT_EQ(place.left, places[i].left) << i;
        EXPECT_EQ(place.top, places[i].top) << i;
        EXPECT_EQ(place.right, places[i].right) << i;
        EXPECT_EQ(place.bottom, places[i].bottom) << i;
        EXPECT_TRUE(GetWindowLongW(controls[i], GWL_STYLE) & WS_TABSTOP) << i;
    }
    EXPECT_EQ(SendMessageW(form->ListBox1, LB_GETITEMHEIGHT, 0, 0), 13);
    EXPECT_FALSE(GetWindowLongW(form->ListBox1, GWL_STYLE) & LBS_SORT);

    LOGFONTW font = {};
    ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form->ButtonOn, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -11);
    // The font declares the Russian character set: its texts read on any code page.
    EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
    HDC dc = GetDC(form->ButtonOn);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(form->ButtonOn, WM_GETFONT, 0, 0)));
    EXPECT_EQ(GetTextCharset(dc), RUSSIAN_CHARSET);
    SelectObject(dc, old);
    ReleaseDC(form->ButtonOn, dc);
}

// A plugin.ini in UTF-8 shows its Russian name whatever the code page.
TEST_F(PluginFormTest, ListsAUtf8NameByItsLetters) {
    AddPlugin("ru", "\xEF\xBB\xBF[info]\r\nname=Сепия по-русски\r\nversion=2.0\r\n", false);
    Settings.plugin_directory = "ru";
    const std::vector<std::wstring> lines = Lines(CreatePluginForm());
    EXPECT_NE(std::find(lines.begin(), lines.end(), WideFromUtf8("Сепия по-русски ver. 2.0 Вкл")), lines.end());
}

TEST_F(PluginFormTest, ListsThePluginFoldersAndMarksTheActiveOne) {
    Settings.plugin_directory = "sepia";
    TPluginForm* form = CreatePluginForm();
    // The two folders with plugin.ini, in the order the system lists them.
    std::vector<std::string> expected;
    platform::ListFolder(PluginsRoot, [&](const platform::FolderEntry& entry) {
        if (entry.name == "sepia" || entry.name == "blur") expected.push_back(entry.name);
        return true;
    });
    ASSERT_EQ(PluginFolders, expected);
    const std::vector<std::wstring> lines = Lines(form);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[LineOf("sepia")], kSepiaLine + L" " + WideFromUtf8("Вкл"));
    EXPECT_EQ(lines[LineOf("blur")], kBlurLine);
    EXPECT_EQ(Selected(form), -1);

    // Letter case counts for the mark.
    DestroyPluginForms();
    Settings.plugin_directory = "SEPIA";
    form = CreatePluginForm();
    EXPECT_EQ(Lines(form)[LineOf("sepia")], kSepiaLine);
}

TEST_F(PluginFormTest, OnStoresOnlyThePluginKeyAndASecondPressDoesNothing) {
    const std::string before = "; kept\r\n[options]\r\nwallpaper_directory=C:\\pictures\r\nnumber=7\r\n"
                               "plugin_directory=none\r\n[other]\r\nkey=value\r\n";
    WriteTextFile(ConfigPath, before);
    TPluginForm* form = CreatePluginForm();
    Select(form, LineOf("sepia"));
    Click(form->ButtonOn);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(Settings.plugin_directory, "sepia");
    EXPECT_EQ(StoredPlugin(), "sepia");
    std::string expected = before;
    expected.replace(expected.find("plugin_directory=none"), 21, "plugin_directory=sepia");
    EXPECT_EQ(ReadTextFile(ConfigPath), expected);
    // The list is rebuilt with the mark; the selection is gone, "Настройки" keeps its state.
    EXPECT_EQ(Lines(form)[LineOf("sepia")], kSepiaLine + L" " + WideFromUtf8("Вкл"));
    EXPECT_EQ(Selected(form), -1);
    EXPECT_TRUE(Enabled(form->ButtonSettings));

    // Pressed again right away: no selection, so nothing happens.
    WriteTextFile(ConfigPath, "[options]\r\nplugin_directory=manual\r\n");
    Settings.plugin_directory = "in memory";
    Click(form->ButtonOn);
    EXPECT_EQ(StoredPlugin(), "manual");
    EXPECT_EQ(Settings.plugin_directory, "in memory");
}

TEST_F(PluginFormTest, OffStoresNoneAndALaterSelectionIsActiveWithoutTheMark) {
    Settings.plugin_directory = "blur";
    TPluginForm* form = CreatePluginForm();
    Select(form, LineOf("sepia"));
    Click(form->ButtonOff);
    EXPECT_EQ(Settings.plugin_directory, "none");
    EXPECT_EQ(StoredPlugin(), "none");
    EXPECT_EQ(Lines(form)[LineOf("blur")], kBlurLine);
    EXPECT_EQ(Selected(form), -1);

    Select(form, LineOf("blur"));
    EXPECT_EQ(Settings.plugin_directory, "blur");
    EXPECT_EQ(Lines(form)[LineOf("blur")], kBlurLine);
    EXPECT_EQ(StoredPlugin(), "none");
    Click(form->ButtonOn);
    EXPECT_EQ(StoredPlugin(), "blur");
    EXPECT_EQ(Lines(form)[LineOf("blur")], kBlurLine + L" " + WideFromUtf8("Вкл"));
}

TEST_F(PluginFormTest, AConfigFileThatCannotBeWrittenIsReportedAndTheListStays) {
    ConfigPath = folder / "missing\\config.ini";
    TPluginForm* form = CreatePluginForm();
    Select(form, LineOf("blur"));
    Click(form->ButtonOn);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Unable to write to " + ConfigPath);
    EXPECT_EQ(Settings.plugin_directory, "blur");  // already changed in memory
    EXPECT_EQ(Lines(form)[LineOf("blur")], kBlurLine);
    EXPECT_EQ(Selected(form), LineOf("blur"));
}

TEST_F(PluginFormTest, SettingsStartsTheConfigProgramByItsFullPathAndNeverAnother) {
    TPluginForm* form = CreatePluginForm();
    Select(form, LineOf("sepia"));
    ASSERT_TRUE(Enabled(form->ButtonSettings));
    Click(form->ButtonSettings);
    // Nothing waits for it: the call has returned; the program runs on its own.
    const std::string marker = PluginsRoot + "\\sepia\\config.exe.ran";
    for (int i = 0; i < 600 && !platform::FileExists(marker); ++i) Sleep(50);
    EXPECT_TRUE(platform::FileExists(marker));
    // It runs in its own folder, not in the program's working folder.
    EXPECT_EQ(platform::IdentifyFolder(testing_support::ReadTextFile(PluginsRoot + "\\sepia\\config.exe.cwd")),
              platform::IdentifyFolder(PluginsRoot + "\\sepia"));
    // The folder path with spaces did not start "<folder>\Tavrin.exe".
    EXPECT_FALSE(platform::FileExists(folder / "Tavrin.exe.ran"));
    EXPECT_TRUE(errors.empty());

    // A config.exe that cannot be started is ignored silently.
    Settings.plugin_directory = "blur";
    Click(form->ButtonSettings);
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(platform::FileExists(folder / "Tavrin.exe.ran"));
}

TEST_F(PluginFormTest, ASecondWindowSharesTheFolderListAndOwnsTheSettingsButton) {
    AddPlugin("third", "[info]\r\nname=Third\r\nversion=3\r\n", false);
    TPluginForm* first = CreatePluginForm();
    ASSERT_EQ(Lines(first).size(), 3u);
    // The newer window lists one plugin fewer.
    ASSERT_TRUE(RemoveDirectoryA((PluginsRoot + "\\noini").c_str()));
    ASSERT_TRUE(DeleteFileA((PluginsRoot + "\\third\\plugin.ini").c_str()));
    TPluginForm* second = CreatePluginForm();
    EXPECT_EQ(PluginForm, second);
    EXPECT_TRUE(first->Visible());
    EXPECT_TRUE(second->Visible());
    EXPECT_EQ(Lines(second).size(), 2u);
    ASSERT_EQ(PluginFolders.size(), 2u);

    // The older window's last line has no folder in the shared list: nothing is chosen.
    Settings.plugin_directory = "before";
    Select(first, 2);
    EXPECT_EQ(Settings.plugin_directory, "before");
    Click(first->ButtonOn);
    EXPECT_EQ(Settings.plugin_directory, "before");
    EXPECT_FALSE(platform::FileExists(ConfigPath));
    EXPECT_TRUE(errors.empty());

    // A selection in the older window switches the newer window's settings button.
    const int sepia = LineOf("sepia");
    Select(first, sepia);
    EXPECT_EQ(Settings.plugin_directory, "sepia");
    EXPECT_TRUE(Enabled(second->ButtonSettings));
    EXPECT_FALSE(Enabled(first->ButtonSettings));
    Select(first, 1 - sepia);
    EXPECT_FALSE(Enabled(second->ButtonSettings));
}

TEST_F(PluginFormTest, ClosingHidesTheWindowAndMinimisingClosesTheNewest) {
    TForm1 main;
    PluginsRoot = folder / "Tavrin Programs\\plugins";
    ConfigPath = folder / "config.ini";
    // Minimising before any plugin window exists only hides the main window.
    main.Show();
    main.Minimize();
    EXPECT_FALSE(main.Visible());

    // "Плагины" in "Файл", before "Выход", opens a plugin window.
    HMENU file = GetSubMenu(GetMenu(main.Handle()), 0);
    const int count = GetMenuItemCount(file);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuItemID(file, count - 2), static_cast<UINT>(CmdPlugins));
    wchar_t text[64] = {};
    GetMenuStringW(file, static_cast<UINT>(count - 2), text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), WideFromUtf8("Плагины"));
    SendMessageW(main.Handle(), WM_COMMAND, CmdPlugins, 0);
    TPluginForm* older = PluginForm;
    ASSERT_NE(older, nullptr);
    EXPECT_TRUE(older->Visible());
    SendMessageW(main.Handle(), WM_COMMAND, CmdPlugins, 0);
    TPluginForm* newer = PluginForm;
    ASSERT_NE(newer, older);

    main.Show();
    main.Minimize();
    EXPECT_FALSE(main.Visible());
    EXPECT_FALSE(newer->Visible());
    EXPECT_TRUE(older->Visible());
    EXPECT_TRUE(IsWindow(newer->Handle()));

    // "Выход" and the close box hide the window; it lives on.
    Click(older->ButtonExit);
    EXPECT_FALSE(older->Visible());
    EXPECT_TRUE(IsWindow(older->Handle()));
    ShowWindow(older->Handle(), SW_SHOW);
    SendMessageW(older->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(older->Visible());
    EXPECT_TRUE(IsWindow(older->Handle()));
    EXPECT_TRUE(errors.empty());
}
