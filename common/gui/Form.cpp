#include "Form.h"

#include <commctrl.h>

#include "Application.h"
#include "ControlFactory.h"
#include "DisplayScale.h"
#include "WinHandles.h"
#include "WindowClasses.h"

namespace {

const UINT FirstTimerId = 100;

bool IsContainerKind(ControlKind Kind)
{
    return Kind == ControlKind::Page || Kind == ControlKind::Panel || Kind == ControlKind::GroupBox;
}

BOOL CALLBACK CollectEnabledWindow(HWND Window, LPARAM Param)
{
    if (IsWindowVisible(Window) && IsWindowEnabled(Window))
        reinterpret_cast<std::vector<HWND>*>(Param)->push_back(Window);
    return TRUE;
}

// comctl32 is loaded when the first form is made, not at the program's start: a run without
// windows (the silent installation) does without it, and under Wine its start brings up the
// display driver and the theme engine. The library loaded is the one the manifest names.
void InitCommonControlClasses()
{
    using InitProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const InitProc init = ModuleExport<InitProc>(LoadLibraryA("comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    if (init)
        init(&icc);
}

} // namespace

Form* FormOfWindow(HWND Window)
{
    return Window ? static_cast<Form*>(GetPropA(Window, FormWindowProperty)) : nullptr;
}

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
    InitCommonControlClasses();
    RegisterWindowClass(Desc.ClassName, FormProc, 0);
    RegisterWindowClass(ContainerClassName, ContainerProc, CS_DBLCLKS);
    RegisterControlClasses();

    brush_.Reset(CreateSolidBrush(Desc.Color));

    const DWORD style =
        Desc.Bordered ? (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN) : (WS_POPUP | WS_CLIPCHILDREN);
    const DWORD exStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW | (Desc.Bordered ? WS_EX_DLGMODALFRAME : 0);
    window_ = CreateWindowExA(exStyle, Desc.ClassName, "", style, 0, 0, 0, 0, nullptr, nullptr, Application::Instance(),
                              this);
    if (!window_)
        throw std::runtime_error(std::string("Cannot create the window ") + Desc.ClassName);
    // Its size and the controls' follow from the DPI of the display the window is on.
    dpi_ = WindowDpi(window_);
    PlaceWindow(nullptr);
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(FontAt(Desc.FontHeight, false)), FALSE);

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
        RemovePropA(window_, FormWindowProperty);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void Form::CreateControls()
{
    for (size_t i = 0; i < desc_.ControlCount; ++i)
        CreateControl(i);
}

void Form::CreateControl(size_t Index)
{
    const ControlDesc& d = desc_.Controls[Index];
    // Radio buttons in a row form one group for the arrow keys; every other control starts one.
    const ControlDesc* previous = Index > 0 ? &desc_.Controls[Index - 1] : nullptr;
    const bool followsRadio = previous && d.Kind == ControlKind::RadioButton &&
                              previous->Kind == ControlKind::RadioButton && previous->Parent == d.Parent;
    const ControlPlace place = {d.Parent ? Find(d.Parent).Handle() : window_, FirstControlId + static_cast<int>(Index),
                                FontFor(d), !followsRadio, dpi_};
    std::unique_ptr<Control> control = CreateControlOfRow(*this, d, place);

    if (d.Hint && tooltip_) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = place.Parent;
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
        throw std::logic_error(std::string("No control named ") + Name);
    return *it->second;
}

Control* Form::FromHandle(HWND Window) const
{
    auto it = byHandle_.find(Window);
    return it == byHandle_.end() ? nullptr : it->second;
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
    if (!window_)
        return; // closed already
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
