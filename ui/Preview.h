// The preview pane of the main window: one folder's pictures, one at a time,
// in the picture box Image1 with its caption, and the three buttons under it.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/Controls.h"

// The preview's state, process-wide as the start sequence and the painting use it.
extern std::string PreviewFolder;   // the previewed folder; "none" from start-up on
extern std::string PreviewName;     // the previewed picture; "none" from start-up on
extern std::string PreviewCaption;  // painted under the preview: at most 25 characters, UTF-8

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
    // Loads PreviewName of PreviewFolder into the box and paints box and caption.
    void ShowPreview();
    // The picture shown before any folder was chosen, from a bitmap resource.
    void LoadDefaultPreview(const char* resourceName);
    HBITMAP Image1Picture() const { return image1_; }

    // The frame under the box, with the caption; the picture in the box.
    void PaintPreviewFrame(HDC dc);
    void PaintPreviewFrame();  // straight onto the window
    void PaintImage1(HDC dc);

    TSpeedButton SpeedButtonPre;
    TSpeedButton SpeedButtonOn;
    TSpeedButton SpeedButtonNext;
    static constexpr RECT Image1Bounds = {288, 88, 458, 218};  // the preview picture's box

private:
    void SetImage1(HBITMAP picture);
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HBITMAP image1_ = nullptr;
};
