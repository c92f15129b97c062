// The settings panel and the preview of the main window, built in-process in a
// prefix of their own: layout, tab order, filling, applying, the colour, the
// timer field, and stepping through a folder's pictures.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "TestSupport.h"
#include "WindowsTestSupport.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "platform/win32/ShellFolders.h"
#include "image/BmpCodec.h"
#include "engine/PreviewList.h"
#include "engine/Scheduler.h"
#include "platform/Platform.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"

using testing_support::TempFolder;
using testing_support::WriteTextFile;

using testing_support::ChildRect;
using testing_support::Pump;

namespace {

bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::wstring ComboItem(HWND combo, int index) {
    wchar_t text[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string StartupLink() { return ReadUserShellFolder("StartUp") + "\\TavrinWP.lnk"; }

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application.OnException = [this](const std::exception& error) { errors.push_back(error.what()); };
        WallpaperTimerToday = [] { return 23; };
    }
    void TearDown() override {
        Application.OnException = nullptr;
        WallpaperTimerToday = [] { return platform::TodayDayOfMonth(); };
        platform::SetCurrentDir(start);
    }
    std::vector<std::string> errors;
    std::string start = platform::GetCurrentDir();
};

}  // namespace

TEST_F(PanelTest, EveryControlStandsAtItsPlaceInItsTabOrderWithItsCaption) {
    TForm1 form;
    const struct {
        HWND window;
        RECT bounds;
    } controls[] = {
        {form.Folders.EditDir, {8, 355, 257, 376}},
        {form.Preview.SpeedButtonPre.Handle(), {280, 236, 340, 258}},
        {form.Preview.SpeedButtonOn.Handle(), {344, 236, 404, 258}},
        {form.Preview.SpeedButtonNext.Handle(), {408, 236, 468, 258}},
        {form.SettingsPanel.CheckBoxStartUp, {274, 272, 288, 286}},
        {form.SettingsPanel.CheckBoxChangeStart, {274, 288, 288, 302}},
        {form.SettingsPanel.CheckBoxTimer, {274, 306, 288, 320}},
        {form.SettingsPanel.ColorSwatch.Handle(), {274, 328, 323, 353}},
        {form.SettingsPanel.ColorButton, {408, 328, 473, 353}},
        {form.SettingsPanel.ButtonApply, {408, 354, 473, 379}},
    };
    for (const auto& control : controls) {
        const RECT rect = ChildRect(control.window);
        EXPECT_EQ(rect.left, control.bounds.left) << rect.left << "," << rect.top;
        EXPECT_EQ(rect.top, control.bounds.top) << rect.left << "," << rect.top;
        EXPECT_EQ(rect.right, control.bounds.right) << rect.left << "," << rect.top;
        EXPECT_EQ(rect.bottom, control.bounds.bottom) << rect.left << "," << rect.top;
    }
    // The number field with its arrows takes 41 x 22 at (360, 304); the unit box 65 wide at (406, 304).
    const RECT field = ChildRect(form.SettingsPanel.SpinEditTimer.Handle()), arrows = ChildRect(form.SettingsPanel.SpinEditTimer.Buttons());
    EXPECT_EQ(field.left, 360);
    EXPECT_EQ(field.top, 304);
    EXPECT_NEAR(arrows.right, 401, 2);  // the arrows may cover the field's 2-pixel edge
    EXPECT_EQ(arrows.bottom - field.top, 22);
    const RECT combo = ChildRect(form.SettingsPanel.TimerUnitBox);
    EXPECT_EQ(combo.left, 406);
    EXPECT_EQ(combo.top, 304);
    EXPECT_EQ(combo.right - combo.left, 65);
    EXPECT_TRUE(GetWindowLongW(form.SettingsPanel.TimerUnitBox, GWL_STYLE) & CBS_DROPDOWN);

    // Tab goes EditDir, Apply, the three boxes, the number, the tree, the unit, the colour button.
    HWND expected[] = {form.SettingsPanel.ButtonApply,   form.SettingsPanel.CheckBoxStartUp,           form.SettingsPanel.CheckBoxChangeStart,
                       form.SettingsPanel.CheckBoxTimer, form.SettingsPanel.SpinEditTimer.Handle(),   form.Folders.ShellTreeView1->Handle(),
                       form.SettingsPanel.TimerUnitBox,     form.SettingsPanel.ColorButton,                  form.Folders.EditDir};
    HWND at = form.Folders.EditDir;
    for (HWND next : expected) {
        at = GetNextDlgTabItem(form.Handle(), at, FALSE);
        EXPECT_EQ(at, next);
    }

    // The caption table gives the texts.
    EXPECT_EQ(LangAdvert, "Реклама");
    EXPECT_EQ(LangFile, "Файл");
    EXPECT_EQ(LangNoPictures, "Картинок нет");
    EXPECT_EQ(LangDay, "день");
    EXPECT_EQ(LangBackgroundColor, "Цвет фона");
    EXPECT_EQ(WindowTextOf(form.SettingsPanel.ButtonApply), WideFromUtf8("Применить"));
    EXPECT_EQ(WindowTextOf(form.SettingsPanel.ColorButton), WideFromUtf8("Выбрать"));
    ASSERT_EQ(SendMessageW(form.SettingsPanel.TimerUnitBox, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboItem(form.SettingsPanel.TimerUnitBox, 0), WideFromUtf8("Минута"));
    EXPECT_EQ(ComboItem(form.SettingsPanel.TimerUnitBox, 1), WideFromUtf8("Час"));
    EXPECT_EQ(ComboItem(form.SettingsPanel.TimerUnitBox, 2), WideFromUtf8("день"));
}

// The face realised for the window's font is wider on an English Windows than on
// a Russian one: on both every unit, measured with the box's font, fits its
// field with the caret, and "Минута" does not scroll when the box takes the focus.
TEST_F(PanelTest, TheUnitsFitTheUnitBoxInTheFaceTheSystemRealises) {
    TForm1 form;
    form.Show();
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(form.SettingsPanel.TimerUnitBox, &info));
    const auto margins = static_cast<DWORD>(SendMessageW(info.hwndItem, EM_GETMARGINS, 0, 0));
    const int room = info.rcItem.right - info.rcItem.left - LOWORD(margins) - HIWORD(margins);
    const WindowDC dc(info.hwndItem);
    const Selection font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(form.SettingsPanel.TimerUnitBox, WM_GETFONT, 0, 0)));
    for (int i = 0; i < 3; ++i) {
        const std::wstring unit = ComboItem(form.SettingsPanel.TimerUnitBox, i);
        SIZE size = {};
        GetTextExtentPoint32W(dc, unit.c_str(), static_cast<int>(unit.size()), &size);
        EXPECT_LT(size.cx, room) << "unit " << i << " with its caret";
    }
    SendMessageW(form.SettingsPanel.TimerUnitBox, CB_SETCURSEL, 0, 0);
    SetFocus(form.SettingsPanel.TimerUnitBox);
    Pump();
    ASSERT_EQ(GetFocus(), info.hwndItem);
    const auto first = static_cast<DWORD>(SendMessageW(info.hwndItem, EM_POSFROMCHAR, 0, 0));
    EXPECT_GE(static_cast<short>(LOWORD(first)), 0) << "the first letter scrolled out of the field";
}

