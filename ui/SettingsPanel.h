// The settings pane of the main window: start with Windows, change at start,
// the timer and its unit, the background colour, and "Применить". Filled from
// Settings and applied back to it; the timer rules are the program's.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>

#include "toolkit/Controls.h"

class TFolderPane;
class TTimer;

class TSettingsPanel {
public:
    // `folders` holds the picture-folder field the panel fills and applies;
    // `timer` is the wallpaper timer the program arms.
    TSettingsPanel(TFolderPane& folders, TTimer& timer) : folders_(folders), timer_(timer) {}

    // The controls on `parent`, in `font`; the pane paints there in it.
    void Create(HWND parent, HFONT font);
    // The captions of the three boxes and of the colour, and the frame around the pane.
    void Paint(HDC dc) const;
    void AssignCaptions();
    void FillSettingsPanel();
    void ButtonApplyClick();
    void ColorButtonClick();  // Button1Click: "Выбрать", the colour dialog
    // The timer's count is kept to 1 ... 960 from here on (the start sequence's step).
    void LimitTimerCount();
    void SetSwatchColor(uint32_t color);
    // A control's WM_COMMAND and WM_NOTIFY; HandleNotify is true when the pane took it.
    void HandleCommand(HWND control, WORD code);
    bool HandleNotify(const NMHDR& header);

    HWND CheckBoxStartUp = nullptr;
    HWND CheckBoxChangeStart = nullptr;
    HWND CheckBoxTimer = nullptr;
    TSpinEdit SpinEditTimer;
    HWND TimerUnitBox = nullptr;  // ComboBox1: the timer unit: editable, "Минута", "Час", "день"
    TColorPanel ColorSwatch;      // Panel1: the background colour
    HWND ColorButton = nullptr;   // Button1: "Выбрать", the colour dialog
    HWND ButtonApply = nullptr;
    // The colour dialog: shows `color` and gives the one chosen; false when
    // cancelled. Tests put their own in its place.
    std::function<bool(COLORREF& color)> ColorDialog1Execute;

private:
    TFolderPane& folders_;
    TTimer& timer_;
    HWND parent_ = nullptr;
    HFONT font_ = nullptr;
};
