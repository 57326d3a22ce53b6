#include "DisplayScale.h"

#include "WinHandles.h"

namespace {

HMODULE User32()
{
    return GetModuleHandleA("user32.dll");
}

int ScreenDpi()
{
    WindowDc screen(nullptr);
    return screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : DefaultDpi;
}

} // namespace

// GetDpiForWindow and the other calls below came with Windows 10 (1607); the program also
// runs on Windows 7 and 8, where it asks the screen instead.
int WindowDpi(HWND Window)
{
    using Proc = UINT(WINAPI*)(HWND);
    static const Proc getDpiForWindow = ModuleExport<Proc>(User32(), "GetDpiForWindow");
    const UINT dpi = getDpiForWindow && Window ? getDpiForWindow(Window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

int SystemDpi()
{
    using Proc = UINT(WINAPI*)();
    static const Proc getDpiForSystem = ModuleExport<Proc>(User32(), "GetDpiForSystem");
    const UINT dpi = getDpiForSystem ? getDpiForSystem() : 0;
    return dpi != 0 ? static_cast<int>(dpi) : ScreenDpi();
}

SIZE FrameSizeForClient(int Width, int Height, DWORD Style, DWORD ExStyle, int Dpi)
{
    using Proc = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const Proc adjustForDpi = ModuleExport<Proc>(User32(), "AdjustWindowRectExForDpi");
    RECT r = {0, 0, Width, Height};
    if (!adjustForDpi || !adjustForDpi(&r, Style, FALSE, ExStyle, static_cast<UINT>(Dpi)))
        AdjustWindowRectEx(&r, Style, FALSE, ExStyle);
    return {r.right - r.left, r.bottom - r.top};
}