TEST_F(PanelTest, FillingShowsTheSettingsAndNeverClearsATick) {
    TForm1 form;
    Settings = TSettings{};
    Settings.wallpaper_directory = "C:\\Pictures";
    Settings.nwptimer = 5000;  // unchecked from config.ini
    Settings.WpTimerUnit = 1;
    SendMessageW(form.SettingsPanel.CheckBoxTimer, BM_SETCHECK, BST_CHECKED, 0);  // ticked by the user, not applied
    form.SettingsPanel.FillSettingsPanel();
    EXPECT_TRUE(Ticked(form.SettingsPanel.CheckBoxTimer));
    EXPECT_FALSE(Ticked(form.SettingsPanel.CheckBoxStartUp));
    EXPECT_EQ(WindowTextOf(form.Folders.EditDir), L"C:\\Pictures");
    EXPECT_EQ(SendMessageW(form.SettingsPanel.TimerUnitBox, CB_GETCURSEL, 0, 0), 1);
    // The range was set at start, so the stored value is clamped when shown again.
    EXPECT_EQ(form.SettingsPanel.SpinEditTimer.MinValue(), 1);
    EXPECT_EQ(form.SettingsPanel.SpinEditTimer.MaxValue(), 960);
    EXPECT_EQ(form.SettingsPanel.SpinEditTimer.Value(), 960);

    Settings.startup = Settings.changestart = true;
    form.SettingsPanel.FillSettingsPanel();
    EXPECT_TRUE(Ticked(form.SettingsPanel.CheckBoxStartUp));
    EXPECT_TRUE(Ticked(form.SettingsPanel.CheckBoxChangeStart));
}

