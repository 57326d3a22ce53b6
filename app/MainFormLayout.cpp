#include "MainFormLayout.h"

namespace {

// The firewall warning; some lines keep a blank at their end, as the text always had.
const char WarningText[] = "FIREWALL WARNING !!!\r\n"
                           "\r\n"
                           "This software contains several parts that need to \r\n"
                           "communicate with each other. The working part (the \r\n"
                           "\"engine\") and the user interface communicate via \r\n"
                           "TCP/IP. Both programs only accept connections \r\n"
                           "from the local host (YOUR MACHINE) and don't accept \r\n"
                           "connections from external computers  by default.\r\n"
                           "\r\n"
                           "Some firewalls (most notoriously Zone Alarm) show the \r\n"
                           "TCP activity going on in the local host, thus wasting \r\n"
                           "system resources and wrongly alarming the average \r\n"
                           "users about the program \"sending information\" or \r\n"
                           "\"acting as a server\", which is right but ONLY for the \r\n"
                           "local host.\r\n"
                           "\r\n"
                           "Other, more intelligent firewalls, choose to rightly ignore \r\n"
                           "this activity and concentrate on REAL threats instead.\r\n"
                           "\r\n"
                           "In you want to learn more about this, please read the \r\n"
                           "FAQ in the help file. Please do NOT mail me asking about\r\n"
                           "network activity!!!!!! ";

const char AccountWarningText[] = "Important! If your computer is member of a domain, enter your \r\n"
                                  "user as DOMAIN\\UserName. Also be sure your password  is \r\n"
                                  "correct. If you enter the wrong ID or Password, you can fix it on \r\n"
                                  "the Control Panel. See the help file of the program for details.";

using K = ControlKind;

// Buttons of a page's bar: 75 x 25 at top 10; Previous at 252, Cancel at 343, Next or Done at 435.
const ControlDesc Controls[] = {
    // Kind, Name, Parent, Left, Top, Width, Height, Caption, Flags, Extra, Color, FontHeight, Hint
    {K::Image, "Logo", nullptr, 28, 3, 450, 80, nullptr, 0, "BANNER", 0, 0, nullptr},
    {K::TabControl, "PageControl", nullptr, 0, 86, 527, 285, nullptr, 0, nullptr, 0, 0, nullptr},

    // License
    {K::Page, "tab_License", "PageControl", 0, 0, 0, 0, "&License", 0, nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_NotAccept", "tab_License", 265, 188, 248, 17, "I do NOT accept the license", cfChecked,
     nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_Accept", "tab_License", 23, 188, 230, 17, "&I accept  the license", 0, nullptr, 0, 0, nullptr},
    {K::RichEdit, "m_License", "tab_License", 0, 0, 0, 181, nullptr, cfAlignTop | cfReadOnly | cfHScroll | cfVScroll,
     nullptr, 0, 0, nullptr},
    {K::Panel, "Panel0", "tab_License", 0, 0, 0, 41, nullptr, cfAlignBottom, nullptr, 0, 0, nullptr},
    {K::ComboList, "cb_File", "Panel0", 8, 8, 145, 0, "License", 0, "License\nReadme\nHistory", 0, 0, nullptr},
    {K::Button, "b_Cancel0", "Panel0", 343, 10, 75, 25, "&Cancel", cfCancel, nullptr, 0, 0, nullptr},
    {K::Button, "b_Next0", "Panel0", 435, 10, 75, 25, "&Next", cfDisabled, nullptr, 0, 0, nullptr},

    // Warning
    {K::Page, "tab_Warning", "PageControl", 0, 0, 0, 0, "Warning", 0, nullptr, 0, 0, nullptr},
    {K::Image, "i_Warning", "tab_Warning", 4, 4, 93, 205, nullptr, 0, "WARNING", 0, 0, nullptr},
    {K::Memo, "m_Warning", "tab_Warning", 104, 4, 409, 183, WarningText, cfReadOnly | cfVScroll | cfWordWrap, nullptr,
     0, 0, nullptr},
    {K::Panel, "Panel4", "tab_Warning", 0, 0, 0, 41, nullptr, cfAlignBottom, nullptr, 0, 0, nullptr},
    {K::Button, "b_PreviousWarning", "Panel4", 252, 10, 75, 25, "&Previous", 0, nullptr, 0, 0, nullptr},
    {K::Button, "b_CancelWarning", "Panel4", 343, 10, 75, 25, "&Cancel", cfCancel, nullptr, 0, 0, nullptr},
    {K::Button, "b_NextWarning", "Panel4", 435, 10, 75, 25, "&Next", cfDefault, nullptr, 0, 0, nullptr},
    {K::CheckBox, "cb_Warning", "tab_Warning", 104, 192, 397, 17, "I'll educate myself and read the FAQ", 0, nullptr, 0,
     0, nullptr},

    // Folders
    {K::Page, "tab_Folders", "PageControl", 0, 0, 0, 0, "&Folders", 0, nullptr, 0, 0, nullptr},
    {K::Edit, "e_Dir", "tab_Folders", 10, 32, 467, 0, nullptr, 0, "Install to...", 0, 0, nullptr},
    {K::SpeedButton, "sb_Browse", "tab_Folders", 478, 33, 25, 25, nullptr, 0, "BROWSE", 0, 0, "Browse"},
    {K::Label, "l_Status", "tab_Folders", 14, 72, 491, 16, nullptr, 0, nullptr, 0, 0, nullptr},
    {K::CheckBox, "cb_Icons", "tab_Folders", 10, 104, 463, 17, "Create icons on the Start menu", cfChecked, nullptr, 0,
     0, nullptr},
    {K::Panel, "Panel1", "tab_Folders", 0, 0, 0, 41, nullptr, cfAlignBottom, nullptr, 0, 0, nullptr},
    {K::Button, "b_Previous1", "Panel1", 252, 10, 75, 25, "&Previous", 0, nullptr, 0, 0, nullptr},
    {K::Button, "b_Cancel1", "Panel1", 343, 10, 75, 25, "&Cancel", cfCancel, nullptr, 0, 0, nullptr},
    {K::Button, "b_Next1", "Panel1", 435, 10, 75, 25, "&Next", cfDefault, nullptr, 0, 0, nullptr},

    // Settings
    {K::Page, "tab_Settings", "PageControl", 0, 0, 0, 0, "&Settings", 0, nullptr, 0, 0, nullptr},
    {K::Label, "l_Choose", "tab_Settings", 8, 3, 0, 0, "Installation type", cfBold, nullptr, 0, 17, nullptr},
    {K::RadioButton, "rb_AutoAll", "tab_Settings", 8, 29, 441, 17, "As an application. Autostart for all users", 0,
     nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_AutoCurent", "tab_Settings", 8, 54, 449, 12,
     "As an application. Autostart for the current user", 0, nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_NoAuto", "tab_Settings", 8, 74, 401, 17, "As an application. No autostart", 0, nullptr, 0, 0,
     nullptr},
    {K::RadioButton, "rb_Service", "tab_Settings", 8, 97, 401, 17, "As a service (NT based systems only)", 0, nullptr,
     0, 0, nullptr},
    {K::Memo, "MemoWarning", "tab_Settings", 32, 40, 449, 81, AccountWarningText, cfHidden | cfReadOnly | cfWordWrap,
     nullptr, clYellow, 0, nullptr},
    {K::GroupBox, "GroupBox", "tab_Settings", 32, 115, 449, 94, nullptr, 0, nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_LocalSystem", "GroupBox", 16, 13, 185, 17, "Under the LocalSystem", 0, nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_Account", "GroupBox", 208, 13, 233, 17, "Under the following account", 0, nullptr, 0, 0,
     nullptr},
    {K::Edit, "e_ID", "GroupBox", 40, 57, 145, 0, nullptr, 0, "ID:", 0, 0, nullptr},
    {K::Edit, "e_Password", "GroupBox", 216, 57, 145, 0, nullptr, cfPassword, "Password", 0, 0, nullptr},
    {K::Panel, "Panel2", "tab_Settings", 0, 0, 0, 41, nullptr, cfAlignBottom, nullptr, 0, 0, nullptr},
    {K::Button, "b_Previous2", "Panel2", 252, 10, 75, 25, "&Previous", 0, nullptr, 0, 0, nullptr},
    {K::Button, "b_Cancel2", "Panel2", 343, 10, 75, 25, "&Cancel", cfCancel, nullptr, 0, 0, nullptr},
    {K::Button, "b_Next2", "Panel2", 435, 10, 75, 25, "&Next", cfDefault, nullptr, 0, 0, nullptr},

    // Install
    {K::Page, "tab_Install", "PageControl", 0, 0, 0, 0, "&Install", 0, nullptr, 0, 0, nullptr},
    {K::ProgressBar, "Progress", "tab_Install", 7, 12, 506, 16, nullptr, 0, nullptr, 0, 0, nullptr},
    {K::RichEdit, "MemoLog", "tab_Install", 4, 40, 511, 169, nullptr, cfReadOnly | cfHScroll | cfVScroll, nullptr, 0, 0,
     nullptr},
    {K::Panel, "Panel3", "tab_Install", 0, 0, 0, 41, nullptr, cfAlignBottom, nullptr, 0, 0, nullptr},
    {K::Button, "b_Cancel", "Panel3", 343, 10, 75, 25, "&Cancel", cfCancel, nullptr, 0, 0, nullptr},
    {K::Button, "b_Done", "Panel3", 435, 10, 75, 25, "&Done", cfDefault | cfDisabled, nullptr, 0, 0, nullptr},
};

} // namespace

const FormDesc MainFormLayout = {
    "TMainForm", 527, 371, clMoneyGreen, "Verdana", 13, true, Controls, sizeof Controls / sizeof Controls[0],
};
