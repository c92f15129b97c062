// The main window built in-process, where its menu and painting can be read.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Paths.h"
#include "core/Settings.h"
#include "image/BmpCodec.h"
#include "engine/Scheduler.h"
#include "platform/Platform.h"
#include "platform/win32/AnsiPaths.h"
#include "TestSupport.h"
#include "WindowsTestSupport.h"
#include "toolkit/Forms.h"
#include "ui/Main.h"
#include "ui/MainProgram.h"
#include "ui/Menus.h"

using testing_support::ChildRect;
using testing_support::Pump;

namespace {

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

}  // namespace

TEST(MainForm, HasTheFileMenuWithExit) {
    TForm1 form;
    ASSERT_EQ(Form1, &form);
    HMENU bar = GetMenu(form.Handle());
    ASSERT_NE(bar, nullptr);
    ASSERT_GE(GetMenuItemCount(bar), 1);
    EXPECT_EQ(MenuText(bar, 0), WideFromUtf8("Файл"));
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    const int last = GetMenuItemCount(file) - 1;
    EXPECT_EQ(MenuText(file, last), WideFromUtf8("Выход"));
    EXPECT_EQ(GetMenuItemID(file, last), static_cast<UINT>(CmdFileExit));
}

TEST(MainForm, PaintsItsBackgroundInLightSkyBlue) {
    TForm1 form;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 478, 381);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(form.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(GetPixel(memory, 0, 0), 0xFEDEB4u);
    EXPECT_EQ(GetPixel(memory, 477, 380), 0xFEDEB4u);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST(MainForm, RunsItsStartSequenceAtCreation) {
    TForm1 form;
    EXPECT_TRUE(form.CanvasBrushHollow);
    EXPECT_FALSE(form.TimerWp.Enabled());
    // Minimising goes to the form's own handler, which hides the window.
    ASSERT_TRUE(static_cast<bool>(Application.OnMinimize));
    form.Show();
    ASSERT_TRUE(form.Visible());
    Application.OnMinimize();
    EXPECT_FALSE(form.Visible());
}

namespace {
// A program that has a picture on the desktop or not, and does nothing else.
class PictureProgram final : public TMainProgram {
public:
    bool shown = false;
    void Start(TForm1&) override {}
    void ChangeWallpaper() override {}
    void TrayChange(TForm1&, bool) override {}
    bool ApplyPicture(const std::string&) override { return false; }
    void ArmTimer(TTimer&) override {}
    void TimerTick() override {}
    void TimerSettingsApplied(TTimer&) override {}
    void UpdateStartupShortcut() override {}
    bool HasPictureShown() const override { return shown; }
    void OpenPictureShown() override {}
    void ShowPictureShownInFolder() override {}
    void DeletePictureShown(TForm1&) override {}
    void DisplayChanged() override {}
};
}  // namespace

// The tray menu's items in their order; the three of the picture on the
// desktop are greyed while the program has none, evaluated as the menu opens;
// "Параметры" -> "Случайный порядок" is ticked as "shuffle" says.
TEST(MainForm, HasTheTrayMenuInItsOrder) {
    TForm1 form;
    ASSERT_NE(form.Tray.TrayMenu, nullptr);
    ASSERT_EQ(GetMenuItemCount(form.Tray.TrayMenu), 7);
    const char* texts[] = {"Настройки", "Следующая", "Предыдущая", "Открыть картинку", "Показать в папке",
                           "Удалить картинку", "Выход"};
    const UINT ids[] = {CmdTraySettings,     CmdTrayNext,          CmdTrayPrevious, CmdTrayOpenPicture,
                        CmdTrayShowInFolder, CmdTrayDeletePicture, CmdTrayExit};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(MenuText(form.Tray.TrayMenu, i), WideFromUtf8(texts[i]));
        EXPECT_EQ(GetMenuItemID(form.Tray.TrayMenu, i), ids[i]);
    }
    EXPECT_EQ(TTray::CallbackMessage, 1141u);

    PictureProgram program;
    TMainProgram* const installed = MainProgram;
    MainProgram = &program;
    auto greyed = [&](UINT id) { return (GetMenuState(form.Tray.TrayMenu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    for (const bool shown : {false, true, false}) {
        program.shown = shown;
        SendMessageW(form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(form.Tray.TrayMenu), 0);
        for (const UINT id : {CmdTrayOpenPicture, CmdTrayShowInFolder, CmdTrayDeletePicture})
            EXPECT_EQ(greyed(id), !shown) << id;
        for (const UINT id : {CmdTrayNext, CmdTrayPrevious, CmdTrayExit}) EXPECT_FALSE(greyed(id));
    }
    MainProgram = installed;

    HMENU bar = GetMenu(form.Handle());
    HMENU options = nullptr;
    for (int i = 0; i < GetMenuItemCount(bar); ++i)
        if (MenuText(bar, i) == WideFromUtf8("Параметры")) options = GetSubMenu(bar, i);
    ASSERT_NE(options, nullptr);
    for (const bool shuffle : {true, false}) {
        Settings.shuffle = shuffle;
        SendMessageW(form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(options), 0);
        EXPECT_EQ((GetMenuState(options, CmdShuffle, MF_BYCOMMAND) & MF_CHECKED) != 0, shuffle);
    }
    wchar_t text[64] = {};
    GetMenuStringW(options, CmdShuffle, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(text), WideFromUtf8("Случайный порядок"));
}

namespace {
bool choiceOn = false;
int picked = 0;
const std::string kHeading = "H", kChoice = "C", kOne = "1", kTwo = "2", kSub = "S", kInner = "I";
}  // namespace

// A table with every kind of row: captions land on their own entries, and the
// state of a popup is evaluated only when that popup opens, from the form.
TEST(MainForm, MenusWithStateAreBuiltCaptionedAndUpdatedFromTheirTable) {
    TForm1 form;
    const MenuItem table[] = {
        {0, &kHeading, nullptr},
        {901, &kChoice, [](TForm1&) { ++picked; }, MenuRow::Command, [](const TForm1&) { return choiceOn; },
         [](const TForm1&) { return !choiceOn; }},
        {0, nullptr, nullptr, MenuRow::Separator},
        {902, &kOne, nullptr, MenuRow::Command, [](const TForm1&) { return choiceOn; }, nullptr, true},
        {0, &kSub, nullptr, MenuRow::SubmenuBegin},
        {903, &kInner, nullptr, MenuRow::Command, [](const TForm1&) { return !choiceOn; }},
        {0, nullptr, nullptr, MenuRow::SubmenuEnd},
        {904, &kTwo, nullptr},
    };
    HMENU bar = BuildMenu(table);
    AssignMenuCaptions(bar, table);
    HMENU drop = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(drop), 5);
    HMENU sub = GetSubMenu(drop, 3);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(MenuText(drop, 3), L"S");
    EXPECT_EQ(MenuText(sub, 0), L"I");
    EXPECT_EQ(GetMenuItemID(drop, 4), 904u);
    EXPECT_EQ(MenuText(drop, 4), L"2");
    EXPECT_TRUE(GetMenuState(drop, 1, MF_BYPOSITION) & MF_SEPARATOR);
    MENUITEMINFOW info = {sizeof info, MIIM_FTYPE};
    GetMenuItemInfoW(drop, 2, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_RADIOCHECK);

    choiceOn = true;
    UpdateMenuState(bar, table, drop, form);
    EXPECT_TRUE(GetMenuState(drop, 901, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(drop, 901, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(drop, 902, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);  // not opened yet
    UpdateMenuState(bar, table, sub, form);
    EXPECT_FALSE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);
    choiceOn = false;
    UpdateMenuState(bar, table, sub, form);
    EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(drop, 901, MF_BYCOMMAND) & MF_CHECKED);  // the drop-down was not opened again
    UpdateMenuState(bar, table, drop, form);
    EXPECT_FALSE(GetMenuState(drop, 901, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED));

    EXPECT_TRUE(RunMenuCommand(table, 901, form));
    EXPECT_FALSE(RunMenuCommand(table, 902, form));  // no handler
    EXPECT_FALSE(RunMenuCommand(table, 0, form));
    EXPECT_EQ(picked, 1);
    DestroyMenu(bar);
}

// "Параметры" opens with the three ways a change shows its picture, one of
// them dotted as the settings have it; a pick is saved to config.ini at once.
TEST(MainForm, TheOptionsMenuPicksHowAChangeShowsItsPictureAndSavesIt) {
    TForm1 form;
    HMENU bar = GetMenu(form.Handle());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(MenuText(bar, 1), WideFromUtf8("Параметры"));
    HMENU options = GetSubMenu(bar, 1);
    const char* texts[] = {"Рамка 1,3 : 1", "Целиком на экране", "Заполнить экран"};
    const UINT ids[] = {CmdFitFrame, CmdFitWhole, CmdFitFill};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(MenuText(options, i), WideFromUtf8(texts[i]));
        EXPECT_EQ(GetMenuItemID(options, i), ids[i]);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(options, i, TRUE, &info);
        EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
    }
    // Any value but 1 and 2 is the frame.
    for (const auto& [value, dotted] : {std::pair{0, 0}, {1, 1}, {2, 2}, {7, 0}, {-1, 0}}) {
        Settings.fitscreen = value;
        SendMessageW(form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(options), 1);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ((GetMenuState(options, i, MF_BYPOSITION) & MF_CHECKED) != 0, i == dotted) << value << " row " << i;
    }
    for (const auto& [command, value] : {std::pair{CmdFitFill, "2"}, {CmdFitWhole, "1"}, {CmdFitFrame, "0"}}) {
        SendMessageW(form.Handle(), WM_COMMAND, command, 0);
        EXPECT_EQ(platform::ReadIniString(ConfigPath, "options", "fitscreen", "<none>"), value);
        EXPECT_EQ(Settings.fitscreen, std::stoi(value));
    }
}

TEST(MainForm, ArmsTheWallpaperTimerFromTheSettings) {
    TForm1 form;
    Settings = TSettings{};
    EXPECT_EQ(form.TimerWp.Interval(), 1000u);
    Settings.WpTimerUnit = -1;  // typed text in the unit box: the interval stays
    form.SetWallpaperTimer();
    EXPECT_TRUE(form.TimerWp.Enabled());
    EXPECT_EQ(form.TimerWp.Interval(), 1000u);
    Settings.WpTimerUnit = 1;
    Settings.nwptimer = 2;
    form.SetWallpaperTimer();
    EXPECT_EQ(form.TimerWp.Interval(), 7200000u);
    Settings.nwptimer = 960;
    form.SetWallpaperTimer();
    EXPECT_EQ(form.TimerWp.Interval(), 3456000000u);
    EXPECT_EQ(form.TimerWp.PeriodsPerTick(), 2u);
    Settings.WpTimerUnit = 2;
    form.SetWallpaperTimer();
    EXPECT_EQ(form.TimerWp.Interval(), 60000u);
}

TEST(MainForm, TheDayModeTickMarksTheDayInConfigIni) {
    TForm1 form;
    Settings = TSettings{};
    Settings.WpTimerUnit = 2;
    Settings.WpTimerDay = 0;
    WallpaperTimerToday = [] { return 17; };
    form.TimerWpTimer();
    EXPECT_EQ(Settings.WpTimerDay, 17);
    EXPECT_EQ(platform::ReadIniString(ConfigPath, "options", "WpTimerDay", ""), "17");
    WallpaperTimerToday = [] { return platform::TodayDayOfMonth(); };
}

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void SetPersonal(const std::string& folder) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Personal", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                             static_cast<DWORD>(folder.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace

TEST(MainForm, TheFolderTreeSelectsTheSavedFolderAndAClickFillsTheFolderField) {
    // A documents folder of the test's own, holding a config.ini that names a picture folder.
    testing_support::TempFolder documents;
    char saved[MAX_PATH] = {};
    DWORD size = sizeof saved;
    RegGetValueA(HKEY_CURRENT_USER, kShellFolders, "Personal", RRF_RT_REG_SZ, nullptr, saved, &size);
    SetPersonal(documents.Path());
    CreateDirectoryA((documents / "Tavrin Wallpaper").c_str(), nullptr);
    const std::string pictures = documents / "Pictures\\Summer";
    CreateDirectoryA((documents / "Pictures").c_str(), nullptr);
    CreateDirectoryA(pictures.c_str(), nullptr);
    testing_support::WriteTextFile(documents / "Tavrin Wallpaper\\config.ini",
                                   "[options]\r\nwallpaper_directory=" + pictures + "\r\n");
    {
        TForm1 form;
        ASSERT_TRUE(form.Folders.ShellTreeView1);
        HWND tree = form.Folders.ShellTreeView1->Handle();
        RECT rect = ChildRect(tree, form.Handle());
        EXPECT_EQ(rect.left, 8);
        EXPECT_EQ(rect.top, 104);
        EXPECT_EQ(rect.right - rect.left, 249);
        EXPECT_EQ(rect.bottom - rect.top, 233);
        rect = ChildRect(form.Folders.EditDir, form.Handle());
        EXPECT_EQ(rect.left, 8);
        EXPECT_EQ(rect.top, 355);
        EXPECT_EQ(rect.right - rect.left, 249);
        EXPECT_EQ(rect.bottom - rect.top, 21);
        EXPECT_EQ(TreeView_GetIndent(tree), 19u);
        EXPECT_FALSE(GetWindowLongW(tree, GWL_STYLE) & TVS_LINESATROOT);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0)), form.Font());

        // The start sequence selected the saved folder and the panel shows it.
        EXPECT_EQ(form.Folders.ShellTreeView1->SelectedPath(), pictures);
        EXPECT_EQ(AnsiFromWide(WindowTextOf(form.Folders.EditDir)), pictures);

        // A click on a node puts its path into the folder field.
        form.Show();
        HTREEITEM parent = TreeView_GetParent(tree, form.Folders.ShellTreeView1->Selected());
        ASSERT_NE(parent, nullptr);
        TreeView_EnsureVisible(tree, parent);
        RECT item;
        ASSERT_TRUE(TreeView_GetItemRect(tree, parent, &item, TRUE));
        const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(tree, WM_LBUTTONUP, 0, point);
        Pump();
        Pump();
        char text[MAX_PATH] = {};
        GetWindowTextA(form.Folders.EditDir, text, MAX_PATH);
        EXPECT_EQ(std::string(text), documents / "Pictures");
        // ... and previews that folder, which holds no picture.
        EXPECT_EQ(form.Preview.PreviewFolder, documents / "Pictures");
        EXPECT_EQ(form.Preview.PreviewName, "none");
        EXPECT_EQ(form.Preview.PreviewCaption, "Картинок нет");
    }
    SetPersonal(saved);
}

