// The base of picture controls: a child window that paints through an
// off-screen bitmap (no flicker), can copy its parent's background under
// itself, captures the mouse for clicks and guards its state with a lock.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>

#include "toolkit/GIFWin32.h"

class TImageControl {
public:
    TImageControl();
    virtual ~TImageControl();
    TImageControl(const TImageControl&) = delete;
    TImageControl& operator=(const TImageControl&) = delete;

    // Makes the control's window inside `parent`; until then it has none.
    void CreateHandle(HWND parent, int left, int top, int width, int height);
    HWND Handle() const { return handle_; }
    HWND Parent() const { return handle_ ? GetParent(handle_) : nullptr; }
    RECT BoundsRect() const;
    void SetBounds(int left, int top, int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Visible() const { return handle_ && IsWindowVisible(handle_); }

    // The control's colour: its parent's background colour unless set.
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

    // Repaints at once (on the GUI thread), or marks for a later paint.
    void Repaint();
    void Invalidate();
    // Paints the whole control into `dc` at its origin, as WM_PAINT does.
    void PaintTo(HDC dc);

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

protected:
    // Paints the client area into an off-screen canvas of the client's size.
    virtual void Paint(TDibCanvas& canvas) = 0;
    // Copies what the parent paints under the control into the canvas.
    void CopyParentBackground(TDibCanvas& canvas);
    bool Drawing() const { return drawing_; }

    std::recursive_mutex lock_;  // the control's lock

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 105, height_ = 105;
    COLORREF color_ = CLR_INVALID;
    bool drawing_ = false;
    bool pressed_ = false;
};
