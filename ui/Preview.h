// The preview pane of the main window: one folder's pictures, one at a time,
// in the picture box Image1 with its caption, and the three buttons under it.
#pragma once

#include <windows.h>

#include <string>

#include "engine/Thumbnail.h"
#include "toolkit/Controls.h"

class TPreviewPane {
public:
    TPreviewPane() = default;
    TPreviewPane(const TPreviewPane&) = delete;
    TPreviewPane& operator=(const TPreviewPane&) = delete;
    ~TPreviewPane();

    // The three buttons on `parent` at its `dpi`; the pane paints there in `font`.
    void Create(HWND parent, HFONT font, int dpi);
    // The buttons at their places, and the picture decoded anew, for another DPI.
    void Layout(int dpi, HFONT font);

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
    // Back to the state before any folder was chosen: no folder, the default
    // picture, an empty caption.
    void ShowNothing();
    // The caption of a folder without pictures, in the caption table's language.
    void AssignCaptions();
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
    // The preview picture's box at 96 DPI: 170 x 130, the preview's size.
    static constexpr RECT Image1Bounds = {288, 88, 288 + kPreviewBoxWidth, 88 + kPreviewBoxHeight};
    RECT Image1Box() const;                                     // the box at the window's DPI

private:
    void SetImage1(HBITMAP picture);
    void RepaintBox();  // the box and its strip painted anew at once
    void PaintImage1(HDC dc) const;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HBITMAP image1_ = nullptr;
    bool showImage1_ = true;  // false while the caption says the folder has no pictures
    int image1Dpi_ = 96;      // the scale the picture in image1_ was made for
    int dpi_ = 96;
};
