// The banner pane at the top of the main window, the "Помощь" menu's items,
// and the links to the program's web site: web addresses and how they are opened.
#pragma once

#include <functional>
#include <string>

#include "toolkit/Forms.h"
#include "toolkit/GIFAnimator.h"

inline constexpr const char kDeveloperSite[] = "http://www.tavrinwp.ru/";
inline constexpr const char kWallpapersPage[] = "http://www.tavrinwp.ru/wallpapers.html";
// The advertiser's page of banner 1, with the program's affiliate identifier.
inline constexpr const char kAdvertiserPage1[] = "http://reklama.tavrinwp.ru/porta.phtml?from=tavrinwp1061";
inline constexpr int kBannerCount = 1;

// Opens a web address in the user's browser (ShellExecuteA, "open", shown normally);
// the result is not looked at. Tests replace it to see what would be opened.
extern std::function<void(const std::string& address)> OpenWebAddress;

// The banner: the animated picture, its reload timer and what a click on it
// opens; with the "Помощь" menu's items.
class TBannerPane {
public:
    TBannerPane(TForm& form, UINT_PTR timerId);
    // The picture control on `parent`, animating, and the reload timer
    // running; the pane paints its frame and caption in `font`.
    void Create(HWND parent, HFONT font, int dpi);
    // The banner at its place for another DPI.
    void Layout(int dpi, HFONT font);
    // The first banner's picture, from its GIF resource of the program file.
    void LoadFirstBanner();
    // The banner shown again in the language of the caption table.
    void AssignCaptions();
    // The frame around the banner and its caption "Реклама:".
    void Paint(HDC dc) const;

    void TimerReklamaTimer();    // the next banner, every 10 seconds
    void GIFAnimator1Click();    // the advertiser's page of the banner shown
    void AboutClick();           // N4Click: "О программе"
    void DeveloperSiteClick();   // N5Click: "Сайт разработчика"
    void WallpapersPageClick();  // N10Click: "Скачать обои"

    TTimer TimerReklama;        // the banner's reload, every 10 seconds
    TGIFAnimator GIFAnimator1;  // the banner
    int BannerIndex = 0;        // which banner is shown: 1 once the first is loaded

private:
    void Load(int index);  // banner `index`'s picture, from its resource
    HFONT font_ = nullptr;
    int dpi_ = 96;
};