TEST_F(PanelTest, TheTimerFieldStepsByOneKeepsItsRangeAndReadsTextAsTheMinimum) {
    TForm1 form;
    TSpinEdit& spin = form.SettingsPanel.SpinEditTimer;
    auto arrow = [&](int delta) {
        NMUPDOWN change = {};
        change.hdr.hwndFrom = spin.Buttons();
        change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(spin.Buttons()));
        change.hdr.code = UDN_DELTAPOS;
        change.iDelta = delta;
        SendMessageW(form.Handle(), WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
    };
    spin.SetValue(10);
    arrow(1);
    EXPECT_EQ(spin.Value(), 11);
    arrow(-1);
    arrow(-1);
    EXPECT_EQ(spin.Value(), 9);
    spin.SetValue(960);
    arrow(1);
    EXPECT_EQ(spin.Value(), 960);
    spin.SetValue(1);
    arrow(-1);
    EXPECT_EQ(spin.Value(), 1);

    // Typed values stand until the field loses the focus, which clamps them.
    SetWindowTextW(spin.Handle(), L"1500");
    EXPECT_EQ(spin.Value(), 1500);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(spin.Handle()), EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(spin.Handle()));
    EXPECT_EQ(WindowTextOf(spin.Handle()), L"960");
    SetWindowTextW(spin.Handle(), L"twelve");
    EXPECT_EQ(spin.Value(), 1);
    SetWindowTextW(spin.Handle(), L" 42 ");
    EXPECT_EQ(spin.Value(), 42);

    // Without a range nothing is clamped and text reads as 0.
    TSpinEdit loose;
    loose.Create(form.Handle(), 0, 0, 41, 22, 900, form.Font());
    loose.SetValue(-5);
    EXPECT_EQ(loose.Value(), -5);
    SetWindowTextW(loose.Handle(), L"x");
    EXPECT_EQ(loose.Value(), 0);
}

