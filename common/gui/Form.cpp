#include "Form.h"

#include <commctrl.h>
#include <richedit.h>

#include <stdexcept>

#include "Application.h"
#include "BriBar.h"
#include "Pictures.h"

namespace {

const char* const ContainerClass = "Bb7Container";
const char* const FormProperty = "Bb7Form";
const UINT FirstTimerId = 100;

void RegisterWindowClass(const char* Name, WNDPROC Proc, UINT Style)
{
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(Application::Instance(), Name, &existing))
        return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = Style;
    wc.lpfnWndProc = Proc;
    wc.hInstance = Application::Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(Application::Instance(), "MAINICON");
    wc.lpszClassName = Name;
    if (!RegisterClassExA(&wc))
        throw std::runtime_error(std::string("Cannot register the window class ") + Name);
}

bool IsContainerKind(ControlKind Kind)
{
    return Kind == ControlKind::Page || Kind == ControlKind::Panel || Kind == ControlKind::GroupBox;
}

bool TakesFocus(ControlKind Kind)
{
    switch (Kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::Edit:
    case ControlKind::Memo:
    case ControlKind::RichEdit:
    case ControlKind::ComboList:
        return true;
    default:
        return false; // radio buttons take it only while selected (RadioButton keeps that up)
    }
}

SIZE TextSize(HWND Window, HFONT Font, const char* Text)
{
    WindowDc dc(Window);
    SelectedObject font(dc.Get(), Font);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc.Get(), Text, static_cast<int>(strlen(Text)), &size);
    return size;
}

int FontLineHeight(HWND Window, HFONT Font)
{
    WindowDc dc(Window);
    SelectedObject font(dc.Get(), Font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc.Get(), &tm);
    return tm.tmHeight;
}

BOOL CALLBACK CollectEnabledWindow(HWND Window, LPARAM Param)
{
    if (IsWindowVisible(Window) && IsWindowEnabled(Window))
        reinterpret_cast<std::vector<HWND>*>(Param)->push_back(Window);
    return TRUE;
}

} // namespace

// ---------------------------------------------------------------------------------------------

Timer::Timer(Form& Owner, UINT Id, UINT Interval) : owner_(Owner), id_(Id), interval_(Interval) {}

void Timer::SetEnabled(bool Enabled)
{
    if (Enabled == enabled_)
        return;
    enabled_ = Enabled;
    if (Enabled)
        SetTimer(owner_.Handle(), id_, interval_, nullptr);
    else
        KillTimer(owner_.Handle(), id_);
}

// ---------------------------------------------------------------------------------------------

Form::Form(const FormDesc& Desc) : desc_(Desc)
{
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&icc);
    RegisterWindowClass(Desc.ClassName, FormProc, 0);
    RegisterWindowClass(ContainerClass, ContainerProc, CS_DBLCLKS);
    RegisterWindowClass(SpeedButton::ClassName(), SpeedButton::WindowProc, 0);

    font_.Reset(CreateFontA(-Desc.FontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            Desc.FontName));
    brush_.Reset(CreateSolidBrush(Desc.Color));

    const DWORD style =
        Desc.Bordered ? (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN) : (WS_POPUP | WS_CLIPCHILDREN);
    const DWORD exStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW | (Desc.Bordered ? WS_EX_DLGMODALFRAME : 0);
    RECT r = {0, 0, Desc.ClientWidth, Desc.ClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;

    window_ = CreateWindowExA(exStyle, Desc.ClassName, "", style, left, top, width, height, nullptr, nullptr,
                              Application::Instance(), this);
    if (!window_)
        throw std::runtime_error(std::string("Cannot create the window ") + Desc.ClassName);
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);

    tooltip_ =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, Application::Instance(), nullptr);
    CreateControls();
}

