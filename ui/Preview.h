// The preview pane of the main window: one folder's pictures, one at a time,
// in the picture box Image1 with its caption, and the three buttons under it.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/Controls.h"

class TPreviewPane {
public:
    TPreviewPane() = default;
    TPreviewPane(const TPreviewPane&) = delete;
    TPreviewPane& operator=(const TPreviewPane&) = delete;
    ~TPreviewPane();

    // The three buttons on `parent`; the pane paints there in `font`.
    void Create(HWND parent, HFONT font);

    // The first picture of `folder`, or its caption "Картинок нет".
    void ShowFolder(const std::string& folder);
    void SpeedButtonPreClick();
    void SpeedButtonOnClick();  // the previewed picture becomes the wallpaper, through the program
    void SpeedButtonNextClick();
    // Loads PreviewName of PreviewFolder into the box, sets the caption and
    // has the pane painted anew.
    void ShowPreview();
    // The picture shown before any folder was chosen, from the program's bitmap resource.
    void LoadDefaultPreview();
    HBITMAP Image1Picture() const { return image1_; }

    // The pane: the frame around the box and the buttons, the strip under the
    // box with the caption, and the picture.
    void Paint(HDC dc) const;
    // The strip under the box with the caption.
    void PaintPreviewFrame(HDC dc) const;

    // The preview's state.
    std::string PreviewFolder = "none";  // the previewed folder
    std::string PreviewName = "none";    // the previewed picture
    std::string PreviewCaption;          // painted under the preview: at most 25 characters, UTF-8

    TSpeedButton SpeedButtonPre;
    TSpeedButton SpeedButtonOn;
    TSpeedButton SpeedButtonNext;
    static constexpr RECT Image1Bounds = {288, 88, 458, 218};  // the preview picture's box

private:
    void SetImage1(HBITMAP picture);
    void PaintImage1(HDC dc) const;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HBITMAP image1_ = nullptr;
    bool showImage1_ = true;  // false while the caption says the folder has no pictures
};
