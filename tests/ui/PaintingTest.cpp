// The main window's painting, read back pixel by pixel from a memory bitmap.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "TestSupport.h"
#include "image/BmpCodec.h"
#include "ui/Main.h"
#include "toolkit/Win32.h"
#include "ui/Painting.h"

namespace {

constexpr COLORREF kUnpainted = RGB(255, 0, 255);

// A 24-bit bitmap in a memory device context, filled with kUnpainted.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(kUnpainted);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~MemoryCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// MulDiv as the system documents it: rounded to the nearest, halves away from zero.
int RoundedMulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : -((-product + half) / c));
}

// The colour of band i between mid grey and light sky blue.
COLORREF BandColour(int i) {
    return RGB(128 + RoundedMulDiv(i, 180 - 128, 255), 128 + RoundedMulDiv(i, 222 - 128, 255),
               128 + RoundedMulDiv(i, 254 - 128, 255));
}

const COLORREF kPen = 0x00FA5F14;

}  // namespace

TEST(Painting, TheGradientHas256BandsFromTopToBottomColourWithoutGaps) {
    EXPECT_EQ(BandColour(0), 0x00808080u);
    EXPECT_EQ(BandColour(128), 0x00BFAF9Au);
    EXPECT_EQ(BandColour(254), 0x00FEDEB4u);
    EXPECT_EQ(BandColour(255), 0x00FEDEB4u);

    // The preview's gradient: rows 88 to 232, 145 rows for 256 bands.
    MemoryCanvas canvas(480, 400);
    DrawGradient(canvas.Dc(), 0x808080, 0xFEDEB4, 288, 88, 458, 233);
    EXPECT_EQ(canvas.At(300, 87), kUnpainted);
    EXPECT_EQ(canvas.At(300, 233), kUnpainted);
    EXPECT_EQ(canvas.At(287, 100), kUnpainted);
    EXPECT_EQ(canvas.At(458, 100), kUnpainted);
    EXPECT_EQ(canvas.At(288, 88), 0x00808080u);
    EXPECT_EQ(canvas.At(300, 89), BandColour(2));  // band 1 is empty, band 2 fills row 89
    EXPECT_EQ(canvas.At(457, 232), 0x00FEDEB4u);
    for (int y = 88; y < 233; ++y) {
        // The last band whose top is at or above this row paints it.
        int band = 0;
        for (int i = 0; i < 256; ++i)
            if (88 + RoundedMulDiv(i, 145, 256) <= y && 88 + RoundedMulDiv(i + 1, 145, 256) > y) band = i;
        ASSERT_EQ(canvas.At(370, y), BandColour(band)) << "row " << y;
    }

    // Taller than 256 rows: every row painted, the ends exact.
    MemoryCanvas tall(40, 700);
    DrawGradient(tall.Dc(), 0x808080, 0xFEDEB4, 0, 10, 40, 690);
    for (int y = 10; y < 690; ++y) ASSERT_NE(tall.At(20, y), kUnpainted) << y;
    EXPECT_EQ(tall.At(20, 10), 0x00808080u);
    EXPECT_EQ(tall.At(20, 689), 0x00FEDEB4u);
}

TEST(Painting, TheWindowPaintsItsFramesAroundTheControls) {
    TForm1 form;
    MemoryCanvas canvas(600, 500);
    form.FormPaint(canvas.Dc());
    // Row 0 and column 0 keep the window's own colour: the gradient starts at (1, 1).
    EXPECT_EQ(canvas.At(0, 200), kUnpainted);
    EXPECT_EQ(canvas.At(200, 0), kUnpainted);
    EXPECT_EQ(canvas.At(1, 1), 0x00808080u);

    const struct {
        int x, y;
    } edges[] = {
        {4, 4},     {475, 4},   {4, 79},    {475, 79},    // banner
        {4, 84},    {260, 84},  {4, 379},   {260, 379},   // folder group, from the tree's and the field's bounds
        {273, 84},  {474, 84},  {273, 259}, {474, 259},   // preview group
        {272, 270}, {474, 270}, {272, 380}, {474, 380},   // settings group
        {287, 87},  {458, 87},  {287, 233}, {458, 233},   // the outline around the preview box and its strip
    };
    for (const auto& edge : edges) EXPECT_EQ(canvas.At(edge.x, edge.y), kPen) << edge.x << "," << edge.y;
    // Inside the preview outline, its own gradient.
    EXPECT_EQ(canvas.At(288, 88), 0x00808080u);
    EXPECT_EQ(canvas.At(400, 232), 0x00FEDEB4u);
    // Outlines only: the inside of a group shows the window's gradient.
    EXPECT_NE(canvas.At(100, 60), kPen);

    // Painted captions are black text: "Реклама:" at (5, 5), "по таймеру" at (290, 306).
    auto hasText = [&](int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (canvas.At(x, y) == RGB(0, 0, 0)) return true;
        return false;
    };
    EXPECT_TRUE(hasText(5, 5, 60, 18));
    EXPECT_TRUE(hasText(290, 306, 350, 319));
    EXPECT_TRUE(hasText(325, 328, 380, 341));
    EXPECT_FALSE(hasText(290, 240, 350, 255));  // no caption there
}

