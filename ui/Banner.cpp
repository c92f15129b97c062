// The main window's banner, its reload timer, the About box command and the
// links to the program's web site.
#include "ui/Banner.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ui/StartSteps.h"
#include "ui/About.h"
#include "ui/Main.h"

int BannerIndex = 0;

std::function<void(const std::string&)> OpenWebAddress = [](const std::string& address) {
    ShellExecuteA(Application.Handle(), "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
};

namespace {

std::string BannerResourceName(int index) { return "reklama" + std::to_string(index); }

}  // namespace

void LoadBanner(const char* resourceName) {
    if (!Form1) return;
    Form1->GIFAnimator1.Image().ReadFromResource(GetModuleHandleW(nullptr), resourceName, MAKEINTRESOURCEA(10));
}

void TForm1::CreateBanner() {
    GIFAnimator1.SetAutoSize(false);
    GIFAnimator1.SetTransparent(false);
    GIFAnimator1.CreateHandle(Handle(), 6, 18, 468, 60);
    GIFAnimator1.OnClick = [this] {
        if (!Application.Busy()) GIFAnimator1Click();
    };
    GIFAnimator1.SetAnimate(true);
    TimerReklama.SetInterval(10000);
    TimerReklama.OnTimer = [this] { TimerReklamaTimer(); };
    TimerReklama.SetEnabled(true);
}

void TForm1::TimerReklamaTimer() {
    BannerIndex += 1;
    if (BannerIndex > kBannerCount) BannerIndex = 1;
    LoadBanner(BannerResourceName(BannerIndex).c_str());
}

void TForm1::GIFAnimator1Click() {
    if (BannerIndex == 1) OpenWebAddress(kAdvertiserPage1);
}

void TForm1::AboutClick() { ShowAbout(); }
void TForm1::DeveloperSiteClick() { OpenWebAddress(kDeveloperSite); }
void TForm1::WallpapersPageClick() { OpenWebAddress(kWallpapersPage); }
