// TBriBar: the progress bar of the setup's windows. It has no window of its own: it draws on
// its parent window's surface, first into an off-screen bitmap and then onto the parent in
// one step, so the screen never shows a half-drawn bar.
//
// The parent's WM_PAINT handler calls PaintOn with its paint DC; the parent routes mouse
// clicks inside Bounds() to Click and DblClick.
#pragma once

#include <windows.h>

#include <functional>

#include "BriBarModel.h"
#include "WinHandles.h"

class TBriBar : public BriBarModel {
public:
    // 200 x 21 pixels at (0, 0), in the parent's font (WM_GETFONT).
    explicit TBriBar(HWND Parent);
    ~TBriBar() override;
    TBriBar(const TBriBar&) = delete;
    TBriBar& operator=(const TBriBar&) = delete;

    HWND Parent() const { return parent_; }

    // Place and size in the parent's client coordinates.
    void SetBounds(int Left, int Top, int Width, int Height);
    RECT Bounds() const { return bounds_; }

    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    // The font of the text; the bar does not own it. nullptr draws in the system font.
    HFONT Font() const { return font_; }
    void SetFont(HFONT Value);

    // Draws now on the parent's surface.
    void Paint();
    // Draws on a DC of the parent's client area (the paint DC of its WM_PAINT).
    void PaintOn(HDC Dc);

    // A click on an enabled bar redraws it and then fires the event; a disabled bar ignores it.
    void Click();
    void DblClick();
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

protected:
    void RedrawNow() override { Paint(); }
    void RequestRedraw() override;

private:
    void Invalidate(const RECT& Area, bool Erase) const;

    HWND parent_;
    RECT bounds_;
    bool visible_ = true;
    HFONT font_;
    BitmapHandle buffer_; // the off-screen picture, resized with the bar
    SIZE bufferSize_ = {0, 0};
    int bufferDepth_ = 0;
};
