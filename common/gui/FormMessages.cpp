// Message handling of a form's own window and of its containers (pages, panels, group
// boxes): notifications routed to the controls that sent them, background colours, the
// containers' bevels, timers, activation, a change of the display's scale and closing.
#include "Form.h"

#include "Application.h"
#include "DisplayScale.h"
#include "WindowClasses.h"

LRESULT CALLBACK Form::FormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
        SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        SetPropA(Window, FormWindowProperty, form);
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

// Labels, radio buttons and check boxes show the colour of the window they lie on; a control
// with a colour of its own shows that.
LRESULT Form::ColorChild(HWND Window, UINT Message, HDC Dc, HWND Child, bool IsForm)
{
    Control* child = FromHandle(Child);
    if (child && child->BackgroundBrush()) {
        SetBkColor(Dc, child->BackgroundColor());
        return reinterpret_cast<LRESULT>(child->BackgroundBrush());
    }
    if (Message == WM_CTLCOLOREDIT || Message == WM_CTLCOLORLISTBOX)
        return DefWindowProcA(Window, Message, reinterpret_cast<WPARAM>(Dc), reinterpret_cast<LPARAM>(Child));
    Control* self = IsForm ? nullptr : FromHandle(Window);
    const bool ownColor = self && self->BackgroundBrush();
    SetBkColor(Dc, ownColor ? self->BackgroundColor() : desc_.Color);
    return reinterpret_cast<LRESULT>(ownColor ? self->BackgroundBrush() : brush_.Get());
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
        frame.top += ScaleToDpi(desc_.FontHeight, dpi_) / 2;
        DrawEdge(Dc, &frame, EDGE_ETCHED, BF_RECT);
    }
}

// As dialogs do: the control that had the focus gets it back when the window is activated
// again, or the first control when there was none.
void Form::HandleActivate(WPARAM WParam)
{
    if (LOWORD(WParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus))
            lastFocus_ = focus;
        return;
    }
    RestoreFocus();
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
    case WM_CTLCOLORLISTBOX:
        return ColorChild(Window, Message, reinterpret_cast<HDC>(WParam), reinterpret_cast<HWND>(LParam), IsForm);
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
    case WM_SETCURSOR:
        // Controls ask their parent first, so this covers every window of the form.
        if (Application::Busy()) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
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
        if (IsForm) {
            HandleActivate(WParam);
            return 0;
        }
        break;
    case WmGetDpiScaledSize:
        // Asked before a move to a display of another scale: the size that holds the client
        // area of that scale exactly, which the system then suggests with WM_DPICHANGED.
        if (IsForm) {
            *reinterpret_cast<SIZE*>(LParam) = FrameSizeAt(static_cast<int>(WParam));
            return TRUE;
        }
        break;
    case WmDpiChanged:
        if (IsForm) {
            Invoke([&] { ApplyDpi(HIWORD(WParam), reinterpret_cast<const RECT*>(LParam)); });
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
            RemovePropA(Window, FormWindowProperty);
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
