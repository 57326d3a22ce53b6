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
