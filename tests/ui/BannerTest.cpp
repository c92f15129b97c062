// The banner on the main window, the "Помощь" menu, the About box and the web
// addresses the program opens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "WindowsTestSupport.h"
#include "ui/About.h"
#include "ui/Banner.h"
#include "ui/Main.h"

using testing_support::ChildRect;

namespace {

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

class BannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        RealOpenWebAddress();
        OpenWebAddress = [this](const std::string& address) { opened.push_back(address); };
    }
    // The program's own OpenWebAddress, kept before the first test replaces it.
    static const std::function<void(const std::string&)>& RealOpenWebAddress() {
        static const std::function<void(const std::string&)> real = OpenWebAddress;
        return real;
    }
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(BannerTest, TheBannerPlaysAtTheTopOfTheMainWindow) {
    TForm1 form;
    HWND banner = form.Banner.GIFAnimator1.Handle();
    ASSERT_NE(banner, nullptr);
    const RECT rect = ChildRect(banner);
    EXPECT_EQ(rect.left, 6);
    EXPECT_EQ(rect.top, 18);
    EXPECT_EQ(rect.right - rect.left, 468);
    EXPECT_EQ(rect.bottom - rect.top, 60);
    EXPECT_TRUE(form.Banner.GIFAnimator1.Animate());
    EXPECT_FALSE(form.Banner.GIFAnimator1.AutoSize());
    EXPECT_FALSE(form.Banner.GIFAnimator1.Transparent());
    EXPECT_EQ(form.Banner.BannerIndex, 1);

    // The banner resource: 468 x 60, 15 frames in a cycle of about 9 seconds.
    TGIFImage& image = form.Banner.GIFAnimator1.Image();
    ASSERT_EQ(image.FrameCount(), 15);
    EXPECT_EQ(image.LogicalWidth(), 468);
    EXPECT_EQ(image.LogicalHeight(), 60);
    EXPECT_EQ(image.Version(), TGIFVersion::gv89a);
    EXPECT_TRUE(image.Looping());
    uint32_t cycle = 0;
    for (int i = 0; i < 15; ++i) {
        TGIFFrame& frame = image.Frame(i);
        cycle += frame.Delay;
        EXPECT_GE(frame.Delay, 200u);
        EXPECT_LE(frame.Delay, 2000u);
        EXPECT_EQ(frame.Disposal, 0);
        EXPECT_FALSE(frame.Corrupted);
        if (i == 0) {
            EXPECT_EQ(frame.Width(), 468);
            EXPECT_EQ(frame.TransparentColor, clNone);
        } else {
            EXPECT_NE(frame.TransparentColor, clNone);
            EXPECT_LT(frame.Width() * frame.Height(), 468 * 60 / 4) << "frame " << i << " is a small overlay";
        }
    }
    EXPECT_GE(cycle, 8500u);
    EXPECT_LE(cycle, 9500u);
}

TEST_F(BannerTest, TheReloadTimerRestartsTheBannerAndKeepsBannerOne) {
    TForm1 form;
    form.Show();
    EXPECT_TRUE(form.Banner.TimerReklama.Enabled());
    EXPECT_EQ(form.Banner.TimerReklama.Interval(), 10000u);
    form.Banner.GIFAnimator1.Tick();
    form.Banner.GIFAnimator1.Tick();
    EXPECT_EQ(form.Banner.GIFAnimator1.FrameIndex(), 2);
    for (int i = 0; i < 3; ++i) form.Banner.TimerReklamaTimer();
    EXPECT_EQ(form.Banner.BannerIndex, 1);
    EXPECT_EQ(form.Banner.GIFAnimator1.FrameIndex(), 0);
    EXPECT_TRUE(form.Banner.GIFAnimator1.Animate());
    EXPECT_EQ(form.Banner.GIFAnimator1.Timer().Interval(), form.Banner.GIFAnimator1.Image().Frame(0).Delay);

    // A click on the banner (press and release inside it) opens advertiser page 1.
    HWND banner = form.Banner.GIFAnimator1.Handle();
    SendMessageW(banner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 30));
    SendMessageW(banner, WM_LBUTTONUP, 0, MAKELPARAM(100, 30));
    // A press released outside is no click.
    SendMessageW(banner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 30));
    SendMessageW(banner, WM_LBUTTONUP, 0, MAKELPARAM(600, 30));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], kAdvertiserPage1);
    EXPECT_NE(opened[0].find("porta.phtml?from="), std::string::npos);
}

