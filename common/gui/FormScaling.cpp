// A form at its display's DPI: the window sized for the description's client area times the
// scale, centred on the screen; the fonts at the scaled heights; and, when the window moves
// to a display of another scale, every control placed, given its font and its pictures anew.
#include "Form.h"

#include <algorithm>

#include "DisplayScale.h"
#include "RowPlacement.h"

SIZE Form::FrameSizeAt(int Dpi) const
{
    return FrameSizeForClient(ScaleToDpi(desc_.ClientWidth, Dpi), ScaleToDpi(desc_.ClientHeight, Dpi),
                              static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)),
                              static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE)), Dpi);
}

void Form::PlaceWindow(const RECT* Suggested)
{
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (Suggested) {
        SetWindowPos(window_, nullptr, Suggested->left, Suggested->top, Suggested->right - Suggested->left,
                     Suggested->bottom - Suggested->top, flags);
        return;
    }
    // Centred on the screen; a window larger than the screen (200% on a small one) keeps its
    // caption in view.
    const SIZE frame = FrameSizeAt(dpi_);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window_, nullptr, std::max(work.left, work.left + (work.right - work.left - frame.cx) / 2),
                 std::max(work.top, work.top + (work.bottom - work.top - frame.cy) / 2), frame.cx, frame.cy, flags);
}

HFONT Form::FontAt(int Height, bool Bold)
{
    FontHandle& font = fonts_[{Height, Bold}];
    if (!font)
        font.Reset(CreateFontA(-ScaleToDpi(Height, dpi_), 0, 0, 0, Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, desc_.FontName));
    return font.Get();
}

HFONT Form::FontFor(const ControlDesc& Desc)
{
    return FontAt(Desc.FontHeight ? Desc.FontHeight : desc_.FontHeight, (Desc.Flags & cfBold) != 0);
}

void Form::ApplyDpi(int Dpi, const RECT* Suggested)
{
    // The controls keep the old fonts until each has its new one.
    const auto oldFonts = std::move(fonts_);
    fonts_.clear();
    dpi_ = Dpi;
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(FontAt(desc_.FontHeight, false)), FALSE);
    PlaceWindow(Suggested);
    // In the order of the rows, parents before their children: a page is placed below the
    // tabs of its page control as they are at the new size and font.
    for (size_t i = 0; i < desc_.ControlCount; ++i) {
        const ControlDesc& row = desc_.Controls[i];
        Control& control = Find(row.Name);
        const HFONT font = FontFor(row);
        control.ApplyLayout(PlaceOfRow(row, GetParent(control.Handle()), font, dpi_), font, dpi_);
    }
    RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}
