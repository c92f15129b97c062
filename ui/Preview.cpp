// The main window's preview pane: the picture box Image1, its caption and the
// three buttons under it.
#include "ui/Preview.h"

#include <cstring>
#include <stdexcept>

#include "core/Settings.h"
#include "engine/PreviewList.h"
#include "engine/Thumbnail.h"
#include "platform/win32/AnsiPaths.h"
#include "toolkit/Forms.h"
#include "toolkit/Win32.h"
#include "ui/LangUnit.h"
#include "ui/MainProgram.h"
#include "ui/Painting.h"

namespace {

constexpr size_t kCaptionLength = 25;

// A top-down 24-bit DIB section holding `picture`.
HBITMAP DibFromBitmap(const Bitmap& picture) {
    BITMAPINFO info = TopDownBitmapInfo(picture.width, picture.height, 24);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) throw std::runtime_error("Out of system resources");
    std::memcpy(bits, picture.pixels.data(), picture.pixels.size());
    return dib;
}

}  // namespace

TPreviewPane::~TPreviewPane() {
    if (image1_) DeleteObject(image1_);
}

void TPreviewPane::Create(HWND parent, HFONT font, int dpi) {
    window_ = parent;
    font_ = font;
    dpi_ = dpi;
    const auto s = [dpi](int value) { return Scaled(value, dpi); };
    SpeedButtonPre.Create(parent, s(280), s(236), s(60), s(22), "GLYPHPREV");
    SpeedButtonOn.Create(parent, s(344), s(236), s(60), s(22), "GLYPHAPPLY");
    SpeedButtonNext.Create(parent, s(408), s(236), s(60), s(22), "GLYPHNEXT");
    SpeedButtonPre.OnClick = [this] { SpeedButtonPreClick(); };
    SpeedButtonOn.OnClick = [this] { SpeedButtonOnClick(); };
    SpeedButtonNext.OnClick = [this] { SpeedButtonNextClick(); };
}

void TPreviewPane::SetImage1(HBITMAP picture) {
    if (image1_) DeleteObject(image1_);
    image1_ = picture;
}

void TPreviewPane::LoadDefaultPreview() {
    HBITMAP picture = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleW(nullptr), "twp1", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!picture) return;
    SetImage1(picture);
    image1Dpi_ = 96;  // drawn 170 x 130 at 96 DPI, larger on larger scales
}

void TPreviewPane::ShowNothing() {
    PreviewFolder = "none";
    PreviewName = "none";
    PreviewCaption.clear();
    showImage1_ = true;
    LoadDefaultPreview();
    RepaintBox();
}

void TPreviewPane::AssignCaptions() {
    if (PreviewName != "none" || PreviewFolder == "none") return;
    PreviewCaption = LangNoPictures;
    RepaintBox();
}

void TPreviewPane::RepaintBox() {
    if (!window_) return;
    // The strip and the box, painted at once: the window's gradient under
    // them is covered by the strip's fill.
    const RECT box = Image1Box();
    const RECT changed = {box.left - 1, box.top - 1, box.right + 1, box.bottom + Scaled(15, dpi_) + 1};
    InvalidateRect(window_, &changed, FALSE);
    UpdateWindow(window_);
}

RECT TPreviewPane::Image1Box() const {
    const RECT& box = Image1Bounds;
    return {Scaled(box.left, dpi_), Scaled(box.top, dpi_), Scaled(box.right, dpi_), Scaled(box.bottom, dpi_)};
}

void TPreviewPane::Layout(int dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    PlaceChild(SpeedButtonPre.Handle(), dpi, 280, 236, 60, 22);
    PlaceChild(SpeedButtonOn.Handle(), dpi, 344, 236, 60, 22);
    PlaceChild(SpeedButtonNext.Handle(), dpi, 408, 236, 60, 22);
    // The previewed picture is decoded anew for the box at this scale.
    if (PreviewName != "none") TForm::Guarded([this] { ShowPreview(); });
}

