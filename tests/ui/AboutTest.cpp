// The About box: its labels, button and the version it shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowsTestSupport.h"
#include "toolkit/Win32.h"
#include "ui/About.h"

using testing_support::ChildRect;

TEST(AboutBox, HasItsLabelsAndButton) {
    TAboutForm box;
    RECT client;
    GetClientRect(box.Handle(), &client);
    EXPECT_EQ(client.right, 190);
    EXPECT_EQ(client.bottom, 205);
    wchar_t caption[64] = {};
    GetWindowTextW(box.Handle(), caption, 64);
    EXPECT_EQ(std::wstring(caption), WideFromUtf8("О программе"));
    const LONG style = GetWindowLongW(box.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(style & WS_SYSMENU);

    ASSERT_EQ(box.Labels().size(), 7u);
    const int positions[7][2] = {{48, 0}, {64, 16}, {0, 40}, {40, 56}, {40, 72}, {0, 96}, {40, 112}};
    for (size_t i = 0; i < 7; ++i) {
        const RECT rect = ChildRect(box.Labels()[i].handle);
        EXPECT_EQ(rect.left, positions[i][0]) << i;
        EXPECT_EQ(rect.top, positions[i][1]) << i;
        EXPECT_EQ(rect.right, 190) << "reaches the right edge, whatever face draws it";
    }
    EXPECT_EQ(box.Labels()[0].text, "Tavrin Wallpaper");
    EXPECT_EQ(box.Labels()[1].text, "Версия 1.061");
    EXPECT_EQ(box.Labels()[2].text.rfind("Автор: ", 0), 0u);
    EXPECT_EQ(box.Labels()[4].text.rfind("E-mail: ", 0), 0u);
    EXPECT_EQ(box.Labels()[5].text, "Спасибо за помощь:");
    // The labels' font declares the Russian character set: they read on any code page.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(box.Labels()[1].handle, WM_GETFONT, 0, 0));
    HDC dc = GetDC(box.Handle());
    HGDIOBJ old = SelectObject(dc, font);
    EXPECT_EQ(GetTextCharset(dc), RUSSIAN_CHARSET);
    SelectObject(dc, old);
    ReleaseDC(box.Handle(), dc);

    const RECT button = ChildRect(box.OkButton());
    EXPECT_EQ(button.left, 72);
    EXPECT_EQ(button.top, 176);
    EXPECT_EQ(button.right - button.left, 49);
    EXPECT_EQ(button.bottom - button.top, 25);
}

// The version the About box shows is the one in the program's version resource
// (the test carries the program's resource script): file and product version,
// as text and as numbers, where 1.061 reads 1.61.0.0.
TEST(AboutBox, ShowsTheVersionOfTheVersionResource) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<char> info(GetFileVersionInfoSizeW(self, nullptr) + 1);
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, static_cast<DWORD>(info.size()), info.data()));
    auto value = [&](const std::wstring& name) {
        void* data = nullptr;
        UINT length = 0;
        return VerQueryValueW(info.data(), name.c_str(), &data, &length) ? data : nullptr;
    };
    const auto* file = static_cast<const wchar_t*>(value(L"\\StringFileInfo\\041904E3\\FileVersion"));
    const auto* product = static_cast<const wchar_t*>(value(L"\\StringFileInfo\\041904E3\\ProductVersion"));
    const auto* numbers = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
    ASSERT_TRUE(file && product && numbers);
    const std::string version = Utf8FromWide(file);
    EXPECT_EQ(Utf8FromWide(product), version);
    EXPECT_EQ(TAboutForm().Labels().at(1).text, "Версия " + version);
    const DWORD major = std::stoul(version), minor = std::stoul(version.substr(version.find('.') + 1));
    EXPECT_EQ(numbers->dwFileVersionMS, MAKELONG(minor, major)) << version;
    EXPECT_EQ(numbers->dwProductVersionMS, MAKELONG(minor, major)) << version;
}
