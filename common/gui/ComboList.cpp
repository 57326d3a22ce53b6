// The drop-down list without typing.
#include "Controls.h"

#include <sstream>

ComboList::ComboList(Form& Owner, const ControlDesc& Desc, HWND Window) : Control(Owner, Desc, Window)
{
    std::istringstream items(Desc.Extra ? Desc.Extra : "");
    for (std::string item; std::getline(items, item);)
        SendMessageA(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (Desc.Caption)
        SendMessageA(window_, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Desc.Caption));
}

int ComboList::ItemIndex() const
{
    return static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0));
}

void ComboList::SetItemIndex(int Index)
{
    if (Index == ItemIndex())
        return;
    SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(Index), 0);
    if (OnChange)
        OnChange();
}

std::string ComboList::ItemText(int Index) const
{
    const LRESULT length = SendMessageA(window_, CB_GETLBTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (length == CB_ERR)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(window_, CB_GETLBTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

bool ComboList::DroppedDown() const
{
    return SendMessageA(window_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void ComboList::HandleCommand(WORD Code)
{
    if (Code == CBN_SELCHANGE && OnChange)
        OnChange();
}