TEST_F(PanelTest, ApplyStoresThePanelRestartsTheRotationAndSetsTimerAndShortcut) {
    TForm1 form;
    TempFolder pictures;
    Settings = TSettings{};
    Settings.wallpaper_directory = pictures.Path();
    Settings.number = 7;
    Settings.current = pictures / "a.jpg";
    form.SettingsPanel.FillSettingsPanel();

    // Unchanged folder, timer on in hours, start with Windows.
    SendMessageW(form.SettingsPanel.CheckBoxTimer, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(form.SettingsPanel.CheckBoxStartUp, BM_SETCHECK, BST_CHECKED, 0);
    form.SettingsPanel.SpinEditTimer.SetValue(3);
    SendMessageW(form.SettingsPanel.TimerUnitBox, CB_SETCURSEL, 1, 0);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form.SettingsPanel.ButtonApply), BN_CLICKED),
                 reinterpret_cast<LPARAM>(form.SettingsPanel.ButtonApply));
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(Settings.number, 1);
    EXPECT_EQ(Settings.wallpaper_directory, pictures.Path());
    EXPECT_EQ(Settings.current, pictures / "a.jpg");  // the picture shown is still of this folder
    EXPECT_TRUE(Settings.wptimer);
    EXPECT_TRUE(Settings.startup);
    EXPECT_TRUE(form.TimerWp.Enabled());
    EXPECT_EQ(form.TimerWp.Interval(), 3u * 3600000u);
    EXPECT_EQ(Settings.WpTimerDay, 23);
    EXPECT_TRUE(platform::FileExists(StartupLink()));
    EXPECT_EQ(platform::ReadIniString(ConfigPath, "options", "number", ""), "1");
    EXPECT_EQ(platform::ReadIniString(ConfigPath, "options", "WpTimerUnit", ""), "1");
    EXPECT_EQ(platform::ReadIniString(ConfigPath, "options", "WpTimerDay", ""), "23");

    // A folder that does not exist is put back; the rest still applies: timer
    // off at once, no shortcut, a unit typed by hand.
    SetWindowTextW(form.Folders.EditDir, L"C:\\no such folder");
    SendMessageW(form.SettingsPanel.CheckBoxTimer, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(form.SettingsPanel.CheckBoxStartUp, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(form.SettingsPanel.TimerUnitBox, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextW(form.SettingsPanel.TimerUnitBox, L"неделя");
    form.SettingsPanel.ButtonApplyClick();
    EXPECT_EQ(WindowTextOf(form.Folders.EditDir), WideFromAnsi(pictures.Path()));
    EXPECT_EQ(Settings.wallpaper_directory, pictures.Path());
    EXPECT_EQ(Settings.current, pictures / "a.jpg");
    EXPECT_FALSE(Settings.wptimer);
    EXPECT_FALSE(form.TimerWp.Enabled());
    EXPECT_FALSE(platform::FileExists(StartupLink()));
    EXPECT_EQ(Settings.WpTimerUnit, -1);
    EXPECT_EQ(platform::ReadIniString(ConfigPath, "options", "WpTimerUnit", ""), "-1");
    EXPECT_EQ(platform::ReadIniString(ConfigPath, "options", "wptimer", ""), "0");

    // Another folder: no picture of it has been shown, so none is "current".
    TempFolder other;
    SetWindowTextW(form.Folders.EditDir, WideFromAnsi(other.Path()).c_str());
    form.SettingsPanel.ButtonApplyClick();
    EXPECT_EQ(Settings.wallpaper_directory, other.Path());
    EXPECT_EQ(Settings.current, "");
}

TEST_F(PanelTest, TheColourDialogOpensWithWhatItReturnedLast) {
    TForm1 form;
    Settings = TSettings{};
    Settings.BackgroundColor = 0x000000FF;
    std::vector<COLORREF> shown;
    COLORREF answer = 0;
    bool confirm = true;
    form.SettingsPanel.ColorDialog1Execute = [&](COLORREF& color) {
        shown.push_back(color);
        color = answer;
        return confirm;
    };
    answer = 0x00336699;
    form.SettingsPanel.ColorButtonClick();
    EXPECT_EQ(Settings.BackgroundColor, 0x00336699u);
    EXPECT_EQ(form.SettingsPanel.ColorSwatch.Color(), 0x00336699u);
    Settings.BackgroundColor = 0x00FFFFFF;  // not what the dialog starts from
    confirm = false;
    answer = 0x00000001;
    form.SettingsPanel.ColorButtonClick();
    EXPECT_EQ(Settings.BackgroundColor, 0x00FFFFFFu);
    EXPECT_EQ(form.SettingsPanel.ColorSwatch.Color(), 0x00336699u);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], 0x00336699u);
}

