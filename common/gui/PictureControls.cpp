// Pictures and the picture button that takes no focus.
#include "Controls.h"

#include "Application.h"
#include "Form.h"
#include "Pictures.h"

Image::Image(Form& Owner, const ControlDesc& Desc, HWND Window, BitmapHandle Picture) : Control(Owner, Desc, Window)
{
    SetPicture(std::move(Picture));
}

void Image::SetPicture(BitmapHandle Picture)
{
    // The control shows the new picture before the old one, which it may still draw, goes.
    SendMessageA(window_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(Picture.Get()));
    picture_ = std::move(Picture);
}

void Image::ApplyLayout(const ControlRect& Place, HFONT Font, int Dpi)
{
    SetPicture(BitmapHandle(LoadPicture(Application::Instance(), desc_.Extra, Dpi)));
    Control::ApplyLayout(Place, Font, Dpi);
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

void SpeedButton::ApplyLayout(const ControlRect& Place, HFONT Font, int Dpi)
{
    picture_.Reset(LoadPicture(Application::Instance(), desc_.Extra, Dpi));
    Control::ApplyLayout(Place, Font, Dpi);
    InvalidateRect(window_, nullptr, FALSE);
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
