#include "RowPlacement.h"

#include <commctrl.h>

#include <cstring>

#include "DisplayScale.h"
#include "WinHandles.h"

namespace {

// Pixels at 96 DPI, like the descriptions.
const int ComboVisibleRows = 8;
const int EditFrameHeight = 8; // an edit box's height beyond its font's line height
const int LabelGap = 3;        // between a labelled edit box and the label above it

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

} // namespace

ControlRect PlaceOfRow(const ControlDesc& Row, HWND Parent, HFONT Font, int Dpi)
{
    RECT parent;
    GetClientRect(Parent, &parent);
    ControlRect r = {ScaleToDpi(Row.Left, Dpi), ScaleToDpi(Row.Top, Dpi), ScaleToDpi(Row.Width, Dpi),
                     ScaleToDpi(Row.Height, Dpi)};
    if (Row.Flags & cfAlignTop) {
        r.Left = 0, r.Top = 0, r.Width = parent.right;
    } else if (Row.Flags & cfAlignBottom) {
        r.Left = 0, r.Top = parent.bottom - r.Height, r.Width = parent.right;
    }

    switch (Row.Kind) {
    case ControlKind::Page: {
        // The page control's area below its tabs, whose height follows the font.
        RECT area = parent;
        SendMessageA(Parent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        r = {area.left, area.top, area.right - area.left, area.bottom - area.top};
        break;
    }
    case ControlKind::Label:
        if (Row.Width == 0) {
            const SIZE size = TextSize(Parent, Font, Row.Caption ? Row.Caption : "");
            r.Width = size.cx, r.Height = size.cy;
        }
        break;
    case ControlKind::Edit:
        if (Row.Height == 0)
            r.Height = FontLineHeight(Parent, Font) + ScaleToDpi(EditFrameHeight, Dpi);
        break;
    case ControlKind::ComboList:
        // The window's height includes the list that drops down.
        r.Height = FontLineHeight(Parent, Font) * (ComboVisibleRows + 1) + ScaleToDpi(EditFrameHeight, Dpi);
        break;
    default:
        break;
    }
    return r;
}

ControlRect PlaceOfEditLabel(const ControlDesc& Row, const ControlRect& Box, HWND Parent, HFONT Font, int Dpi)
{
    const SIZE size = TextSize(Parent, Font, Row.Extra ? Row.Extra : "");
    return {Box.Left, Box.Top - size.cy - ScaleToDpi(LabelGap, Dpi), size.cx, size.cy};
}
