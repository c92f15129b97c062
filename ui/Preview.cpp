// The main window's preview pane: the picture box Image1, its caption and the
// three buttons under it.
#include "ui/Preview.h"

#include <cstring>
#include <stdexcept>

#include "engine/PreviewList.h"
#include "engine/Thumbnail.h"
#include "platform/win32/AnsiPaths.h"
#include "toolkit/Forms.h"
#include "toolkit/Win32.h"
#include "ui/LangUnit.h"
#include "ui/MainProgram.h"
#include "ui/Painting.h"

namespace {

constexpr int kBoxWidth = 170, kBoxHeight = 130;
constexpr size_t kCaptionLength = 25;

// A top-down 24-bit DIB section holding `picture`.
HBITMAP DibFromBitmap(const Bitmap& picture) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
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

void TPreviewPane::Create(HWND parent, HFONT font) {
    window_ = parent;
    font_ = font;
    SpeedButtonPre.Create(parent, 280, 236, 60, 22, "GLYPHPREV");
    SpeedButtonOn.Create(parent, 344, 236, 60, 22, "GLYPHAPPLY");
    SpeedButtonNext.Create(parent, 408, 236, 60, 22, "GLYPHNEXT");
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
    if (picture) SetImage1(picture);
}

void TPreviewPane::PaintImage1(HDC dc) const {
    if (!image1_) return;
    BITMAP info;
    GetObjectW(image1_, sizeof info, &info);
    // Pictures are stored at their size in the box; the placement only centres.
    const PreviewPlacement place = PlacePreview(info.bmWidth, info.bmHeight, kBoxWidth, kBoxHeight);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, image1_);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, Image1Bounds.left + place.x, Image1Bounds.top + place.y, place.width, place.height, source, 0, 0,
               info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void TPreviewPane::Paint(HDC dc) const {
    {
        FrameCanvas canvas(dc, font_);
        Outline(dc, 273, 84, 475, BoundsOf(window_, SpeedButtonPre.Handle()).bottom + 2);
    }
    PaintPreviewFrame(dc);
    if (showImage1_) PaintImage1(dc);
}

void TPreviewPane::PaintPreviewFrame(HDC dc) const {
    const RECT& box = Image1Bounds;
    {
        FrameCanvas canvas(dc, font_);
        const GdiObject<HBRUSH> brush(CreateSolidBrush(kGradientBottom));
        const Selection selected(dc, brush);
        Rectangle(dc, box.left - 1, box.top - 1, box.right + 1, box.bottom + 16);
    }
    DrawGradient(dc, kGradientTop, kGradientBottom, box.left, box.top, box.right, box.bottom + 15);
    FrameCanvas canvas(dc, font_);
    PaintText(dc, box.left, box.bottom + 2, PreviewCaption);
}

void TPreviewPane::ShowPreview() {
    if (PreviewName != "none") {
        const Bitmap picture = LoadPreviewPicture(PreviewFolder + "\\" + PreviewName, kBoxWidth, kBoxHeight);
        SetImage1(DibFromBitmap(picture));
        // The picture's real name, also where the program reaches it by its short name.
        const std::wstring name = platform::ShownName(PreviewFolder + "\\" + PreviewName);
        PreviewCaption = Utf8FromWide(name.substr(0, kCaptionLength));
        showImage1_ = true;
    } else {
        // Image1 keeps its picture, but the box stays empty beside the caption.
        PreviewCaption = LangNoPictures;
        showImage1_ = false;
    }
    // The strip and the box, painted at once: the window's gradient under
    // them is covered by the strip's fill.
    const RECT& box = Image1Bounds;
    const RECT changed = {box.left - 1, box.top - 1, box.right + 1, box.bottom + 16};
    InvalidateRect(window_, &changed, FALSE);
    UpdateWindow(window_);
}

void TPreviewPane::ShowFolder(const std::string& folder) {
    PreviewFolder = folder;
    PreviewName = FirstPicture(PreviewFolder);
    ShowPreview();
}

void TPreviewPane::SpeedButtonNextClick() {
    if (PreviewName == "none") return;
    PreviewName = NextPicture(PreviewFolder, PreviewName);
    ShowPreview();
}

void TPreviewPane::SpeedButtonPreClick() {
    if (PreviewName == "none") return;
    PreviewName = PreviousPicture(PreviewFolder, PreviewName);
    ShowPreview();
}

void TPreviewPane::SpeedButtonOnClick() {
    if (PreviewName == "none") return;
    // The user asked for this picture: a failure is never silent.
    if (MainProgram && !MainProgram->ApplyPicture(PreviewFolder + "\\" + PreviewName))
        throw TextError("Не удалось сделать эту картинку обоями рабочего стола.");
}