void TPreviewPane::PaintImage1(HDC dc) const {
    if (!image1_) return;
    BITMAP info;
    GetObjectW(image1_, sizeof info, &info);
    // Pictures are stored at their size in the box at the scale they were
    // made for; the placement only centres, or scales one made for another.
    const RECT box = Image1Box();
    const PreviewPlacement place =
        PlacePreview(MulDiv(info.bmWidth, dpi_, image1Dpi_), MulDiv(info.bmHeight, dpi_, image1Dpi_),
                     box.right - box.left, box.bottom - box.top);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, image1_);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, box.left + place.x, box.top + place.y, place.width, place.height, source, 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void TPreviewPane::Paint(HDC dc) const {
    {
        FrameCanvas canvas(dc, font_);
        Outline(dc, Scaled(273, dpi_), Scaled(84, dpi_), Scaled(475, dpi_),
                BoundsOf(window_, SpeedButtonPre.Handle()).bottom + Scaled(2, dpi_));
    }
    PaintPreviewFrame(dc);
    if (showImage1_) PaintImage1(dc);
}

void TPreviewPane::PaintPreviewFrame(HDC dc) const {
    const RECT box = Image1Box();
    const int strip = Scaled(15, dpi_);  // the caption's strip under the box
    {
        FrameCanvas canvas(dc, font_);
        const GdiObject<HBRUSH> brush(CreateSolidBrush(kGradientBottom));
        const Selection selected(dc, brush);
        Rectangle(dc, box.left - 1, box.top - 1, box.right + 1, box.bottom + strip + 1);
    }
    DrawGradient(dc, kGradientTop, kGradientBottom, box.left, box.top, box.right, box.bottom + strip);
    FrameCanvas canvas(dc, font_);
    PaintText(dc, box.left, box.bottom + Scaled(2, dpi_), PreviewCaption);
}

void TPreviewPane::ShowPreview() {
    if (PreviewName != "none") {
        const RECT box = Image1Box();
        const std::string path = PreviewFolder + "\\" + PreviewName;
        Bitmap picture;
        try {
            picture = LoadPreviewPicture(path, box.right - box.left, box.bottom - box.top);
        } catch (const std::exception& error) {
            // The box names the picture by its real name, then gives the loader's reason.
            throw TextError(CannotShowMessage(Utf8FromWide(platform::ShownPath(path)), error.what()));
        }
        SetImage1(DibFromBitmap(picture));
        image1Dpi_ = dpi_;
        // The picture's real name, also where the program reaches it by its short name.
        const std::wstring name = platform::ShownName(PreviewFolder + "\\" + PreviewName);
        PreviewCaption = Utf8FromWide(name.substr(0, kCaptionLength));
        showImage1_ = true;
    } else {
        // Image1 keeps its picture, but the box stays empty beside the caption.
        PreviewCaption = LangNoPictures;
        showImage1_ = false;
    }
    RepaintBox();
}

void TPreviewPane::ShowFolder(const std::string& folder) {
    PreviewFolder = folder;
    PreviewName = FirstPicture(PreviewFolder, PictureRuleFor(Settings.allformats));
    ShowPreview();
}

void TPreviewPane::SpeedButtonNextClick() {
    if (PreviewName == "none") return;
    PreviewName = NextPicture(PreviewFolder, PreviewName, PictureRuleFor(Settings.allformats));
    ShowPreview();
}

void TPreviewPane::SpeedButtonPreClick() {
    if (PreviewName == "none") return;
    PreviewName = PreviousPicture(PreviewFolder, PreviewName, PictureRuleFor(Settings.allformats));
    ShowPreview();
}

void TPreviewPane::SpeedButtonOnClick() {
    if (PreviewName == "none") return;
    // The user asked for this picture: a failure is never silent.
    if (MainProgram && !MainProgram->ApplyPicture(PreviewFolder + "\\" + PreviewName))
        throw TextError(LangApplyFailed);
}
