// The program's two languages, in-process in a prefix of their own (run in an
// English and a Russian prefix, and at 144 DPI in both): the caption table's
// columns, a start with "language=en", the switch at run time re-captioning
// the open windows and saving config.ini, every English text fitting its
// place at the prefix's scale, and the panel refilled by "Настройки" agreeing
// with its tree and preview.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "WindowsTestSupport.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "ui/About.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "ui/PluginForm.h"

using testing_support::ChildRect;
using testing_support::ReadTextFile;
using testing_support::TempFolder;
using testing_support::WriteTextFile;

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool HasCyrillic(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x400 && c <= 0x4FF; });
}

// The texts of a menu and of its submenus, depth first.
void MenuTexts(HMENU menu, std::vector<std::wstring>& texts) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        if (text[0]) texts.push_back(text);
        if (HMENU sub = GetSubMenu(menu, i)) MenuTexts(sub, texts);
    }
}

std::wstring ComboItem(HWND combo, int index) {
    wchar_t text[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

int TextWidth(HWND window, HFONT font, const std::string& utf8) {
    const std::wstring text = WideFromUtf8(utf8);
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

int S(int value) { return MulDiv(value, SystemDpi(), 96); }
HFONT FontOf(HWND window) { return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)); }

// A documents folder of the test's own, with the program's data folder and a
// config.ini of the given text; the user's own is put back at the end.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        char saved[MAX_PATH] = {};
        DWORD size = sizeof saved;
        RegGetValueA(HKEY_CURRENT_USER, kShellFolders, "Personal", RRF_RT_REG_SZ, nullptr, saved, &size);
        saved_ = saved;
        SetPersonal(documents.Path());
        CreateDirectoryA((documents / "Tavrin Wallpaper").c_str(), nullptr);
        Application.OnException = [this](const std::exception& error) { errors.push_back(error.what()); };
    }
    void TearDown() override {
        Application.OnException = nullptr;
        DestroyPluginForms();
        LoadCaptions();
        SetPersonal(saved_);
    }
    static void SetPersonal(const std::string& folder) {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        RegSetValueExA(key, "Personal", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>(folder.size() + 1));
        RegCloseKey(key);
    }
    std::string Config() const { return documents / "Tavrin Wallpaper\\config.ini"; }
    // A folder with one small picture in it.
    std::string PictureFolder(const std::string& name) {
        const std::string folder = documents / name;
        CreateDirectoryA(folder.c_str(), nullptr);
        Bitmap picture;
        picture.Reset(40, 30, 24);
        const std::vector<uint8_t> bytes = EncodeBmp(picture);
        platform::WriteFileReplacing(folder + "\\a.bmp",
                                     [&](platform::OutputFile& out) { out.Write(bytes.data(), bytes.size()); });
        return folder;
    }

    TempFolder documents;
    std::vector<std::string> errors;

private:
    std::string saved_;
};

}  // namespace

// Each row holds both texts; the English column is English, with the fixed
// captions as given; the key picks the column; the table switches both ways.
TEST(CaptionTable, EveryRowHasBothLanguagesAndTheKeyPicksTheColumn) {
    size_t count = 0;
    const CaptionRow* rows = CaptionRows(count);
    ASSERT_GE(count, 24u);
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(rows[i].russian);
        EXPECT_TRUE(rows[i].russian[0] && rows[i].english[0]);
        // Only the names of the languages stay in their own language.
        if (rows[i].entry != &LangLanguage && rows[i].entry != &LangRussian)
            EXPECT_FALSE(HasCyrillic(WideFromUtf8(rows[i].english)));
    }
    const std::pair<const std::string*, const char*> fixed[] = {
        {&LangFile, "File"},          {&LangHelp, "Help"},    {&LangApply, "Apply"},
        {&LangChoose, "Choose"},      {&LangSettings, "Settings"}, {&LangNext, "Next"},
        {&LangPrevious, "Previous"},  {&LangExit, "Exit"},    {&LangPlugins, "Plugins"},
        {&LangAbout, "About"},
    };
    const std::pair<const char*, CaptionLanguage> keys[] = {
        {"en", CaptionLanguage::English}, {"ru", CaptionLanguage::Russian}, {"", CaptionLanguage::Russian},
        {"EN", CaptionLanguage::Russian}, {"english", CaptionLanguage::Russian}, {"en ", CaptionLanguage::Russian}};
    for (const auto& [key, language] : keys) EXPECT_EQ(LanguageOfKey(key), language) << key;

    LoadCaptions(CaptionLanguage::English);
    EXPECT_EQ(LoadedCaptionLanguage(), CaptionLanguage::English);
    for (const auto& [entry, text] : fixed) EXPECT_EQ(*entry, text);
    EXPECT_EQ(CaptionText(LangFile), "File");
    EXPECT_EQ(CannotShowMessage("C:\\p\\b.jpg", "Unsupported marker type 0xbd"),
              "Cannot show the picture C:\\p\\b.jpg:\r\nUnsupported marker type 0xbd");
    LoadCaptions();
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(*rows[i].entry, rows[i].russian);
    EXPECT_EQ(CaptionText(LangFile), "Файл");
    EXPECT_EQ(CannotShowMessage("b.jpg", "x"), "Не удаётся показать картинку b.jpg:\r\nx");
}

