// The window on whose surface the TBriBar progress bar draws.
#include "Controls.h"

#include "BriBar.h"
#include "Form.h"

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
    case WM_SIZE: // at a change of the display's scale
        bar.SetBounds(0, 0, LOWORD(LParam), HIWORD(LParam));
        return 0;
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
