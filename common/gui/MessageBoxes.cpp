#include "MessageBoxes.h"

#include "Application.h"

namespace {

HHOOK centreHook = nullptr;
MessageBoxWatcher watcher;

// A CBT hook sees the message box window just before it is activated, which is the moment
// to move it: MessageBoxA itself centres on its owner, not on the screen.
LRESULT CALLBACK CentreOnScreenHook(int Code, WPARAM WParam, LPARAM LParam)
{
    if (Code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(WParam);
        RECT r;
        GetWindowRect(box, &r);
        RECT work;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const int width = r.right - r.left, height = r.bottom - r.top;
        SetWindowPos(box, nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        UnhookWindowsHookEx(centreHook);
        centreHook = nullptr;
        return 0;
    }
    return CallNextHookEx(centreHook, Code, WParam, LParam);
}

} // namespace

void SetMessageBoxWatcher(MessageBoxWatcher Watcher)
{
    watcher = std::move(Watcher);
}

int CentredMessageBox(const std::string& Text, const std::string& Caption, UINT Flags)
{
    if (watcher)
        watcher(Caption, Text, 0);
    if (!centreHook)
        centreHook = SetWindowsHookExA(WH_CBT, CentreOnScreenHook, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxA(GetActiveWindow(), Text.c_str(), Caption.c_str(), Flags | MB_SETFOREGROUND);
    if (centreHook) { // the box never got activated
        UnhookWindowsHookEx(centreHook);
        centreHook = nullptr;
    }
    if (watcher)
        watcher(Caption, Text, answer);
    return answer;
}

void InformationBox(const std::string& Text)
{
    CentredMessageBox(Text, Application::Title(), MB_OK);
}

int WarningBox(const std::string& Text, UINT Buttons)
{
    return CentredMessageBox(Text, "Warning", Buttons | MB_ICONWARNING);
}

int ConfirmationBox(const std::string& Text, UINT Buttons)
{
    return CentredMessageBox(Text, "Confirm", Buttons | MB_ICONQUESTION);
}

void ErrorBox(const std::string& Text)
{
    CentredMessageBox(Text, Application::Title(), MB_OK | MB_ICONERROR);
}
