// Push buttons, radio buttons and check boxes.
#include "Controls.h"

#include "Form.h"

void Button::Press()
{
    // Wine lets BM_CLICK through to a disabled button; a disabled or hidden button is never pressed here.
    if (!IsWindowEnabled(window_) || !IsWindowVisible(window_))
        return;
    if (OnClick)
        OnClick();
}

void Button::HandleCommand(WORD Code)
{
    if (Code == BN_CLICKED)
        Press();
}

// ---------------------------------------------------------------------------------------------

RadioButton::RadioButton(Form& Owner, const ControlDesc& Desc, HWND Window) : Control(Owner, Desc, Window)
{
    if (Desc.Flags & cfChecked)
        ApplyCheck(true);
}

bool RadioButton::Checked() const
{
    return SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButton::ApplyCheck(bool Checked)
{
    SendMessageA(window_, BM_SETCHECK, Checked ? BST_CHECKED : BST_UNCHECKED, 0);
    // Within a group only the selected button is reached by the Tab key.
    LONG style = GetWindowLongA(window_, GWL_STYLE);
    style = Checked ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    SetWindowLongA(window_, GWL_STYLE, style);
}

void RadioButton::SetChecked(bool Checked)
{
    if (Checked == this->Checked())
        return;
    if (Checked) {
        // Clear the other buttons of the group: the radio buttons with the same parent.
        HWND parent = GetParent(window_);
        for (HWND sibling = GetWindow(parent, GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT))
            if (sibling != window_)
                if (auto* other = dynamic_cast<RadioButton*>(owner_.FromHandle(sibling)))
                    other->ApplyCheck(false);
    }
    ApplyCheck(Checked);
    if (OnClick)
        OnClick();
}

void RadioButton::HandleCommand(WORD Code)
{
    if (Code == BN_CLICKED && IsWindowEnabled(window_))
        SetChecked(true);
}

// ---------------------------------------------------------------------------------------------

CheckBox::CheckBox(Form& Owner, const ControlDesc& Desc, HWND Window) : Control(Owner, Desc, Window)
{
    if (Desc.Flags & cfChecked)
        SendMessageA(window_, BM_SETCHECK, BST_CHECKED, 0);
}

bool CheckBox::Checked() const
{
    return SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool Checked)
{
    if (Checked == this->Checked())
        return;
    SendMessageA(window_, BM_SETCHECK, Checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick)
        OnClick();
}

void CheckBox::HandleCommand(WORD Code)
{
    // The box has already toggled itself (an automatic check box) when this arrives.
    if (Code == BN_CLICKED && OnClick)
        OnClick();
}
