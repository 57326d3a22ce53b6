// Where the window of a row lies in its parent at a DPI: the description's pixels scaled to
// the DPI, rows aligned to the top or bottom across their parent, pages in the display area
// of their page control, and the sizes that follow from the font (a label sized to its
// caption, an edit box's and a drop-down list's height). Used when a form is made and again
// when its DPI changes.
#pragma once

#include <windows.h>

#include "Layout.h"

struct ControlRect {
    int Left, Top, Width, Height;
};

// The row's place in Parent, whose client area must already have its final size.
ControlRect PlaceOfRow(const ControlDesc& Row, HWND Parent, HFONT Font, int Dpi);

// The label above a labelled edit box (Row.Extra its text) whose box lies at Box.
ControlRect PlaceOfEditLabel(const ControlDesc& Row, const ControlRect& Box, HWND Parent, HFONT Font, int Dpi);
