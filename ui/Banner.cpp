// The main window's banner pane, its reload timer, the About box command and
// the links to the program's web site.
#include "ui/Banner.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "toolkit/Forms.h"
#include "toolkit/GIFWin32.h"
#include "ui/About.h"
#include "ui/LangUnit.h"
#include "ui/Painting.h"

std::function<void(const std::string&)> OpenWebAddress = [](const std::string& address) {
    ShellExecuteA(Application.Handle(), "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
};

namespace {

std::string BannerResourceName(int index) { return "reklama" + std::to_string(index); }

}  // namespace

TBannerPane::TBannerPane(TForm& form, UINT_PTR timerId) : TimerReklama(form, timerId) {}

void TBannerPane::Create(HWND parent, HFONT font) {
    font_ = font;
    GIFAnimator1.SetAutoSize(false);
    GIFAnimator1.SetTransparent(false);
    GIFAnimator1.CreateHandle(parent, 6, 18, 468, 60);
    GIFAnimator1.OnClick = [this] {
        if (!Application.Busy()) GIFAnimator1Click();
    };
    GIFAnimator1.SetAnimate(true);
    TimerReklama.SetInterval(10000);
    TimerReklama.OnTimer = [this] { TimerReklamaTimer(); };
    TimerReklama.SetEnabled(true);
}

void TBannerPane::Load(int index) {
    ReadGIFResource(GIFAnimator1.Image(), GetModuleHandleW(nullptr), BannerResourceName(index).c_str(),
                    MAKEINTRESOURCEA(10));
}

void TBannerPane::LoadFirstBanner() {
    Load(1);
    BannerIndex = 1;
}

void TBannerPane::Paint(HDC dc) const {
    FrameCanvas canvas(dc, font_);
    Outline(dc, 4, 4, 476, 80);
    PaintText(dc, 5, 5, LangAdvert + ":");
}

void TBannerPane::TimerReklamaTimer() {
    BannerIndex += 1;
    if (BannerIndex > kBannerCount) BannerIndex = 1;
    Load(BannerIndex);
}

void TBannerPane::GIFAnimator1Click() {
    if (BannerIndex == 1) OpenWebAddress(kAdvertiserPage1);
}

void TBannerPane::AboutClick() { ShowAbout(); }
void TBannerPane::DeveloperSiteClick() { OpenWebAddress(kDeveloperSite); }
void TBannerPane::WallpapersPageClick() { OpenWebAddress(kWallpapersPage); }
