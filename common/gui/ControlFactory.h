// Makes the control of one row of a window description.
#pragma once

#include <windows.h>

#include <memory>

#include "Controls.h"

// Where the control goes: its parent window, its identifier, its font, whether it starts a
// group for the arrow keys (every control but a radio button that follows another), and the
// form's DPI, at which it is placed and its pictures are chosen.
struct ControlPlace {
    HWND Parent;
    int Id;
    HFONT Font;
    bool StartsGroup;
    int Dpi;
};

// Registers the window classes of the toolkit's own controls.
void RegisterControlClasses();

// Creates the row's window and its Control object. Throws when the system refuses.
std::unique_ptr<Control> CreateControlOfRow(Form& Owner, const ControlDesc& Row, const ControlPlace& Place);
