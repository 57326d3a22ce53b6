#include "BriBar.h"

TBriBar::TBriBar(HWND Parent)
    : parent_(Parent), bounds_{0, 0, 200, 21}, font_(reinterpret_cast<HFONT>(SendMessageA(Parent, WM_GETFONT, 0, 0)))
{
}

TBriBar::~TBriBar()
{
    // The parent repaints its own background where the bar was.
    if (visible_)
        Invalidate(bounds_, true);
}

void TBriBar::Invalidate(const RECT& Area, bool Erase) const
{
    if (parent_ && IsWindow(parent_))
        InvalidateRect(parent_, &Area, Erase);
}

void TBriBar::RequestRedraw()
{
    // The bar covers its whole rectangle, so the background need not be erased first.
    if (visible_)
        Invalidate(bounds_, false);
}

void TBriBar::SetBounds(int Left, int Top, int Width, int Height)
{
    const RECT bounds = {Left, Top, Left + Width, Top + Height};
    if (EqualRect(&bounds, &bounds_))
        return;
    if (visible_)
        Invalidate(bounds_, true);
    bounds_ = bounds;
    RequestRedraw();
}

void TBriBar::SetVisible(bool Value)
{
    if (Value == visible_)
        return;
    visible_ = Value;
    // Showing draws the bar; hiding lets the parent paint its background over it.
    Invalidate(bounds_, !Value);
}

void TBriBar::SetFont(HFONT Value)
{
    if (Value == font_)
        return;
    font_ = Value;
    RequestRedraw();
}

void TBriBar::Paint()
{
    if (!visible_ || !parent_)
        return;
    WindowDc dc(parent_);
    if (dc.Get())
        PaintOn(dc.Get());
}

void TBriBar::PaintOn(HDC Dc)
{
    // A hidden bar draws nothing, even when a property write asks for it.
    const int width = bounds_.right - bounds_.left;
    const int height = bounds_.bottom - bounds_.top;
    if (!visible_ || width <= 0 || height <= 0)
        return;

    MemoryDc canvas(CreateCompatibleDC(Dc));
    if (!canvas)
        return;
    // The picture is kept between paints; a memory DC only takes a bitmap of its device's
    // format, so a DC of another colour depth gets a new one.
    const int depth = GetDeviceCaps(Dc, BITSPIXEL) * GetDeviceCaps(Dc, PLANES);
    if (!buffer_ || bufferSize_.cx != width || bufferSize_.cy != height || bufferDepth_ != depth) {
        buffer_.Reset(CreateCompatibleBitmap(Dc, width, height));
        bufferSize_ = {width, height};
        bufferDepth_ = depth;
        if (!buffer_)
            return;
    }
    SelectedObject picture(canvas.Get(), buffer_.Get());

    const BarColors colors = ColorsToDraw();
    PenHandle frame(CreatePen(PS_SOLID, 1, colors.Border));
    BrushHandle back(CreateSolidBrush(colors.Back));
    BrushHandle face(CreateSolidBrush(colors.Face));
    SelectedObject pen(canvas.Get(), frame.Get());

    // The bar: a one-pixel frame around the back colour; then the filled part, which gets the
    // same frame.
    {
        SelectedObject brush(canvas.Get(), back.Get());
        Rectangle(canvas.Get(), 0, 0, width, height);
    }
    {
        SelectedObject brush(canvas.Get(), face.Get());
        const BarRect fill = FillRect(width, height);
        Rectangle(canvas.Get(), fill.Left, fill.Top, fill.Right, fill.Bottom);
    }

    const std::string text = Text();
    if (!IsBlankText(text)) {
        SelectedObject font(canvas.Get(), font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(SYSTEM_FONT));
        SetTextColor(canvas.Get(), colors.Font);
        SetBkMode(canvas.Get(), TRANSPARENT);
        SIZE extent = {0, 0};
        GetTextExtentPoint32A(canvas.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
        const BarRect place = TextRect(width, height, extent.cx, extent.cy);
        RECT rect = {place.Left, place.Top, place.Right, place.Bottom};
        DrawTextA(canvas.Get(), text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }

    BitBlt(Dc, bounds_.left, bounds_.top, width, height, canvas.Get(), 0, 0, SRCCOPY);
}

void TBriBar::Click()
{
    if (!Enabled())
        return;
    Paint();
    if (OnClick)
        OnClick();
}

void TBriBar::DblClick()
{
    if (!Enabled())
        return;
    Paint();
    if (OnDblClick)
        OnDblClick();
}
