// The windows on a screen of another scale: run in prefixes whose display is
// at 120, 144 and 192 DPI (and at 144 on a Russian Windows). The test carries
// the program's manifest, so it is aware of the scale as the program is. Every
// control stands at its 96-DPI place times the scale (within a pixel), every
// caption fits its control in the face the system realised, and the preview's
// picture is decoded for the scaled box.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>

#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "platform/Platform.h"
#include "ui/About.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "ui/PluginForm.h"

namespace {

int dpiInForce = 0;  // a scale the test moved a window to; 0: the display's
int Dpi() { return dpiInForce ? dpiInForce : SystemDpi(); }
int S(int value) { return MulDiv(value, Dpi(), 96); }

RECT ChildBounds(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A control's place and size at the scale, within a pixel of the 96-DPI ones scaled.
void ExpectPlace(HWND parent, HWND child, int left, int top, int width, int height, const char* what) {
    const RECT bounds = ChildBounds(parent, child);
    EXPECT_NEAR(bounds.left, S(left), 1) << what;
    EXPECT_NEAR(bounds.top, S(top), 1) << what;
    if (width) EXPECT_NEAR(bounds.right - bounds.left, S(width), 1) << what;
    if (height) EXPECT_NEAR(bounds.bottom - bounds.top, S(height), 1) << what;
}

void ExpectClient(HWND window, int width, int height, const char* what) {
    RECT client;
    GetClientRect(window, &client);
    EXPECT_NEAR(client.right, S(width), 1) << what;
    EXPECT_NEAR(client.bottom, S(height), 1) << what << " on a screen of " << GetSystemMetrics(SM_CXSCREEN) << " x " << GetSystemMetrics(SM_CYSCREEN);
}

// A push button's caption, measured in the button's own font, fits inside its
// edges with room for the focus rectangle.
void ExpectCaptionFits(HWND button) {
    const std::wstring text = WindowTextOf(button);
    HDC dc = GetDC(button);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    RECT client;
    GetClientRect(button, &client);
    EXPECT_LE(size.cx + 2 * S(3), client.right) << Utf8FromWide(text);
    EXPECT_LE(size.cy, client.bottom) << Utf8FromWide(text);
}

class DpiTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(Dpi(), 96) << "the prefix's display is to be set to another scale"; }
};