Form::~Form()
{
    for (auto& [id, timer] : timers_)
        timer->SetEnabled(false);
    if (window_) {
        RemovePropA(window_, FormProperty);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void Form::CreateControls()
{
    for (size_t i = 0; i < desc_.ControlCount; ++i)
        CreateControl(i);
}

HWND Form::ParentHandle(const ControlDesc& Desc)
{
    if (!Desc.Parent)
        return window_;
    return Find(Desc.Parent).Handle();
}

HFONT Form::FontFor(const ControlDesc& Desc)
{
    if (Desc.FontHeight == 0 && !(Desc.Flags & cfBold))
        return font_.Get();
    const int height = Desc.FontHeight ? Desc.FontHeight : desc_.FontHeight;
    extraFonts_.emplace_back(CreateFontA(-height, 0, 0, 0, (Desc.Flags & cfBold) ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                         FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                         DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, desc_.FontName));
    return extraFonts_.back().Get();
}

void Form::CreateControl(size_t Index)
{
    const ControlDesc& d = desc_.Controls[Index];
    HWND parent = ParentHandle(d);
    HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(FirstControlId + Index));
    HINSTANCE instance = Application::Instance();
    HFONT font = FontFor(d);

    RECT parentClient;
    GetClientRect(parent, &parentClient);
    int x = d.Left, y = d.Top, w = d.Width, h = d.Height;
    if (d.Flags & cfAlignTop) {
        x = 0, y = 0, w = parentClient.right;
    } else if (d.Flags & cfAlignBottom) {
        x = 0, y = parentClient.bottom - h, w = parentClient.right;
    }

    // Radio buttons in a row form one group for the arrow keys; every other control starts one.
    const bool followsRadio = Index > 0 && d.Kind == ControlKind::RadioButton &&
                              desc_.Controls[Index - 1].Kind == ControlKind::RadioButton &&
                              desc_.Controls[Index - 1].Parent == d.Parent;
    DWORD style = WS_CHILD | (followsRadio ? 0 : WS_GROUP);
    if (!(d.Flags & cfHidden) && d.Kind != ControlKind::Page)
        style |= WS_VISIBLE;
    if (d.Flags & cfDisabled)
        style |= WS_DISABLED;
    if (TakesFocus(d.Kind) && !(d.Flags & cfNoTabStop))
        style |= WS_TABSTOP;
    if (d.Flags & cfVScroll)
        style |= WS_VSCROLL;
    if (d.Flags & cfHScroll)
        style |= WS_HSCROLL;

    const char* caption = d.Caption ? d.Caption : "";
    std::unique_ptr<Control> control;
    auto create = [&](DWORD ExStyle, const char* Class, DWORD Style) {
        HWND hwnd = CreateWindowExA(ExStyle, Class, caption, style | Style, x, y, w, h, parent, id, instance, this);
        if (!hwnd)
            throw std::runtime_error(std::string("Cannot create the control ") + d.Name);
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return hwnd;
    };

    switch (d.Kind) {
    case ControlKind::TabControl: {
        // WS_EX_CONTROLPARENT: the Tab key walks through the pages inside it.
        HWND hwnd = create(WS_EX_CONTROLPARENT, WC_TABCONTROLA, WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TCS_FOCUSNEVER);
        control = std::make_unique<TabControl>(*this, d, hwnd);
        break;
    }
    case ControlKind::Page: {
        auto& tabs = dynamic_cast<TabControl&>(Find(d.Parent));
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(caption);
        SendMessageA(tabs.Handle(), TCM_INSERTITEMA, tabs.PageCount(), reinterpret_cast<LPARAM>(&item));
        const RECT area = tabs.DisplayRect();
        x = area.left, y = area.top, w = area.right - area.left, h = area.bottom - area.top;
        HWND hwnd = create(WS_EX_CONTROLPARENT, ContainerClass, WS_CLIPCHILDREN);
        auto page = std::make_unique<Container>(*this, d, hwnd);
        tabs.AddPage(page.get());
        control = std::move(page);
        break;
    }
    case ControlKind::Panel:
    case ControlKind::GroupBox: {
        HWND hwnd = create(WS_EX_CONTROLPARENT, ContainerClass, WS_CLIPCHILDREN);
        control = std::make_unique<Container>(*this, d, hwnd);
        break;
    }
    case ControlKind::Label: {
        if (w == 0) {
            const SIZE size = TextSize(parent, font, caption);
            w = size.cx, h = size.cy;
        }
        HWND hwnd = create(0, "STATIC", SS_LEFT | SS_NOPREFIX);
        control = std::make_unique<Control>(*this, d, hwnd);
        break;
    }
    case ControlKind::Button: {
        HWND hwnd = create(0, "BUTTON", (d.Flags & cfDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        control = std::make_unique<Button>(*this, d, hwnd);
        break;
    }
    case ControlKind::RadioButton: {
        HWND hwnd = create(0, "BUTTON", BS_RADIOBUTTON);
        control = std::make_unique<RadioButton>(*this, d, hwnd);
        break;
    }
    case ControlKind::CheckBox: {
        HWND hwnd = create(0, "BUTTON", BS_AUTOCHECKBOX);
        control = std::make_unique<CheckBox>(*this, d, hwnd);
        break;
    }
    case ControlKind::Edit: {
        // The label sits above the edit box, three pixels apart, as a labelled edit box has it.
        HWND label = nullptr;
        if (d.Extra) {
            const SIZE size = TextSize(parent, font, d.Extra);
            label = CreateWindowExA(0, "STATIC", d.Extra,
                                    WS_CHILD | SS_LEFT | SS_NOPREFIX | (style & (WS_VISIBLE | WS_DISABLED)), x,
                                    y - size.cy - 3, size.cx, size.cy, parent, nullptr, instance, nullptr);
            SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        if (h == 0)
            h = FontLineHeight(parent, font) + 8;
        HWND hwnd = create(WS_EX_CLIENTEDGE, "EDIT", ES_AUTOHSCROLL | ((d.Flags & cfPassword) ? ES_PASSWORD : 0));
        if (d.Flags & cfPassword)
            SendMessageA(hwnd, EM_SETPASSWORDCHAR, '*', 0);
        control = std::make_unique<Edit>(*this, d, hwnd, label);
        break;
    }
    case ControlKind::Memo: {
        DWORD extra = ES_MULTILINE | ES_AUTOVSCROLL | ((d.Flags & cfReadOnly) ? ES_READONLY : 0);
        if (!(d.Flags & cfWordWrap))
            extra |= ES_AUTOHSCROLL;
        HWND hwnd = create(WS_EX_CLIENTEDGE, "EDIT", extra);
        control = std::make_unique<Memo>(*this, d, hwnd);
        break;
    }
    case ControlKind::RichEdit: {
        static HMODULE richEditLibrary = LoadLibraryA("riched20.dll"); // registers RICHEDIT_CLASSA
        (void)richEditLibrary;
        DWORD extra = ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ((d.Flags & cfReadOnly) ? ES_READONLY : 0);
        HWND hwnd = create(WS_EX_CLIENTEDGE, RICHEDIT_CLASSA, extra);
        control = std::make_unique<RichEdit>(*this, d, hwnd);
        break;
    }
    case ControlKind::ComboList: {
        const int visibleRows = 8;
        h = FontLineHeight(parent, font) * (visibleRows + 1) + 8; // the window's height includes the list
        HWND hwnd = create(0, "COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL);
        control = std::make_unique<ComboList>(*this, d, hwnd);
        break;
    }
    case ControlKind::Image: {
        HBITMAP picture = LoadPicture(d.Extra);
        HWND hwnd = create(0, "STATIC", SS_BITMAP);
        control = std::make_unique<Image>(*this, d, hwnd, picture);
        break;
    }
    case ControlKind::SpeedButton: {
        HBITMAP picture = LoadPicture(d.Extra);
        HWND hwnd = create(0, SpeedButton::ClassName(), 0);
        control = std::make_unique<SpeedButton>(*this, d, hwnd, picture);
        break;
    }
    case ControlKind::ProgressBar: {
        auto bar = std::make_unique<TBriBar>(parent);
        bar->SetBounds(x, y, w, h);
        bar->SetFont(font); // containers keep no font of their own to hand out
        bars_[d.Name] = WindowlessBar{parent, std::move(bar)};
        return;
    }
    }

    if (d.Hint && tooltip_) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = parent;
        tool.uId = reinterpret_cast<UINT_PTR>(control->Handle());
        tool.lpszText = const_cast<char*>(d.Hint);
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (IsContainerKind(d.Kind))
        SetWindowLongPtrA(control->Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    byHandle_[control->Handle()] = control.get();
    controls_[d.Name] = std::move(control);
}

Control& Form::Find(const char* Name)
{
    auto it = controls_.find(Name);
    if (it == controls_.end())
        throw std::runtime_error(std::string("No control named ") + Name);
    return *it->second;
}

Control* Form::FromHandle(HWND Window) const
{
    auto it = byHandle_.find(Window);
    return it == byHandle_.end() ? nullptr : it->second;
}

TBriBar& Form::Bar(const char* Name)
{
    auto it = bars_.find(Name);
    if (it == bars_.end())
        throw std::runtime_error(std::string("No progress bar named ") + Name);
    return *it->second.Bar;
}

Timer& Form::AddTimer(UINT Interval)
{
    const UINT id = FirstTimerId + static_cast<UINT>(timers_.size());
    auto& slot = timers_[id];
    slot = std::make_unique<Timer>(*this, id, Interval);
    return *slot;
}

std::string Form::Caption() const
{
    char text[512];
    GetWindowTextA(window_, text, sizeof text);
    return text;
}

void Form::SetCaption(const std::string& Caption)
{
    SetWindowTextA(window_, Caption.c_str());
}

void Form::RestoreFocus()
{
    HWND focus = GetFocus();
    if (focus && IsChild(window_, focus))
        return;
    HWND target = lastFocus_;
    if (!target || !IsChild(window_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
        target = GetNextDlgTabItem(window_, nullptr, FALSE);
    if (target)
        SetFocus(target);
}

bool Form::Visible() const
{
    return IsWindowVisible(window_) != FALSE;
}

void Form::Show()
{
    // As users of forms expect, FormShow runs before the window appears: a form whose first
    // showing fails (the wizard when unpacking fails) never shows up at all.
    Invoke([this] { FormShow(); });
    if (Application::Terminated() || !IsWindow(window_))
        return;
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    RestoreFocus();
    Invoke([this] { FormActivate(); });
}

void Form::ShowModal()
{
    modal_ = true;
    modalDone_ = false;
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
    for (HWND w : disabled)
        if (w != window_)
            EnableWindow(w, FALSE);

    Show();
    while (!modalDone_ && !Application::Terminated() && Application::HandleOneMessage(true)) {
    }
    if (Application::Terminated())
        PostQuitMessage(0); // let the outer loop end too

    for (HWND w : disabled)
        if (w != window_ && IsWindow(w))
            EnableWindow(w, TRUE);
    ShowWindow(window_, SW_HIDE);
    modal_ = false;
}

void Form::EndModal()
{
    modalDone_ = true;
    ShowWindow(window_, SW_HIDE);
}

void Form::Close()
{
    bool canClose = false;
    Invoke([&] { canClose = FormCloseQuery(); });
    if (!canClose)
        return;
    Invoke([this] { FormClose(); });
    if (modal_)
        EndModal();
    else
        DestroyWindow(window_);
}

void Form::Invoke(const std::function<void()>& Handler)
{
    if (!Handler)
        return;
    try {
        Handler();
    } catch (const std::exception& error) {
        Application::ShowException(error);
    } catch (...) {
        Application::ShowException(std::runtime_error("Unknown error"));
    }
}

Button* Form::FindButton(uint32_t Flag)
{
    for (size_t i = 0; i < desc_.ControlCount; ++i) {
        const ControlDesc& d = desc_.Controls[i];
        if (d.Kind == ControlKind::Button && (d.Flags & Flag)) {
            auto& button = Get<Button>(d.Name);
            if (IsWindowVisible(button.Handle()))
                return &button;
        }
    }
    return nullptr;
}

Button* Form::CancelButton()
{
    return FindButton(cfCancel);
}
Button* Form::DefaultButton()
{
    return FindButton(cfDefault);
}

bool Form::PreTranslateKey(const MSG& Message)
{
    if (Message.message != WM_KEYDOWN)
        return false;
    if (Message.wParam == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000)) {
        // The Tab key moves the focus even out of multi-line boxes, which would keep it.
        const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (HWND next = GetNextDlgTabItem(window_, GetFocus(), back))
            SetFocus(next);
        return true;
    }
    if (Message.wParam != VK_ESCAPE && Message.wParam != VK_RETURN)
        return false;
    Control* focused = FromHandle(GetFocus());
    if (auto* combo = dynamic_cast<ComboList*>(focused); combo && combo->DroppedDown())
        return false; // the open list takes Enter and Escape itself

    Button* target = nullptr;
    if (Message.wParam == VK_ESCAPE)
        target = CancelButton();
    else if (auto* button = dynamic_cast<Button*>(focused))
        target = button;
    else
        target = DefaultButton();
    if (target)
        Invoke([target] { target->Press(); });
    return true;
}

void Form::PaintContainer(HWND Window, HDC Dc)
{
    RECT r;
    GetClientRect(Window, &r);
    Control* container = FromHandle(Window);
    if (container && container->Desc().Kind == ControlKind::Panel) {
        DrawEdge(Dc, &r, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
    } else if (container && container->Desc().Kind == ControlKind::GroupBox) {
        RECT frame = r;
        frame.top += desc_.FontHeight / 2;
        DrawEdge(Dc, &frame, EDGE_ETCHED, BF_RECT);
    }
    for (auto& [name, windowless] : bars_)
        if (windowless.Parent == Window)
            windowless.Bar->PaintOn(Dc);
}

LRESULT CALLBACK Form::FormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
        SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        SetPropA(Window, FormProperty, form);
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcA(Window, Message, WParam, LParam);
    return form->HandleMessage(Window, Message, WParam, LParam, true);
}

LRESULT CALLBACK Form::ContainerProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
        SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcA(Window, Message, WParam, LParam);
    return form->HandleMessage(Window, Message, WParam, LParam, false);
}

LRESULT Form::HandleMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, bool IsForm)
{
    switch (Message) {
    case WM_COMMAND:
        if (Control* control = FromHandle(reinterpret_cast<HWND>(LParam))) {
            Invoke([control, WParam] { control->HandleCommand(HIWORD(WParam)); });
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(LParam);
        if (Control* control = FromHandle(header->hwndFrom)) {
            LRESULT result = 0;
            bool handled = false;
            Invoke([&] { handled = control->HandleNotify(header, result); });
            if (handled)
                return result;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        HDC dc = reinterpret_cast<HDC>(WParam);
        Control* child = FromHandle(reinterpret_cast<HWND>(LParam));
        if (child && child->BackgroundBrush()) {
            SetBkColor(dc, child->BackgroundColor());
            return reinterpret_cast<LRESULT>(child->BackgroundBrush());
        }
        if (Message == WM_CTLCOLOREDIT || Message == WM_CTLCOLORLISTBOX)
            break;
        // Labels, radio buttons and check boxes show the colour of the window they lie on.
        Control* self = IsForm ? nullptr : FromHandle(Window);
        COLORREF color = self && self->BackgroundBrush() ? self->BackgroundColor() : desc_.Color;
        SetBkColor(dc, color);
        return reinterpret_cast<LRESULT>(self && self->BackgroundBrush() ? self->BackgroundBrush() : brush_.Get());
    }
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(Window, &r);
        Control* self = IsForm ? nullptr : FromHandle(Window);
        FillRect(reinterpret_cast<HDC>(WParam), &r,
                 self && self->BackgroundBrush() ? self->BackgroundBrush() : brush_.Get());
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Window, &ps);
        PaintContainer(Window, dc);
        EndPaint(Window, &ps);
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: {
        const POINT pt = {static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
        for (auto& [name, windowless] : bars_) {
            if (windowless.Parent != Window)
                continue;
            const RECT bounds = windowless.Bar->Bounds();
            if (PtInRect(&bounds, pt)) {
                TBriBar* bar = windowless.Bar.get();
                Invoke([bar, Message] { Message == WM_LBUTTONUP ? bar->Click() : bar->DblClick(); });
            }
        }
        break;
    }
    case WM_TIMER:
        if (IsForm) {
            auto it = timers_.find(static_cast<UINT>(WParam));
            if (it != timers_.end()) {
                Timer* timer = it->second.get();
                Invoke([timer] {
                    if (timer->Enabled() && timer->OnTimer)
                        timer->OnTimer();
                });
            }
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // As dialogs do: the control that had the focus gets it back when the window is
        // activated again, or the first control when there was none.
        if (IsForm) {
            if (LOWORD(WParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_, focus))
                    lastFocus_ = focus;
                return 0;
            }
            RestoreFocus();
            return 0;
        }
        break;
    case WM_CLOSE:
        if (IsForm) {
            Close();
            return 0;
        }
        break;
    case WM_DESTROY:
        if (IsForm) {
            RemovePropA(Window, FormProperty);
            SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
            window_ = nullptr;
            if (Application::IsMainForm(this))
                PostQuitMessage(0);
            return 0;
        }
        break;
    }
    return DefWindowProcA(Window, Message, WParam, LParam);
}
