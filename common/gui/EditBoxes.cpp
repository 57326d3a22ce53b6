// Single-line edit boxes with the label above them.
#include "Controls.h"

Edit::Edit(Form& Owner, const ControlDesc& Desc, HWND Window, HWND Label) : Control(Owner, Desc, Window), label_(Label)
{
}

void Edit::SetEnabled(bool Enabled)
{
    Control::SetEnabled(Enabled);
    if (label_)
        EnableWindow(label_, Enabled);
}

void Edit::SetVisible(bool Visible)
{
    Control::SetVisible(Visible);
    if (label_)
        ShowWindow(label_, Visible ? SW_SHOWNA : SW_HIDE);
}

void Edit::HandleCommand(WORD Code)
{
    if (Code == EN_SETFOCUS && OnEnter)
        OnEnter();
    else if (Code == EN_KILLFOCUS && OnExit)
        OnExit();
}

void Edit::ApplyLayout(const ControlRect& Place, HFONT Font, int Dpi)
{
    Control::ApplyLayout(Place, Font, Dpi);
    if (!label_)
        return;
    const ControlRect label = PlaceOfEditLabel(desc_, Place, GetParent(window_), Font, Dpi);
    SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
    SetWindowPos(label_, nullptr, label.Left, label.Top, label.Width, label.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}
