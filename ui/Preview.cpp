// The preview of one folder's pictures: the picture box Image1, its caption and
// the three buttons under it.
#include <windows.h>

#include <cstring>
#include <stdexcept>

#include "ui/StartSteps.h"
#include "engine/PreviewList.h"
#include "engine/Thumbnail.h"
#include "platform/win32/AnsiPaths.h"
#include "ui/LangUnit.h"
#include "ui/Main.h"
#include "ui/MainProgram.h"

std::string PreviewFolder;
std::string PreviewName;
std::string PreviewCaption;

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

void TForm1::SetImage1(HBITMAP picture) {
    if (image1_) DeleteObject(image1_);
    image1_ = picture;
}

void TForm1::LoadDefaultPreview(const char* resourceName) {
    HBITMAP picture = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleW(nullptr), resourceName, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (picture) SetImage1(picture);
}

void TForm1::PaintImage1(HDC dc) {
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

void TForm1::ShowPreview() {
    bool loaded = false;
    if (PreviewName != "none") {
        const Bitmap picture = LoadPreviewPicture(PreviewFolder + "\\" + PreviewName, kBoxWidth, kBoxHeight);
        SetImage1(DibFromBitmap(picture));
        // The picture's real name, also where the program reaches it by its short name.
        const std::wstring name = platform::ShownName(PreviewFolder + "\\" + PreviewName);
        PreviewCaption = Utf8FromWide(name.substr(0, kCaptionLength));
        loaded = true;
    } else {
        PreviewCaption = LangNoPictures;
    }
    PaintPreviewFrame();
    if (loaded) {
        HDC dc = GetDC(Handle());
        PaintImage1(dc);
        ReleaseDC(Handle(), dc);
    }
}

void TForm1::ShellTreeView1Click() {
    const std::string path = ShellTreeView1->SelectedPath();
    SetWindowTextW(EditDir, platform::ShownPath(path).c_str());
    PreviewFolder = path;
    PreviewName = FirstPicture(PreviewFolder);
    ShowPreview();
}

void TForm1::SpeedButtonNextClick() {
    if (PreviewName == "none") return;
    PreviewName = NextPicture(PreviewFolder, PreviewName);
    ShowPreview();
}

void TForm1::SpeedButtonPreClick() {
    if (PreviewName == "none") return;
    PreviewName = PreviousPicture(PreviewFolder, PreviewName);
    ShowPreview();
}

void TForm1::SpeedButtonOnClick() {
    if (PreviewName == "none") return;
    // The user asked for this picture: a failure is never silent.
    if (MainProgram && !MainProgram->ApplyPicture(PreviewFolder + "\\" + PreviewName))
        throw TextError("Не удалось сделать эту картинку обоями рабочего стола.");
}
