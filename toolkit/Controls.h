// Controls the system does not have as the main window needs them: a flat
// button with a glyph that never takes the focus, a number field with arrow
// buttons, and a colour swatch.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/Win32.h"

// A speed button: a raised face with a glyph, pressed while the mouse holds it
// down; OnClick when the button is released over it. The glyph's bottom-left
// pixel gives its transparent colour.
class TSpeedButton {
public:
    TSpeedButton() = default;
    ~TSpeedButton();
    TSpeedButton(const TSpeedButton&) = delete;
    TSpeedButton& operator=(const TSpeedButton&) = delete;

    void Create(HWND parent, int left, int top, int width, int height, const char* glyphResource);
    HWND Handle() const { return handle_; }
    void Click();  // as a press and release over the button: errors go to the error box
    std::function<void()> OnClick;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    template <class Control>
    friend Control* AttachedControl(HWND hwnd, UINT message, LPARAM lParam);
    void Paint(HDC dc);
    HWND handle_ = nullptr;
    GdiObject<HBITMAP> glyph_;
    bool down_ = false;
    bool tracking_ = false;
};

// A number field with up and down arrows. Without a range (minimum and maximum
// both 0) any value stands; with one, the arrows and leaving the field keep
// the value inside it. Text that is not an integer reads as the minimum.
class TSpinEdit {
public:
    void Create(HWND parent, int left, int top, int width, int height, UINT id, HFONT font);
    HWND Handle() const { return edit_; }
    HWND Buttons() const { return updown_; }
    // The arrows take their place again at the field's right edge after it moved or changed size.
    void FollowField();

    int Value() const;
    void SetValue(int value);  // clamped when a range is set
    void SetRange(int minimum, int maximum);
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }

    // To be called by the parent for the field's notifications.
    void HandleCommand(WORD code);            // EN_KILLFOCUS clamps
    bool HandleNotify(const NMHDR& header);   // UDN_DELTAPOS steps by one

private:
    bool Ranged() const { return min_ != 0 || max_ != 0; }
    int Clamp(int value) const;
    HWND edit_ = nullptr;
    HWND updown_ = nullptr;
    int min_ = 0;
    int max_ = 0;
};

// A panel showing one colour, with a raised one-pixel bevel.
class TColorPanel {
public:
    ~TColorPanel();
    void Create(HWND parent, int left, int top, int width, int height, UINT id);
    HWND Handle() const { return handle_; }
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    template <class Control>
    friend Control* AttachedControl(HWND hwnd, UINT message, LPARAM lParam);
    HWND handle_ = nullptr;
    COLORREF color_ = 0;
};

// Makes every item of the drop-down combo box `combo` fit its text field, as
// measured with the combo's font: where the widest item and the caret after
// it need more than the field leaves between its margins, the margins shrink
// first, and the box widens by what is still missing. A box whose items fit
// is left as it is.
void FitComboItems(HWND combo);

// Parses a whole decimal integer (optional sign, blanks around it); false for
// anything else or a value outside 32 bits.
bool ParseInteger(const std::wstring& text, int& value);
