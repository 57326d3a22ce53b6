// Window descriptions as data: a form is a table of controls, each created from one row.
// The row order is the creation order, which is also the focus (Tab) order within a parent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Colors.h"

enum class ControlKind : uint8_t {
    TabControl,  // page control: the tabs of the rows of kind Page whose parent it is
    Page,        // one page of a TabControl; Caption is the tab caption
    Panel,       // container with a raised inner and lowered outer bevel
    GroupBox,    // container framed by an etched line, without caption
    Label,       // static text of the size given; Width 0 sizes it to its caption
    Button,      // push button
    RadioButton, // radio buttons with the same parent form one group
    CheckBox,
    Edit,        // single-line edit box; Extra is the text of a label placed above it
    Memo,        // multi-line edit box
    RichEdit,    // rich-text box
    ComboList,   // drop-down list without typing; Extra holds the items separated by '\n'
    Image,       // picture; Extra is the resource name
    SpeedButton, // picture button that takes no focus; Extra is the picture's resource name
    ProgressBar, // the TBriBar progress bar
};

enum ControlFlag : uint32_t {
    cfDisabled = 1u << 0,
    cfHidden = 1u << 1,
    cfChecked = 1u << 2,
    cfReadOnly = 1u << 3,
    cfHScroll = 1u << 4,
    cfVScroll = 1u << 5,
    cfWordWrap = 1u << 6,
    cfDefault = 1u << 7, // the button that Enter presses when no button has the focus
    cfCancel = 1u << 8,  // the button that Escape presses
    cfPassword = 1u << 9,
    cfBold = 1u << 10,
    cfAlignTop = 1u << 11,    // full width at the top of the parent, Height kept
    cfAlignBottom = 1u << 12, // full width at the bottom of the parent, Height kept
};

struct ControlDesc {
    ControlKind Kind;
    const char* Name;
    const char* Parent; // name of the parent row; nullptr: the form itself
    int Left, Top, Width, Height;
    const char* Caption;
    uint32_t Flags;
    const char* Extra; // see ControlKind
    uint32_t Color;    // background as a COLORREF; 0 = the kind's default
    int FontHeight;    // character height in pixels; 0 = the form's font
    const char* Hint;  // tooltip text, or nullptr
};

struct FormDesc {
    const char* ClassName; // window class, also how tests find the window
    int ClientWidth, ClientHeight;
    uint32_t Color; // COLORREF
    const char* FontName;
    int FontHeight;
    bool Bordered; // dialog frame with a close box; false: no border, no title bar
    const ControlDesc* Controls;
    size_t ControlCount;
};

// Control identifiers are derived from the row: tests find a control by its name this way.
constexpr int FirstControlId = 1000;
int LayoutControlId(const FormDesc& Form, const char* Name); // -1 when there is no such row
