// bb7drive: one step of driving a running installer, for scripts (the screenshots).
//
//   bb7drive drives [SECONDS]       wait until the system knows drive C: (Wine's mount manager
//                                   registers the drives a moment after its server starts)
//   bb7drive wait CLASS [SECONDS]   wait until a visible window of that class exists
//   bb7drive settle [CLASS]         wait until the window (default: the wizard) has handled
//                                   what was posted to it and has painted itself
//   bb7drive click NAME             click the wizard's control of that name, then settle
//   bb7drive text NAME VALUE        set the text of the wizard's edit box of that name
//   bb7drive focus NAME             click into the wizard's control of that name, then settle
//   bb7drive enabled NAME [SECONDS] wait until the wizard's control of that name is enabled
//   bb7drive close [CLASS]          ask the window (default: the wizard) to close
//
// Exit status 0 when the step was done, 1 when it could not be.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "MainFormLayout.h"
#include "WizardDriver.h"

using namespace std::chrono_literals;

static HWND VisibleWindow(const char* ClassName)
{
    HWND window = FindWindowA(ClassName, nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

// The posted messages handled (the wizard's licence box serves as the marker), then every
// part of the window painted before RedrawWindow returns.
static bool Settle(HWND Window)
{
    HWND marker = FindControl(Window, MainFormLayout, "m_License");
    if (marker && !WaitForPostedMessages(marker))
        return false;
    return RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW) != 0;
}

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "drives") == 0) {
        const int seconds = argc >= 3 ? atoi(argv[2]) : 30;
        return WaitUntil([] { return (GetLogicalDrives() & (1u << ('C' - 'A'))) != 0; }, std::chrono::seconds(seconds))
                   ? 0
                   : 1;
    }
    if (argc >= 3 && strcmp(argv[1], "wait") == 0) {
        const int seconds = argc >= 4 ? atoi(argv[3]) : 30;
        return WaitUntil([&] { return VisibleWindow(argv[2]) != nullptr; }, std::chrono::seconds(seconds)) ? 0 : 1;
    }
    if (argc == 3 && strcmp(argv[1], "close") == 0) {
        HWND window = VisibleWindow(argv[2]);
        return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (argc >= 2 && strcmp(argv[1], "settle") == 0) {
        HWND window = VisibleWindow(argc >= 3 ? argv[2] : "TMainForm");
        return window && Settle(window) ? 0 : 1;
    }
    HWND wizard = VisibleWindow("TMainForm");
    if (!wizard) {
        std::cerr << "bb7drive: no wizard window\n";
        return 1;
    }
    if (argc == 3 && strcmp(argv[1], "click") == 0) {
        HWND control = FindControl(wizard, MainFormLayout, argv[2]);
        if (!ClickButton(control)) {
            std::cerr << "bb7drive: " << argv[2] << " cannot be clicked\n";
            return 1;
        }
        return Settle(wizard) ? 0 : 1;
    }
    if (argc == 3 && strcmp(argv[1], "focus") == 0) {
        HWND control = FindControl(wizard, MainFormLayout, argv[2]);
        if (!control)
            return 1;
        ClickAt(control, 5, 5);
        return Settle(wizard) ? 0 : 1;
    }
    if (argc >= 3 && strcmp(argv[1], "enabled") == 0) {
        HWND control = FindControl(wizard, MainFormLayout, argv[2]);
        const int seconds = argc >= 4 ? atoi(argv[3]) : 60;
        return control && WaitUntil([&] { return IsEnabled(control); }, std::chrono::seconds(seconds)) && Settle(wizard)
                   ? 0
                   : 1;
    }
    if (argc == 4 && strcmp(argv[1], "text") == 0) {
        HWND control = FindControl(wizard, MainFormLayout, argv[2]);
        return control && SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3])) ? 0 : 1;
    }
    if (argc == 2 && strcmp(argv[1], "close") == 0) {
        PostMessageA(wizard, WM_CLOSE, 0, 0);
        return 0;
    }
    std::cerr << "usage: bb7drive drives [SECONDS] | wait CLASS [SECONDS] | settle [CLASS] | click NAME | text NAME "
                 "VALUE | focus NAME |"
                 " enabled NAME [SECONDS] | close [CLASS]\n";
    return 1;
}