// "language=en": every menu caption and window text is English from the start,
// and fits its place; "Язык / Language" switches every open window to Russian
// and back, with the radio dot on the language in force and the key saved.
TEST_F(LanguageTest, AnEnglishStartShowsNoRussianTextEveryTextFitsAndASwitchReCaptionsOpenWindows) {
    WriteTextFile(Config(), "[options]\r\nlanguage=en\r\n");
    TForm1 form;
    form.Show();
    TPluginForm* plugins = CreatePluginForm();
    const TAboutForm about;

    auto windowTexts = [&] {
        std::vector<std::wstring> texts;
        MenuTexts(GetMenu(form.Handle()), texts);
        MenuTexts(form.Tray.TrayMenu, texts);
        for (HWND window : {form.Handle(), form.SettingsPanel.ButtonApply, form.SettingsPanel.ColorButton,
                            plugins->Handle(), plugins->ButtonOn, plugins->ButtonOff, plugins->ButtonSettings,
                            plugins->ButtonExit})
            texts.push_back(WindowTextOf(window));
        for (int i = 0; i < 3; ++i) texts.push_back(ComboItem(form.SettingsPanel.TimerUnitBox, i));
        return texts;
    };
    const std::wstring ownNames[] = {WideFromUtf8("Язык / Language"), WideFromUtf8("Русский")};
    for (const std::wstring& text : windowTexts()) {
        if (std::find(std::begin(ownNames), std::end(ownNames), text) == std::end(ownNames)) {
            EXPECT_FALSE(HasCyrillic(text)) << Utf8FromWide(text);
        }
    }
    for (const TAboutForm::Label& label : about.Labels()) EXPECT_FALSE(HasCyrillic(WideFromUtf8(label.text)));
    EXPECT_EQ(WindowTextOf(form.SettingsPanel.ButtonApply), L"Apply");
    EXPECT_EQ(ComboItem(form.SettingsPanel.TimerUnitBox, 2), L"Days");

    // Every English text fits its place at this scale: each button's caption
    // with room for the focus rectangle, each painted label from where it
    // starts to what stands right of it, each About line in the box.
    const HWND main = form.Handle();
    for (HWND button : {form.SettingsPanel.ButtonApply, form.SettingsPanel.ColorButton, plugins->ButtonOn,
                        plugins->ButtonOff, plugins->ButtonSettings, plugins->ButtonExit})
        EXPECT_LE(TextWidth(button, FontOf(button), Utf8FromWide(WindowTextOf(button))) + 2 * S(3),
                  ChildRect(button).right - ChildRect(button).left);
    const RECT tree = ChildRect(form.Folders.ShellTreeView1->Handle(), main);
    const RECT box = ChildRect(form.SettingsPanel.CheckBoxStartUp, main);
    const int frameRight = ChildRect(form.SettingsPanel.ButtonApply, main).right + S(2);
    const struct {
        int left;
        std::string text;
        int right;
    } labels[] = {
        {S(5), LangAdvert + ":", S(476)},
        {S(6), LangFolderChoice, tree.right + S(4)},
        {tree.left, LangWallpaperFolder + ":", tree.right + S(4)},
        {box.left + S(16), LangStartWithWindows, frameRight},
        {box.left + S(16), LangChangeAtStart, frameRight},
        {box.left + S(16), LangByTimer, ChildRect(form.SettingsPanel.SpinEditTimer.Handle(), main).left},
        {ChildRect(form.SettingsPanel.ColorSwatch.Handle(), main).right + S(2), LangBackgroundColor,
         ChildRect(form.SettingsPanel.ColorButton, main).left},
        {0, LangNoPictures, S(170)},
    };
    for (const auto& label : labels) EXPECT_LE(label.left + TextWidth(main, form.Font(), label.text), label.right) << label.text;
    for (const TAboutForm::Label& label : about.Labels())
        EXPECT_LE(S(label.left) + TextWidth(label.handle, FontOf(label.handle), label.text), S(190)) << label.text;

    // The language menu shows English in force; a pick of "Русский" re-captions
    // every window at once and saves the whole file.
    HMENU options = GetSubMenu(GetMenu(main), 1);
    ASSERT_NE(options, nullptr);
    HMENU languages = GetSubMenu(options, GetMenuItemCount(options) - 1);
    ASSERT_NE(languages, nullptr);
    SendMessageW(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(languages), 0);
    EXPECT_TRUE(GetMenuState(languages, CmdLanguageEnglish, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(languages, CmdLanguageRussian, MF_BYCOMMAND) & MF_CHECKED);
    SendMessageW(main, WM_COMMAND, CmdLanguageRussian, 0);
    SendMessageW(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(languages), 0);
    EXPECT_TRUE(GetMenuState(languages, CmdLanguageRussian, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(languages, CmdLanguageEnglish, MF_BYCOMMAND) & MF_CHECKED);
    const std::vector<std::wstring> russian = windowTexts();
    const char* expected[] = {"Файл", "Плагины", "Выход", "Параметры", "Язык / Language", "Русский", "English",
                              "Помощь", "О программе", "Сайт разработчика", "Скачать обои",
                              "Настройки", "Следующая", "Предыдущая", "Выход",
                              "Tavrin Wallpaper", "Применить", "Выбрать",
                              "Плагины", "Вкл", "Выкл", "Настройки", "Выход",
                              "Минута", "Час", "день"};
    // The described texts in their order (other choices of "Параметры" may stand between them).
    size_t next = 0;
    for (const std::wstring& text : russian)
        if (next < std::size(expected) && Utf8FromWide(text) == expected[next]) ++next;
    EXPECT_EQ(next, std::size(expected)) << "missing from here: " << expected[std::min(next, std::size(expected) - 1)];
    EXPECT_EQ(LangAdvert, "Реклама");
    EXPECT_NE(ReadTextFile(Config()).find("language=ru\r\n"), std::string::npos);
    EXPECT_NE(ReadTextFile(Config()).find("nwptimer="), std::string::npos);  // the whole file

    SendMessageW(main, WM_COMMAND, CmdLanguageEnglish, 0);
    EXPECT_EQ(WindowTextOf(plugins->ButtonExit), L"Exit");
    EXPECT_EQ(WindowTextOf(form.SettingsPanel.ColorButton), L"Choose");
    EXPECT_NE(ReadTextFile(Config()).find("language=en\r\n"), std::string::npos);
    EXPECT_TRUE(errors.empty());
}

// "Настройки" refills the panel from Settings, and the tree and the preview
// follow its folder field: a folder chosen but not applied is dropped from all
// three, and "Применить" saves what the field shows.
TEST_F(LanguageTest, TheRefilledPanelItsTreeAndItsPreviewShowTheSavedFolder) {
    const std::string saved = PictureFolder("Saved"), chosen = PictureFolder("Chosen");
    for (const bool withFolder : {false, true}) {
        SCOPED_TRACE(withFolder ? "a folder saved" : "none saved");
        // Each start in a documents folder of its own: the system's profile
        // functions may hold a file written a moment ago as they last read it.
        const std::string own = documents / (withFolder ? "with" : "without");
        CreateDirectoryA(own.c_str(), nullptr);
        CreateDirectoryA((own + "\\Tavrin Wallpaper").c_str(), nullptr);
        SetPersonal(own);
        const std::string config = own + "\\Tavrin Wallpaper\\config.ini";
        WriteTextFile(config, withFolder ? "[options]\r\nwallpaper_directory=" + saved + "\r\n" : "[options]\r\n");
        TForm1 form;
        form.Show();
        form.Folders.ShellTreeView1->SetSelectedPath(chosen);
        TForm::Guarded([&] { form.Folders.ShellTreeView1Click(); });
        ASSERT_EQ(AnsiFromWide(WindowTextOf(form.Folders.EditDir)), chosen);
        ASSERT_EQ(form.Preview.PreviewFolder, chosen);

        form.Tray.TraySettingsClick();
        const std::string field = AnsiFromWide(WindowTextOf(form.Folders.EditDir));
        EXPECT_EQ(field, withFolder ? saved : "");
        if (withFolder) {
            EXPECT_EQ(form.Folders.ShellTreeView1->SelectedPath(), saved);
            EXPECT_EQ(form.Preview.PreviewFolder, saved);
            EXPECT_EQ(form.Preview.PreviewName, "a.bmp");
        } else {
            EXPECT_EQ(form.Folders.ShellTreeView1->Selected(), nullptr);
            EXPECT_EQ(form.Preview.PreviewFolder, "none");
            EXPECT_EQ(form.Preview.PreviewCaption, "");
        }
        form.SettingsPanel.ButtonApplyClick();
        EXPECT_NE(ReadTextFile(config).find("wallpaper_directory=" + field + "\r\n"), std::string::npos);
    }
    EXPECT_TRUE(errors.empty());
}
