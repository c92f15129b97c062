// The banner at the top of the main window and the links to the program's web
// site: web addresses and how they are opened.
#pragma once

#include <functional>
#include <string>

inline constexpr const char kDeveloperSite[] = "http://www.tavrinwp.ru/";
inline constexpr const char kDeveloperSiteCaption[] = "www.tavrinwp.ru";
inline constexpr const char kWallpapersPage[] = "http://www.tavrinwp.ru/wallpapers.html";
// The advertiser's page of banner 1, with the program's affiliate identifier.
inline constexpr const char kAdvertiserPage1[] = "http://reklama.tavrinwp.ru/porta.phtml?from=tavrinwp1061";
inline constexpr int kBannerCount = 1;

// Opens a web address in the user's browser (ShellExecuteA, "open", shown normally);
// the result is not looked at. Tests replace it to see what would be opened.
extern std::function<void(const std::string& address)> OpenWebAddress;
