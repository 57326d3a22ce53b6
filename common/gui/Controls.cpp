#include "Controls.h"

#include <commctrl.h>
#include <richedit.h>

#include <sstream>

#include "BriBar.h"
#include "Form.h"

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

// ---------------------------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------------------------

RichEdit::RichEdit(Form& Owner, const ControlDesc& Desc, HWND Window) : Control(Owner, Desc, Window)
{
    SendMessageA(window_, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    if (!(Desc.Flags & cfWordWrap))
        SendMessageA(window_, EM_SETTARGETDEVICE, 0, 1); // a line width of 1 turns wrapping off
    SendMessageA(window_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
}

namespace {

struct StreamSource {
    const std::string* Data;
    size_t Offset;
};

DWORD CALLBACK ReadStreamSource(DWORD_PTR Cookie, LPBYTE Buffer, LONG Wanted, LONG* Given)
{
    auto* source = reinterpret_cast<StreamSource*>(Cookie);
    const size_t left = source->Data->size() - source->Offset;
    const size_t n = std::min(left, static_cast<size_t>(Wanted));
    memcpy(Buffer, source->Data->data() + source->Offset, n);
    source->Offset += n;
    *Given = static_cast<LONG>(n);
    return 0;
}

} // namespace

void RichEdit::LoadFromText(const std::string& Content)
{
    StreamSource source = {&Content, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadStreamSource;
    const bool isRichText = Content.compare(0, 5, "{\\rtf") == 0;
    SendMessageA(window_, EM_STREAMIN, isRichText ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

void RichEdit::AppendLine(const std::string& Text, COLORREF Color)
{
    const int length = GetWindowTextLengthA(window_);
    SendMessageA(window_, EM_SETSEL, length, length);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = Color;
    SendMessageA(window_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const std::string line = (length > 0 ? "\r\n" : "") + Text;
    SendMessageA(window_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

int RichEdit::LineCount() const
{
    return static_cast<int>(SendMessageA(window_, EM_GETLINECOUNT, 0, 0));
}

// ---------------------------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------------------------

Image::Image(Form& Owner, const ControlDesc& Desc, HWND Window, BitmapHandle Picture)
    : Control(Owner, Desc, Window), picture_(std::move(Picture))
{
    SendMessageA(window_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.Get()));
}

// ---------------------------------------------------------------------------------------------

SpeedButton::SpeedButton(Form& Owner, const ControlDesc& Desc, HWND Window, BitmapHandle Picture)
    : Control(Owner, Desc, Window), picture_(std::move(Picture))
{
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

SpeedButton::~SpeedButton()
{
    if (IsWindow(window_))
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
}

void SpeedButton::Paint(HDC Dc)
{
    RECT r;
    GetClientRect(window_, &r);
    DrawFrameControl(Dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed_ ? DFCS_PUSHED : 0));
    if (!picture_)
        return;
    BITMAP info;
    GetObject(picture_.Get(), sizeof info, &info);
    MemoryDc source(CreateCompatibleDC(Dc));
    SelectedObject selected(source.Get(), picture_.Get());
    // The picture's lower left pixel is its transparent colour, as picture buttons have it.
    // A mask of it (white where transparent) lets the button show through: destination XOR
    // picture, AND mask, XOR picture leaves the destination under the mask and the picture
    // elsewhere. (TransparentBlt would do it in one call, but from msimg32.dll, which is not
    // one of the libraries that the system always loads from its own folder.)
    const COLORREF transparent = GetPixel(source.Get(), 0, info.bmHeight - 1);
    const int w = info.bmWidth, h = info.bmHeight;
    const int x = (r.right - w) / 2 + (pressed_ ? 1 : 0), y = (r.bottom - h) / 2 + (pressed_ ? 1 : 0);
    MemoryDc maskDc(CreateCompatibleDC(Dc));
    BitmapHandle mask(CreateBitmap(w, h, 1, 1, nullptr));
    SelectedObject maskSelected(maskDc.Get(), mask.Get());
    SetBkColor(source.Get(), transparent);
    BitBlt(maskDc.Get(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
    const COLORREF oldBack = SetBkColor(Dc, RGB(255, 255, 255)), oldText = SetTextColor(Dc, RGB(0, 0, 0));
    BitBlt(Dc, x, y, w, h, source.Get(), 0, 0, SRCINVERT);
    BitBlt(Dc, x, y, w, h, maskDc.Get(), 0, 0, SRCAND);
    BitBlt(Dc, x, y, w, h, source.Get(), 0, 0, SRCINVERT);
    SetBkColor(Dc, oldBack);
    SetTextColor(Dc, oldText);
}

LRESULT CALLBACK SpeedButton::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    auto* self = reinterpret_cast<SpeedButton*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(Window, Message, WParam, LParam);
    switch (Message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Window, &ps);
        self->Paint(dc);
        EndPaint(Window, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetCapture(Window);
        self->pressed_ = true;
        InvalidateRect(Window, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == Window) {
            RECT r;
            GetClientRect(Window, &r);
            const POINT pt = {static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
            const bool inside = PtInRect(&r, pt) != FALSE;
            if (inside != self->pressed_) {
                self->pressed_ = inside;
                InvalidateRect(Window, nullptr, FALSE);
            }
        }
        return 0;
    case WM_LBUTTONUP: {
        // A press and a release inside the button click it. The capture only follows the mouse
        // in between; the system may refuse it to a window that is not in front.
        RECT r;
        GetClientRect(Window, &r);
        const POINT pt = {static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
        const bool click = self->pressed_ && PtInRect(&r, pt);
        self->pressed_ = false;
        if (GetCapture() == Window)
            ReleaseCapture();
        InvalidateRect(Window, nullptr, FALSE);
        if (click && IsWindowEnabled(Window))
            self->owner_.Invoke([self] {
                if (self->OnClick)
                    self->OnClick();
            });
        return 0;
    }
    case WM_CAPTURECHANGED:
        self->pressed_ = false;
        InvalidateRect(Window, nullptr, FALSE);
        return 0;
    }
    return DefWindowProcA(Window, Message, WParam, LParam);
}

// ---------------------------------------------------------------------------------------------

ProgressBar::ProgressBar(Form& Owner, const ControlDesc& Desc, HWND Window)
    : Control(Owner, Desc, Window), bar_(std::make_unique<TBriBar>(Window))
{
    RECT client;
    GetClientRect(window_, &client);
    bar_->SetBounds(0, 0, client.right, client.bottom);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ProgressBar::~ProgressBar()
{
    if (IsWindow(window_))
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
}

void ProgressBar::SetEnabled(bool Enabled)
{
    Control::SetEnabled(Enabled);
    bar_->SetEnabled(Enabled);
}

void ProgressBar::SetVisible(bool Visible)
{
    Control::SetVisible(Visible);
    bar_->SetVisible(Visible);
}

LRESULT CALLBACK ProgressBar::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    auto* self = reinterpret_cast<ProgressBar*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(Window, Message, WParam, LParam);
    TBriBar& bar = *self->bar_;
    switch (Message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Window, &ps);
        bar.PaintOn(dc);
        EndPaint(Window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the bar covers its whole window
    case WM_SETFONT:
        bar.SetFont(reinterpret_cast<HFONT>(WParam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(bar.Font());
    case WM_LBUTTONUP:
        self->owner_.Invoke([&bar] { bar.Click(); });
        return 0;
    case WM_LBUTTONDBLCLK:
        self->owner_.Invoke([&bar] { bar.DblClick(); });
        return 0;
    }
    return DefWindowProcA(Window, Message, WParam, LParam);
}

// ---------------------------------------------------------------------------------------------

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

RECT TabControl::DisplayRect() const
{
    RECT r;
    GetClientRect(window_, &r);
    SendMessageA(window_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
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
