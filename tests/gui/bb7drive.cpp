// bb7drive: one step of driving a running installer, for scripts (the screenshots).
//
//   bb7drive wait CLASS [SECONDS]   wait until a visible window of that class exists
//   bb7drive click NAME             click the wizard's control of that name
//   bb7drive close                  ask the wizard to close
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

int main(int argc, char** argv)
{
    if (argc >= 3 && strcmp(argv[1], "wait") == 0) {
        const int seconds = argc >= 4 ? atoi(argv[3]) : 30;
        return WaitUntil([&] { return VisibleWindow(argv[2]) != nullptr; }, std::chrono::seconds(seconds)) ? 0 : 1;
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
        Sleep(300); // let the click's work show before a screenshot
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "close") == 0) {
        PostMessageA(wizard, WM_CLOSE, 0, 0);
        return 0;
    }
    std::cerr << "usage: bb7drive wait CLASS [SECONDS] | click NAME | close\n";
    return 1;
}