TEST_F(BannerTest, TheHelpMenuOpensTheProgramsPages) {
    TForm1 form;
    HMENU bar = GetMenu(form.Handle());
    ASSERT_GE(GetMenuItemCount(bar), 3);
    EXPECT_EQ(MenuText(bar, 1), WideFromUtf8("Параметры"));
    EXPECT_EQ(MenuText(bar, 2), WideFromUtf8("Помощь"));
    HMENU help = GetSubMenu(bar, 2);
    ASSERT_EQ(GetMenuItemCount(help), 3);
    EXPECT_EQ(MenuText(help, 0), WideFromUtf8("О программе"));
    EXPECT_EQ(MenuText(help, 1), WideFromUtf8("Сайт разработчика"));
    EXPECT_EQ(MenuText(help, 2), WideFromUtf8("Скачать обои"));
    EXPECT_EQ(GetMenuItemID(help, 0), UINT(CmdAbout));

    SendMessageW(form.Handle(), WM_COMMAND, GetMenuItemID(help, 1), 0);
    SendMessageW(form.Handle(), WM_COMMAND, GetMenuItemID(help, 2), 0);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "http://www.tavrinwp.ru/");
    EXPECT_EQ(opened[1], "http://www.tavrinwp.ru/wallpapers.html");
}

namespace {
HWND aboutSeen = nullptr;
bool ownerDisabled = false;
int aboutShown = 0;
TForm1* aboutOwner = nullptr;
int bannerLoads = 0, loadsAtOpen = -1, loadsWhileOpen = 0, ticksOpen = 0;

// While the box runs its modal loop, a timer of this thread closes it: with
// Esc the first time, with "OK" the second; the first time only once the
// banner has been reloaded twice meanwhile (or after 10 seconds).
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowW(L"TAboutForm", nullptr);
    if (!box || !IsWindowVisible(box)) return;
    if (loadsAtOpen < 0) loadsAtOpen = bannerLoads;
    loadsWhileOpen = bannerLoads - loadsAtOpen;
    if (aboutShown == 0 && loadsWhileOpen < 2 && ++ticksOpen < 50) return;
    aboutSeen = box;
    ownerDisabled = !IsWindowEnabled(aboutOwner->Handle());
    HWND ok = GetDlgItem(box, IDCANCEL);
    if (aboutShown++ == 0) {
        PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
        PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        KillTimer(nullptr, id);
    }
}
}  // namespace

TEST_F(BannerTest, TheAboutBoxIsModalClosesWithEscOrOkAndTheBannerReloadsMeanwhile) {
    TForm1 form;
    form.Show();
    aboutOwner = &form;
    aboutShown = 0;
    // The banner is reloaded while the box is open (sooner than every 10 s here).
    form.Banner.GIFAnimator1.OnChange = [] { ++bannerLoads; };
    form.Banner.TimerReklama.SetInterval(300);
    SetTimer(nullptr, 0, 200, CloseAboutBox);
    SendMessageW(form.Handle(), WM_COMMAND, CmdAbout, 0);
    EXPECT_NE(aboutSeen, nullptr);
    EXPECT_GE(loadsWhileOpen, 2);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    EXPECT_FALSE(IsWindow(aboutSeen)) << "the box is destroyed when it closes";
    SendMessageW(form.Handle(), WM_COMMAND, CmdAbout, 0);
    EXPECT_EQ(aboutShown, 2);
    EXPECT_EQ(FindWindowW(L"TAboutForm", nullptr), nullptr);
}

// A browser that honours the show command shows the page: the address is
// opened with SW_SHOWNORMAL. (A program stands in for the page here.)
TEST_F(BannerTest, AnAddressOpensShownNormally) {
    testing_support::TempFolder folder;
    const std::string page = folder / "page.exe";
    ASSERT_TRUE(CopyFileA(testing_support::HelperProgram("ChildProcess").c_str(), page.c_str(), FALSE));
    RealOpenWebAddress()(page);
    const std::string report = page + ".txt";
    for (int i = 0; i < 600 && GetFileAttributesA(report.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    Sleep(100);  // written in one go; let it be closed
    EXPECT_EQ(testing_support::ReadTextFile(report), std::to_string(SW_SHOWNORMAL) + "\n");
}
