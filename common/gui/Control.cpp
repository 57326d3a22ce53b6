// The base of every control: state, text, focus and the background its parent paints.
#include "Controls.h"

#include <richedit.h>

Control::Control(Form& Owner, const ControlDesc& Desc, HWND Window) : owner_(Owner), desc_(Desc), window_(Window)
{
    uint32_t color = Desc.Color;
    if (color == 0 && (Desc.Kind == ControlKind::Edit || Desc.Kind == ControlKind::Memo))
        color = clWhite; // read-only boxes would otherwise take the grey of static controls
    if (color != 0)
        SetBackground(color);
}

Control::~Control() = default;

bool Control::Enabled() const
{
    return IsWindowEnabled(window_) != FALSE;
}
void Control::SetEnabled(bool Enabled)
{
    EnableWindow(window_, Enabled);
}
bool Control::Visible() const
{
    return (GetWindowLongA(window_, GWL_STYLE) & WS_VISIBLE) != 0;
}
void Control::SetVisible(bool Visible)
{
    ShowWindow(window_, Visible ? SW_SHOWNA : SW_HIDE);
}

std::string Control::Text() const
{
    const int length = GetWindowTextLengthA(window_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window_, &text[0], length + 1)));
    return text;
}

void Control::SetText(const std::string& Text)
{
    SetWindowTextA(window_, Text.c_str());
}
void Control::SetFocus()
{
    ::SetFocus(window_);
}
bool Control::Focused() const
{
    return GetFocus() == window_;
}

void Control::SetBackground(COLORREF Color)
{
    color_ = Color;
    brush_.Reset(CreateSolidBrush(Color));
    if (desc_.Kind == ControlKind::RichEdit)
        SendMessageA(window_, EM_SETBKGNDCOLOR, 0, Color);
    InvalidateRect(window_, nullptr, TRUE);
}

void Control::ApplyLayout(const ControlRect& Place, HFONT Font, int Dpi)
{
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
    SetWindowPos(window_, nullptr, Place.Left, Place.Top, Place.Width, Place.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}