TEST_F(DpiTest, TheMainWindowIsLaidOutAndPaintedAtTheScale) {
    TForm1 form;
    form.Show();
    EXPECT_EQ(form.Dpi(), Dpi());
    const HWND window = form.Handle();
    ExpectClient(window, 478, 381, "main window");
    ExpectPlace(window, form.Banner.GIFAnimator1.Handle(), 6, 18, 468, 60, "banner");
    ExpectPlace(window, form.Folders.ShellTreeView1->Handle(), 8, 104, 249, 233, "folder tree");
    ExpectPlace(window, form.Folders.EditDir, 8, 355, 249, 21, "folder field");
    ExpectPlace(window, form.Preview.SpeedButtonPre.Handle(), 280, 236, 60, 22, "previous");
    ExpectPlace(window, form.Preview.SpeedButtonOn.Handle(), 344, 236, 60, 22, "apply picture");
    ExpectPlace(window, form.Preview.SpeedButtonNext.Handle(), 408, 236, 60, 22, "next");
    TSettingsPanel& panel = form.SettingsPanel;
    ExpectPlace(window, panel.CheckBoxStartUp, 274, 272, 14, 14, "start-up box");
    ExpectPlace(window, panel.CheckBoxChangeStart, 274, 288, 14, 14, "change-at-start box");
    ExpectPlace(window, panel.CheckBoxTimer, 274, 306, 14, 14, "timer box");
    ExpectPlace(window, panel.SpinEditTimer.Handle(), 360, 304, 0, 22, "timer count");
    ExpectPlace(window, panel.TimerUnitBox, 406, 304, 0, 0, "timer unit");
    ExpectPlace(window, panel.ColorSwatch.Handle(), 274, 328, 49, 25, "swatch");
    ExpectPlace(window, panel.ColorButton, 408, 328, 65, 25, "colour button");
    ExpectPlace(window, panel.ButtonApply, 408, 354, 65, 25, "apply");
    ExpectCaptionFits(panel.ColorButton);
    ExpectCaptionFits(panel.ButtonApply);
    // The tree's icons: at 200 % the system's 32-pixel ones, its small icons' size there.
    int iconWidth = 0, iconHeight = 0;
    ImageList_GetIconSize(TreeView_GetImageList(form.Folders.ShellTreeView1->Handle(), TVSIL_NORMAL), &iconWidth,
                          &iconHeight);
    if (Dpi() >= 192) EXPECT_EQ(iconWidth, S(16));

    // The frames and the painted captions at the scaled places: the banner's
    // frame runs along row 4 scaled, and the caption "Реклама:" inks below it.
    HDC dc = GetDC(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    int frame = 0;
    for (int x = S(10); x < S(400); ++x) frame += GetPixel(dc, x, S(4)) == RGB(0x14, 0x5F, 0xFA);
    EXPECT_GT(frame, S(380)) << "the banner's frame at the scaled row";
    ReleaseDC(window, dc);

    // The preview's picture is decoded for the scaled 170 x 130 box: a 400 x 300
    // picture becomes 170 x 127 at 96 DPI, and as many pixels more as the scale.
    testing_support::TempFolder folder;
    Bitmap picture;
    picture.Reset(400, 300, 24);
    const std::vector<uint8_t> bytes = EncodeBmp(picture);
    testing_support::WriteTextFile(folder / "a.bmp", std::string(bytes.begin(), bytes.end()));
    form.Preview.ShowFolder(folder.Path());
    BITMAP shown;
    GetObjectW(form.Preview.Image1Picture(), sizeof shown, &shown);
    EXPECT_NEAR(shown.bmWidth, S(170), 1);
    EXPECT_NEAR(shown.bmHeight, 300 * S(170) / 400, 1);
}

// Moved to a screen of another scale, a window takes the rectangle the system
// suggests and lays itself out again there. (Wine has one screen: the message
// is sent as the system sends it.)
TEST_F(DpiTest, AWindowMovedToAScreenOfAnotherScaleLaysItselfOutAgain) {
    TForm1 form;
    form.Show();
    TPluginForm plugins;
    dpiInForce = Dpi() == 192 ? 120 : 192;
    for (TForm* window : {static_cast<TForm*>(&form), static_cast<TForm*>(&plugins)}) {
        RECT suggested;
        GetWindowRect(window->Handle(), &suggested);
        suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, dpiInForce, SystemDpi());
        suggested.bottom = suggested.top + MulDiv(suggested.bottom - suggested.top, dpiInForce, SystemDpi());
        SendMessageW(window->Handle(), WM_DPICHANGED, MAKEWPARAM(dpiInForce, dpiInForce),
                     reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(window->Dpi(), dpiInForce);
    }
    ExpectClient(form.Handle(), 478, 381, "main window");
    ExpectPlace(form.Handle(), form.Folders.ShellTreeView1->Handle(), 8, 104, 249, 233, "folder tree");
    ExpectPlace(form.Handle(), form.Preview.SpeedButtonNext.Handle(), 408, 236, 60, 22, "next");
    ExpectPlace(form.Handle(), form.SettingsPanel.ButtonApply, 408, 354, 65, 25, "apply");
    ExpectPlace(form.Handle(), form.Banner.GIFAnimator1.Handle(), 6, 18, 468, 60, "banner");
    ExpectCaptionFits(form.SettingsPanel.ButtonApply);
    ExpectClient(plugins.Handle(), 388, 151, "plugin window");
    ExpectPlace(plugins.Handle(), plugins.ButtonExit, 312, 120, 75, 25, "exit");
    // The font follows: 8 points at the new scale.
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form.SettingsPanel.ButtonApply, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, dpiInForce, 72));
    dpiInForce = 0;
}

TEST_F(DpiTest, ThePluginWindowAndTheAboutBoxAreLaidOutAtTheScale) {
    LoadCaptions();
    TPluginForm plugins;
    ExpectClient(plugins.Handle(), 388, 151, "plugin window");
    ExpectPlace(plugins.Handle(), plugins.ListBox1, 0, 0, 305, 145, "plugin list");
    ExpectPlace(plugins.Handle(), plugins.ButtonOn, 312, 0, 75, 25, "on");
    ExpectPlace(plugins.Handle(), plugins.ButtonOff, 312, 32, 75, 25, "off");
    ExpectPlace(plugins.Handle(), plugins.ButtonSettings, 312, 64, 75, 25, "settings");
    ExpectPlace(plugins.Handle(), plugins.ButtonExit, 312, 120, 75, 25, "exit");
    for (auto [button, caption] : {std::pair{plugins.ButtonOn, &LangOn}, {plugins.ButtonOff, &LangOff},
                                   {plugins.ButtonSettings, &LangSettings}, {plugins.ButtonExit, &LangExit}})
        SetWindowTextW(button, WideFromUtf8(*caption).c_str());
    for (HWND button : {plugins.ButtonOn, plugins.ButtonOff, plugins.ButtonSettings, plugins.ButtonExit})
        ExpectCaptionFits(button);

    TAboutForm about;
    ExpectClient(about.Handle(), 190, 205, "About box");
    ExpectPlace(about.Handle(), about.OkButton(), 72, 176, 49, 25, "OK");
    for (const TAboutForm::Label& label : about.Labels()) {
        ExpectPlace(about.Handle(), label.handle, label.left, label.top, 0, 0, label.text.c_str());
        // Each label reaches at least the box's right edge, and is as high as its text.
        const RECT bounds = ChildBounds(about.Handle(), label.handle);
        EXPECT_GE(bounds.right, S(190) - 1) << label.text;
        EXPECT_GE(bounds.bottom - bounds.top, S(11)) << label.text;
    }
}

}  // namespace
