#include "WindowClasses.h"

#include <stdexcept>
#include <string>

#include "Application.h"

void RegisterWindowClass(const char* Name, WNDPROC Proc, UINT Style)
{
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(Application::Instance(), Name, &existing))
        return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = Style;
    wc.lpfnWndProc = Proc;
    wc.hInstance = Application::Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(Application::Instance(), "MAINICON");
    wc.lpszClassName = Name;
    if (!RegisterClassExA(&wc))
        throw std::runtime_error(std::string("Cannot register the window class ") + Name);
}
