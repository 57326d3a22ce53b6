// Where the windows and controls of the wizard and of the unpacker lie, written out as the
// design gives them: pixels at 96 DPI (100%), each control's left and top within its parent
// (the bars' buttons within their bar, the account choices within their group box). At
// another DPI every value is the design's times the scale, MulDiv(value, dpi, 96).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "Layout.h"
#include "WizardDriver.h"

namespace wizardtest {

enum class Along {
    Given,  // left, top, width and height as written (0: not given, it follows from the font)
    Top,    // across the top of the parent: left 0, top 0, the parent's width, the height written
    Bottom, // across the bottom of the parent: the parent's width, the height written
};

struct DesignPlace {
    const char* Name;
    int Left, Top, Width, Height;
    Along Align;
};

constexpr SIZE WizardClient = {527, 371};
constexpr SIZE UnpackerClient = {392, 73};

inline const DesignPlace WizardPlaces[] = {
    {"Logo", 28, 3, 450, 80, Along::Given},
    {"PageControl", 0, 86, 527, 285, Along::Given},
    // License
    {"m_License", 0, 0, 0, 181, Along::Top},
    {"rb_Accept", 23, 188, 230, 17, Along::Given},
    {"rb_NotAccept", 265, 188, 248, 17, Along::Given},
    {"Panel0", 0, 0, 0, 41, Along::Bottom},
    {"cb_File", 8, 8, 145, 0, Along::Given},
    {"b_Cancel0", 343, 10, 75, 25, Along::Given},
    {"b_Next0", 435, 10, 75, 25, Along::Given},
    // Warning
    {"i_Warning", 4, 4, 93, 205, Along::Given},
    {"m_Warning", 104, 4, 409, 183, Along::Given},
    {"cb_Warning", 104, 192, 397, 17, Along::Given},
    {"Panel4", 0, 0, 0, 41, Along::Bottom},
    {"b_PreviousWarning", 252, 10, 75, 25, Along::Given},
    {"b_CancelWarning", 343, 10, 75, 25, Along::Given},
    {"b_NextWarning", 435, 10, 75, 25, Along::Given},
    // Folders
    {"e_Dir", 10, 32, 467, 0, Along::Given},
    {"sb_Browse", 478, 33, 25, 25, Along::Given},
    {"l_Status", 14, 72, 491, 16, Along::Given},
    {"cb_Icons", 10, 104, 463, 17, Along::Given},
    {"Panel1", 0, 0, 0, 41, Along::Bottom},
    {"b_Previous1", 252, 10, 75, 25, Along::Given},
    {"b_Cancel1", 343, 10, 75, 25, Along::Given},
    {"b_Next1", 435, 10, 75, 25, Along::Given},
    // Settings
    {"l_Choose", 8, 3, 0, 0, Along::Given},
    {"rb_AutoAll", 8, 29, 441, 17, Along::Given},
    {"rb_AutoCurent", 8, 54, 449, 12, Along::Given},
    {"rb_NoAuto", 8, 74, 401, 17, Along::Given},
    {"rb_Service", 8, 97, 401, 17, Along::Given},
    {"MemoWarning", 32, 40, 449, 81, Along::Given},
    {"GroupBox", 32, 115, 449, 94, Along::Given},
    {"rb_LocalSystem", 16, 13, 185, 17, Along::Given},
    {"rb_Account", 208, 13, 233, 17, Along::Given},
    {"e_ID", 40, 57, 145, 0, Along::Given},
    {"e_Password", 216, 57, 145, 0, Along::Given},
    {"Panel2", 0, 0, 0, 41, Along::Bottom},
    {"b_Previous2", 252, 10, 75, 25, Along::Given},
    {"b_Cancel2", 343, 10, 75, 25, Along::Given},
    {"b_Next2", 435, 10, 75, 25, Along::Given},
    // Install
    {"Progress", 7, 12, 506, 16, Along::Given},
    {"MemoLog", 4, 40, 511, 169, Along::Given},
    {"Panel3", 0, 0, 0, 41, Along::Bottom},
    {"b_Cancel", 343, 10, 75, 25, Along::Given},
    {"b_Done", 435, 10, 75, 25, Along::Given},
};

inline const DesignPlace UnpackerPlaces[] = {
    {"l_Status", 8, 12, 376, 16, Along::Given},
    {"BriBar", 7, 44, 378, 17, Along::Given},
    {"b_Cancel", 151, 84, 75, 25, Along::Given}, // below the visible client area
};

inline RECT PlaceInParent(HWND Window)
{
    RECT r;
    GetWindowRect(Window, &r);
    MapWindowPoints(nullptr, GetParent(Window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A length of the design at this DPI: exactly the design's at 96 DPI.
inline int AtDpi(int Length, int Dpi)
{
    return MulDiv(Length, Dpi, 96);
}

// The client area of Window is the design's at this DPI.
inline void ExpectClientSize(HWND Window, SIZE Design, int Dpi)
{
    RECT client;
    GetClientRect(Window, &client);
    EXPECT_EQ(AtDpi(Design.cx, Dpi), client.right) << "client width at " << Dpi << " DPI";
    EXPECT_EQ(AtDpi(Design.cy, Dpi), client.bottom) << "client height at " << Dpi << " DPI";
}

// Every control of Places lies where the design says, at this DPI: exactly at 96 DPI, and
// within a pixel of the scaled value at any other (rounding).
template <size_t N> void ExpectDesignPlaces(HWND Form, const FormDesc& Layout, const DesignPlace (&Places)[N], int Dpi)
{
    const int slack = Dpi == 96 ? 0 : 1;
    for (const DesignPlace& design : Places) {
        SCOPED_TRACE(testing::Message() << design.Name << " at " << Dpi << " DPI");
        HWND control = FindControl(Form, Layout, design.Name);
        ASSERT_NE(nullptr, control);
        const RECT r = PlaceInParent(control);
        RECT parent;
        GetClientRect(GetParent(control), &parent);
        int left = AtDpi(design.Left, Dpi), top = AtDpi(design.Top, Dpi), width = AtDpi(design.Width, Dpi);
        if (design.Align != Along::Given)
            left = 0, width = parent.right;
        if (design.Align == Along::Bottom)
            top = parent.bottom - AtDpi(design.Height, Dpi);
        EXPECT_NEAR(left, r.left, slack);
        EXPECT_NEAR(top, r.top, slack);
        if (design.Width > 0 || design.Align != Along::Given) {
            EXPECT_NEAR(width, r.right - r.left, slack);
        }
        if (design.Height > 0) {
            EXPECT_NEAR(AtDpi(design.Height, Dpi), r.bottom - r.top, slack);
        }
    }
}

} // namespace wizardtest