TEST(Painting, ThePreviewCaptionStandsInTheStripUnderThePicture) {
    TForm1 form;
    MemoryCanvas empty(600, 500), captioned(600, 500);
    form.Preview.PreviewCaption = "";
    form.Preview.PaintPreviewFrame(empty.Dc());
    form.Preview.PreviewCaption = "abcdefghijklmnopqrstuvwxy";  // 25 characters
    form.Preview.PaintPreviewFrame(captioned.Dc());
    int changed = 0, outside = 0;
    for (int y = 200; y < 240; ++y)
        for (int x = 280; x < 470; ++x)
            if (empty.At(x, y) != captioned.At(x, y)) {
                ++changed;
                if (x < 288 || x >= 458 || y < 220 || y >= 233) ++outside;
            }
    EXPECT_GT(changed, 50);
    EXPECT_EQ(outside, 0);
}

// The face realised for the window's font differs by code page (MS Sans Serif,
// whose letters carry a blank column at their left, on a Russian Windows): each
// check box's caption keeps three blank columns between the box and its ink.
TEST(Painting, TheCheckBoxCaptionsKeepTheirGapFromTheBoxes) {
    TForm1 form;
    RECT outer;
    GetWindowRect(form.Handle(), &outer);
    MemoryCanvas painted(600, 500), gradient(600, 500);
    form.FormPaint(painted.Dc());
    DrawGradient(gradient.Dc(), 0x808080, 0xFEDEB4, 1, 1, outer.right - outer.left, outer.bottom - outer.top);
    for (HWND box : {form.SettingsPanel.CheckBoxStartUp, form.SettingsPanel.CheckBoxChangeStart, form.SettingsPanel.CheckBoxTimer}) {
        RECT bounds;
        GetWindowRect(box, &bounds);
        MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&bounds), 2);
        int ink = bounds.right + 40;
        for (int y = bounds.top; y < bounds.bottom; ++y)
            for (int x = bounds.right; x < ink; ++x)
                if (painted.At(x, y) != gradient.At(x, y)) ink = x;
        EXPECT_EQ(ink - bounds.right, 3) << "blank columns right of the box at row " << bounds.top;
    }
}

// A picture named in Japanese, reached by its short name, is captioned by its
// real name in a face that has its letters: two names that differ only in
// those letters paint differently (the window's font alone paints two boxes).
TEST(Painting, APictureNamedInAnotherScriptIsCaptionedInItsOwnLetters) {
    const MemoryDC screen;
    const GdiObject<HFONT> japanese(CreateFontW(-11, 0, 0, 0, 0, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, L""));
    const Selection selected(screen, japanese);
    ASSERT_EQ(GetTextCharset(screen), SHIFTJIS_CHARSET) << "no Japanese face (bootstrap.sh installs fonts-ipafont-gothic)";
    testing_support::TempFolder folder;
    const std::set<std::wstring> names = {L"\u5199\u771F.bmp", L"\u771F\u5199.bmp"};
    Bitmap picture;
    picture.Reset(40, 30, 24);
    const std::vector<uint8_t> bytes = EncodeBmp(picture);
    for (const std::wstring& name : names)
        std::ofstream(std::filesystem::path(WideFromAnsi(folder.Path()) + L"\\" + name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    TForm1 form;
    form.Folders.ShellTreeView1->SetSelectedPath(folder.Path());
    form.Folders.ShellTreeView1Click();
    std::set<std::wstring> captions;
    std::vector<COLORREF> strips[2];
    for (auto& strip : strips) {
        if (&strip != strips) form.Preview.SpeedButtonNext.Click();
        EXPECT_EQ(names.count(WideFromAnsi(form.Preview.PreviewName)), 0u) << "reached by its short name";
        captions.insert(WideFromUtf8(form.Preview.PreviewCaption));
        MemoryCanvas canvas(600, 500);
        form.Preview.PaintPreviewFrame(canvas.Dc());
        for (int y = 220; y < 233; ++y)
            for (int x = 288; x < 458; ++x) strip.push_back(canvas.At(x, y));
    }
    EXPECT_EQ(captions, names);
    EXPECT_NE(strips[0], strips[1]);
}
