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

// "reklama1"; with English captions the same banner in English words, "reklama1en".
std::string BannerResourceName(int index) {
    return "reklama" + std::to_string(index) + (LoadedCaptionLanguage() == CaptionLanguage::English ? "en" : "");
}

}  // namespace

TBannerPane::TBannerPane(TForm& form, UINT_PTR timerId) : TimerReklama(form, timerId) {}

void TBannerPane::Create(HWND parent, HFONT font, int dpi) {
    font_ = font;
    dpi_ = dpi;
    // The 468 x 60 banner fills its place on a screen of another scale.
    GIFAnimator1.SetStretch(dpi != 96);
    GIFAnimator1.SetAutoSize(false);
    GIFAnimator1.SetTransparent(false);
    GIFAnimator1.CreateHandle(parent, Scaled(6, dpi), Scaled(18, dpi), Scaled(468, dpi), Scaled(60, dpi));
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

void TBannerPane::AssignCaptions() {
    if (BannerIndex > 0) Load(BannerIndex);
}

void TBannerPane::Layout(int dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    GIFAnimator1.SetStretch(dpi != 96);
    GIFAnimator1.SetBounds(Scaled(6, dpi), Scaled(18, dpi), Scaled(468, dpi), Scaled(60, dpi));
}

void TBannerPane::Paint(HDC dc) const {
    const auto s = [this](int value) { return Scaled(value, dpi_); };
    FrameCanvas canvas(dc, font_);
    Outline(dc, s(4), s(4), s(476), s(80));
    PaintText(dc, s(5), s(5), LangAdvert + ":");
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