TEST_F(PanelTest, ThePreviewStepsThroughAFoldersPicturesAndCutsLongNames) {
    TForm1 form;
    TempFolder folder;
    Bitmap picture;
    picture.Reset(400, 300, 24);
    const std::string longName = "a-very-long-picture-name-of-40-chars.bmp";
    for (const std::string& name : {std::string("one.bmp"), std::string("two.BMP"), longName}) {
        const std::vector<uint8_t> bytes = EncodeBmp(picture);
        platform::WriteFileReplacing(folder / name, [&](platform::OutputFile& out) { out.Write(bytes.data(), bytes.size()); });
    }
    WriteTextFile(folder / "notes.txt", "x");
    HBITMAP startPicture = form.Preview.Image1Picture();
    ASSERT_NE(startPicture, nullptr);  // the default picture

    form.Folders.ShellTreeView1->SetSelectedPath(folder.Path());
    form.Folders.ShellTreeView1Click();
    EXPECT_EQ(WindowTextOf(form.Folders.EditDir), WideFromAnsi(folder.Path()));
    EXPECT_EQ(form.Preview.PreviewFolder, folder.Path());
    EXPECT_EQ(form.Preview.PreviewName, FirstPicture(folder.Path()));
    BITMAP shown;
    GetObjectW(form.Preview.Image1Picture(), sizeof shown, &shown);
    EXPECT_EQ(shown.bmWidth, 170);  // 400 x 300 reduced into 170 x 130
    EXPECT_EQ(shown.bmHeight, 127);

    // Next through to the end and back; the long name is cut to 25 characters.
    std::vector<std::string> seen = {form.Preview.PreviewName};
    for (int i = 0; i < 3; ++i) {
        form.Preview.SpeedButtonNext.Click();
        seen.push_back(form.Preview.PreviewName);
        if (form.Preview.PreviewName == longName) EXPECT_EQ(form.Preview.PreviewCaption, longName.substr(0, 25));
    }
    EXPECT_EQ(seen[2], seen[3]) << "no wrap-around at the end";
    EXPECT_NE(std::find(seen.begin(), seen.end(), longName), seen.end());
    for (int i = 0; i < 3; ++i) form.Preview.SpeedButtonPre.Click();
    EXPECT_EQ(form.Preview.PreviewName, seen[0]) << "no wrap-around at the start";

    // A folder without pictures: the caption says so, the picture stays.
    HBITMAP before = form.Preview.Image1Picture();
    TempFolder empty;
    form.Folders.ShellTreeView1->SetSelectedPath(empty.Path());
    form.Folders.ShellTreeView1Click();
    EXPECT_EQ(form.Preview.PreviewName, "none");
    EXPECT_EQ(form.Preview.PreviewCaption, "Картинок нет");
    EXPECT_EQ(form.Preview.Image1Picture(), before);
    form.Preview.SpeedButtonNext.Click();  // does nothing
    EXPECT_EQ(form.Preview.PreviewName, "none");
    EXPECT_TRUE(errors.empty());
}

TEST_F(PanelTest, ADamagedPictureIsReportedAndTheNextStepStartsFromIt) {
    TForm1 form;
    TempFolder folder;
    Bitmap picture;
    picture.Reset(50, 40, 24);
    const std::vector<uint8_t> bytes = EncodeBmp(picture);
    platform::WriteFileReplacing(folder / "a.bmp", [&](platform::OutputFile& out) { out.Write(bytes.data(), bytes.size()); });
    WriteTextFile(folder / "b.bmp", "damaged");
    form.Folders.ShellTreeView1->SetSelectedPath(folder.Path());
    TForm::Guarded([&] { form.Folders.ShellTreeView1Click(); });  // as a click in the tree runs it
    const std::string good = form.Preview.PreviewName, caption = form.Preview.PreviewCaption;
    const std::string damaged = good == "a.bmp" ? "b.bmp" : "a.bmp";
    HBITMAP shown = form.Preview.Image1Picture();
    if (good == "a.bmp") {
        form.Preview.SpeedButtonNext.Click();  // through the button's guard, as a click is
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(form.Preview.PreviewName, damaged);
        EXPECT_EQ(form.Preview.PreviewCaption, caption);
        EXPECT_EQ(form.Preview.Image1Picture(), shown);
    } else {
        EXPECT_EQ(form.Preview.PreviewName, "b.bmp");
        ASSERT_EQ(errors.size(), 1u);  // the first picture itself failed
    }
    // The box names the picture and says it cannot be shown, then the loader's reason.
    EXPECT_EQ(errors[0].rfind("Не удаётся показать картинку " + folder / damaged + ":\r\n", 0), 0u) << errors[0];
    EXPECT_GT(errors[0].size(), ("Не удаётся показать картинку " + folder / damaged + ":\r\n").size());
    // A folder that has gone: the step reports the runtime's error.
    errors.clear();
    form.Preview.PreviewFolder = folder / "gone";
    form.Preview.PreviewName = "a.bmp";
    form.Preview.SpeedButtonPre.Click();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "File not found");
}