// A documents folder and a picture folder named in a script the ANSI code page
// cannot hold (Japanese on a Russian or English Windows): the program reaches
// them by names the A functions open and shows their real names.
TEST(MainForm, NamesOutsideTheCodePageAreReachedAndShownByTheirRealNames) {
    testing_support::TempFolder root;
    const std::wstring base = platform::WideFromAnsiText(root.Path());
    const std::wstring documents = base + L"\\\u6587\u66F8", pictures = base + L"\\\u65E5\u672C\u306E\u58C1\u7D19";
    const std::wstring picture = L"\u5199\u771F.bmp";
    for (const std::wstring& folder : {documents, documents + L"\\Tavrin Wallpaper", pictures})
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    Bitmap bitmap;
    bitmap.width = bitmap.height = 30;
    bitmap.pixels.assign(bitmap.Stride() * 30, 0x80);
    const std::vector<uint8_t> bytes = EncodeBmp(bitmap);
    std::ofstream(std::filesystem::path(pictures + L"\\" + picture), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const std::string storedPictures = platform::OpenableAnsiPath(pictures);
    ASSERT_TRUE(platform::DirectoryExists(storedPictures));
    testing_support::WriteTextFile(platform::OpenableAnsiPath(documents + L"\\Tavrin Wallpaper\\config.ini"),
                                   "[options]\r\nwallpaper_directory=" + storedPictures + "\r\n");
    char saved[MAX_PATH] = {};
    DWORD size = sizeof saved;
    RegGetValueA(HKEY_CURRENT_USER, kShellFolders, "Personal", RRF_RT_REG_SZ, nullptr, saved, &size);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"Personal", 0, REG_SZ, reinterpret_cast<const BYTE*>(documents.c_str()),
                   static_cast<DWORD>((documents.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    {
        TForm1 form;
        // The settings were found in the documents folder and name the picture folder.
        EXPECT_EQ(platform::ShownPath(ConfigPath), documents + L"\\Tavrin Wallpaper\\config.ini");
        EXPECT_EQ(Settings.wallpaper_directory, storedPictures);
        EXPECT_EQ(WindowTextOf(form.Folders.EditDir), pictures);
        HWND tree = form.Folders.ShellTreeView1->Handle();
        TShellTreeView& view = *form.Folders.ShellTreeView1;
        const HTREEITEM node = view.Selected();
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(view.Label(node), L"\u65E5\u672C\u306E\u58C1\u7D19");

        // A click on the folder's node previews its picture under the picture's own name.
        form.Show();
        SetWindowTextW(form.Folders.EditDir, L"");
        RECT item;
        ASSERT_TRUE(TreeView_GetItemRect(tree, node, &item, TRUE));
        const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(tree, WM_LBUTTONUP, 0, point);
        Pump();
        Pump();
        EXPECT_EQ(WindowTextOf(form.Folders.EditDir), pictures);
        EXPECT_TRUE(platform::FileExists(form.Preview.PreviewFolder + "\\" + form.Preview.PreviewName)) << form.Preview.PreviewFolder << "\\" << form.Preview.PreviewName;
        EXPECT_EQ(form.Preview.PreviewCaption, Utf8FromWide(picture));

        // Its label edited on an English Windows: left as it is, nothing is renamed and
        // nothing said; given a Russian name, the folder on disk, the label and the field take it.
        std::vector<std::string> errors;
        Application.OnException = [&](const std::exception& error) { errors.push_back(error.what()); };
        const std::wstring russian = base + L"\\Обои лета";
        for (const std::wstring& name : {pictures, russian, russian}) {
            TreeView_EditLabel(tree, node);
            SetWindowTextW(TreeView_GetEditControl(tree), name.substr(base.size() + 1).c_str());
            TreeView_EndEditLabelNow(tree, FALSE);
            Pump();
            EXPECT_EQ(errors, std::vector<std::string>{});
            EXPECT_TRUE(std::filesystem::is_directory(name));
            EXPECT_EQ(view.Label(node), name.substr(base.size() + 1));
            EXPECT_EQ(WindowTextOf(form.Folders.EditDir), name);
        }
        Application.OnException = nullptr;
    }
    SetPersonal(saved);
}
