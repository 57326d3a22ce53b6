// The display's scale. Window descriptions give positions, sizes and font heights in pixels
// at 96 DPI (100%); a window shows them at its own DPI: 120 at 125%, 144 at 150%, 192 at
// 200%. The program declares itself aware of each monitor's DPI, so the system does not
// stretch its windows: it lays them out itself, and again when one moves to a display of
// another scale (WM_DPICHANGED).
#pragma once

#include <windows.h>

constexpr int DefaultDpi = 96;

// A length of a description at this DPI, rounded as MulDiv rounds.
inline int ScaleToDpi(int Length, int Dpi)
{
    return MulDiv(Length, Dpi, DefaultDpi);
}

// Messages of Windows 8.1 and 10 that the headers of older versions do not name.
constexpr UINT WmDpiChanged = 0x02E0;       // WM_DPICHANGED: wParam the new DPI, lParam the suggested RECT
constexpr UINT WmGetDpiScaledSize = 0x02E4; // WM_GETDPISCALEDSIZE: wParam the new DPI, lParam a SIZE to fill

// The DPI of the monitor the window is on, as the system tells it to a window aware of it;
// systems before Windows 10 know only one DPI for every display.
int WindowDpi(HWND Window);
// The DPI of the primary display when the program started.
int SystemDpi();

// The size of a top-level window whose client area is Width x Height, with the frame's
// borders and caption as the system draws them at this DPI.
SIZE FrameSizeForClient(int Width, int Height, DWORD Style, DWORD ExStyle, int Dpi);
