// The main window built in-process, where its menu and painting can be read.
#include <gtest/gtest.h>

#include <string>

#include "app/Paths.h"
#include "app/Settings.h"
#include "engine/Scheduler.h"
#include "platform/Platform.h"
#include "ui/Forms.h"
#include "ui/Main.h"

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
    EXPECT_EQ(GetMenuItemID(file, last), static_cast<UINT>(TForm1::CmdN2));
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

TEST(MainForm, HasTheTrayMenuInItsOrder) {
    TForm1 form;
    ASSERT_NE(form.PopupMenu1, nullptr);
    ASSERT_EQ(GetMenuItemCount(form.PopupMenu1), 4);
    const char* texts[] = {"Настройки", "Следующая", "Предыдущая", "Выход"};
    const UINT ids[] = {TForm1::CmdN6, TForm1::CmdN7, TForm1::CmdN8, TForm1::CmdN9};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(MenuText(form.PopupMenu1, i), WideFromUtf8(texts[i]));
        EXPECT_EQ(GetMenuItemID(form.PopupMenu1, i), ids[i]);
    }
    EXPECT_EQ(TForm1::TrayCallbackMessage, 1141u);
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
