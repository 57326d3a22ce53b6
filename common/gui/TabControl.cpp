// The page control: its tabs never change the page by themselves.
#include "Controls.h"

#include <commctrl.h>

TabControl::TabControl(Form& Owner, const ControlDesc& Desc, HWND Window) : Control(Owner, Desc, Window)
{
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TabControl::KeyFilterProc)));
}

// The tabs never take the focus, so no key should reach them; Wine's tab control would
// moreover move its selection on an arrow key even when the change is refused.
LRESULT CALLBACK TabControl::KeyFilterProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    auto* self = reinterpret_cast<TabControl*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(Window, Message, WParam, LParam);
    if (Message == WM_KEYDOWN || Message == WM_KEYUP)
        return 0;
    return CallWindowProcA(self->original_, Window, Message, WParam, LParam);
}

int TabControl::PageIndex() const
{
    return static_cast<int>(SendMessageA(window_, TCM_GETCURSEL, 0, 0));
}

void TabControl::AddPage(Container* Page)
{
    pages_.push_back(Page);
    if (pages_.size() == 1) {
        SendMessageA(window_, TCM_SETCURSEL, 0, 0);
        ShowWindow(Page->Handle(), SW_SHOWNA);
    }
}

Container* TabControl::Page(int Index) const
{
    return Index >= 0 && Index < PageCount() ? pages_[static_cast<size_t>(Index)] : nullptr;
}

int TabControl::PageCount() const
{
    return static_cast<int>(pages_.size());
}

void TabControl::SetPageIndex(int Index)
{
    Container* next = Page(Index);
    if (!next)
        return;
    const int previous = PageIndex();
    HWND focus = GetFocus();
    SendMessageA(window_, TCM_SETCURSEL, static_cast<WPARAM>(Index), 0); // sends no TCN_SELCHANGING
    ShowWindow(next->Handle(), SW_SHOWNA);
    if (previous != Index)
        if (Container* old = Page(previous))
            ShowWindow(old->Handle(), SW_HIDE);
    // Move the focus off the page that went away, to the first control of the new page.
    if (!focus || !IsChild(next->Handle(), focus))
        if (HWND first = GetNextDlgTabItem(next->Handle(), nullptr, FALSE))
            ::SetFocus(first);
}

bool TabControl::HandleNotify(NMHDR* Header, LRESULT& Result)
{
    if (Header->code == static_cast<UINT>(TCN_SELCHANGING)) {
        const bool allow = OnChanging ? OnChanging() : true;
        Result = allow ? FALSE : TRUE; // TRUE refuses the change
        return true;
    }
    if (Header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        const int index = PageIndex();
        for (int i = 0; i < PageCount(); ++i)
            ShowWindow(pages_[static_cast<size_t>(i)]->Handle(), i == index ? SW_SHOWNA : SW_HIDE);
        Result = 0;
        return true;
    }
    return false;
}
