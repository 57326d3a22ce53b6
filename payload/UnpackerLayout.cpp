#include "UnpackerLayout.h"

namespace {

using K = ControlKind;

const ControlDesc Controls[] = {
    // Kind, Name, Parent, Left, Top, Width, Height, Caption, Flags, Extra, Color, FontHeight, Hint
    {K::Label, "l_Status", nullptr, 8, 12, 376, 16, "Extracting the files. Wait...", 0, nullptr, 0, 0, nullptr},
    {K::ProgressBar, "BriBar", nullptr, 7, 44, 378, 17, nullptr, 0, nullptr, 0, 0, nullptr},
    // Below the visible client area and never shown: Escape would press it if it were visible.
    {K::Button, "b_Cancel", nullptr, 151, 84, 75, 25, "&Cancel", cfCancel | cfDisabled | cfHidden, nullptr, 0, 0,
     nullptr},
};

} // namespace

const FormDesc UnpackerLayout = {
    "TForm_Unzip", 392, 73, clBtnFaceLight, "Verdana", 13, false, Controls, sizeof Controls / sizeof Controls[0],
};
