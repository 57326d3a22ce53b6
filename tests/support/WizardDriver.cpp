#include "WizardDriver.h"

#include <shellapi.h>

#include <stdexcept>
#include <thread>

InstallerProcess::InstallerProcess(const std::string& Exe, const std::string& WorkingDir, const std::string& Arguments)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + Exe + "\"" + (Arguments.empty() ? "" : " " + Arguments);
    if (!CreateProcessA(Exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        WorkingDir.empty() ? nullptr : WorkingDir.c_str(), &startup, &info_))
        throw std::runtime_error("Cannot start " + Exe);
}

InstallerProcess::InstallerProcess(const std::wstring& Exe, const std::wstring& WorkingDir,
                                   const std::wstring& Arguments, HANDLE StandardError)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (StandardError) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = StandardError;
    }
    std::wstring commandLine = L"\"" + Exe + L"\"" + (Arguments.empty() ? L"" : L" " + Arguments);
    if (!CreateProcessW(Exe.c_str(), &commandLine[0], nullptr, nullptr, StandardError != nullptr, 0, nullptr,
                        WorkingDir.empty() ? nullptr : WorkingDir.c_str(), &startup, &info_))
        throw std::runtime_error("Cannot start a program by its UTF-16 name");
}

InstallerProcess::~InstallerProcess()
{
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool InstallerProcess::Running() const
{
    return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool InstallerProcess::WaitForExit(std::chrono::milliseconds Timeout)
{
    return WaitForSingleObject(info_.hProcess, static_cast<DWORD>(Timeout.count())) == WAIT_OBJECT_0;
}

DWORD InstallerProcess::ExitCode() const
{
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

namespace {

struct WindowSearch {
    DWORD ProcessId;
    const char* ClassName;
    bool VisibleOnly;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND Window, LPARAM Param)
{
    auto* search = reinterpret_cast<WindowSearch*>(Param);
    DWORD pid = 0;
    GetWindowThreadProcessId(Window, &pid);
    if (pid != search->ProcessId)
        return TRUE;
    char className[64] = "";
    GetClassNameA(Window, className, sizeof className);
    if (strcmp(className, search->ClassName) != 0)
        return TRUE;
    if (search->VisibleOnly && !IsWindowVisible(Window))
        return TRUE;
    search->Found = Window;
    return FALSE;
}

} // namespace

HWND InstallerProcess::FindWindowOfClass(const char* ClassName, bool VisibleOnly) const
{
    WindowSearch search = {info_.dwProcessId, ClassName, VisibleOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND InstallerProcess::WaitForWindow(const char* ClassName, std::chrono::milliseconds Timeout) const
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOfClass(ClassName)) != nullptr; }, Timeout);
    return found;
}

HWND InstallerProcess::FindMessageBox() const
{
    return FindWindowOfClass("#32770");
}

std::string InstallerProcess::MessageBoxText(HWND Box)
{
    // The text of a message box is its static control with the id 0xFFFF.
    HWND text = GetDlgItem(Box, 0xFFFF);
    return text ? WindowText(text) : std::string();
}

void InstallerProcess::PressMessageBoxButton(HWND Box, int Id)
{
    PostMessageA(Box, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Box, Id)));
}

MessageBoxAnswerer::MessageBoxAnswerer(const std::string& Caption, int Button)
    : thread_([this, Caption, Button] {
          HWND box = nullptr;
          auto ownBox = [&] { // only a box of this process: other tests may show theirs meanwhile
              for (box = FindWindowExA(nullptr, nullptr, "#32770", Caption.c_str()); box;
                   box = FindWindowExA(nullptr, box, "#32770", Caption.c_str())) {
                  DWORD pid = 0;
                  GetWindowThreadProcessId(box, &pid);
                  if (pid == GetCurrentProcessId())
                      return true;
              }
              return false;
          };
          if (!WaitUntil(ownBox, std::chrono::seconds(10)))
              return;
          text_ = InstallerProcess::MessageBoxText(box);
          InstallerProcess::PressMessageBoxButton(box, Button);
      })
{
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    if (thread_.joinable())
        thread_.join();
}

const std::string& MessageBoxAnswerer::Text()
{
    if (thread_.joinable())
        thread_.join();
    return text_;
}

namespace {

struct ControlSearch {
    int Id;
    HWND Found;
};

BOOL CALLBACK MatchControl(HWND Window, LPARAM Param)
{
    auto* search = reinterpret_cast<ControlSearch*>(Param);
    if (GetDlgCtrlID(Window) == search->Id) {
        search->Found = Window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindControl(HWND Form, const FormDesc& Layout, const char* Name)
{
    ControlSearch search = {LayoutControlId(Layout, Name), nullptr};
    if (search.Id < 0)
        throw std::runtime_error(std::string("No control named ") + Name);
    EnumChildWindows(Form, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

bool IsVisible(HWND Window)
{
    return Window && IsWindowVisible(Window);
}
bool IsEnabled(HWND Window)
{
    return Window && IsWindowEnabled(Window);
}

bool ClickButton(HWND Button)
{
    if (!IsEnabled(Button) || !IsVisible(Button))
        return false;
    PostMessageA(Button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(Button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    return true;
}

bool ClickCheck(HWND Button)
{
    return ClickButton(Button);
}

bool IsChecked(HWND Button)
{
    return SendMessageA(Button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND FocusedControl(HWND Form)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(Form, nullptr), &info);
    return info.hwndFocus ? info.hwndFocus : Form;
}

void PressKey(HWND Form, WPARAM Key)
{
    HWND target = FocusedControl(Form);
    PostMessageA(target, WM_KEYDOWN, Key, 1);
    PostMessageA(target, WM_KEYUP, Key, 1 | (1u << 30) | (1u << 31));
}

void PressAltKey(HWND Form, char Letter)
{
    HWND target = FocusedControl(Form);
    const WPARAM key = static_cast<WPARAM>(toupper(static_cast<unsigned char>(Letter)));
    const LPARAM altDown = 1 | (1 << 29);
    PostMessageA(target, WM_SYSKEYDOWN, key, altDown);
    PostMessageA(target, WM_SYSCHAR, static_cast<WPARAM>(tolower(static_cast<unsigned char>(Letter))), altDown);
    PostMessageA(target, WM_SYSKEYUP, key, altDown | (1u << 30) | (1u << 31));
}

int SelectedTab(HWND TabControl)
{
    return static_cast<int>(SendMessageA(TabControl, 0x130B /* TCM_GETCURSEL */, 0, 0));
}

void ClickAt(HWND Window, int X, int Y)
{
    PostMessageA(Window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    PostMessageA(Window, WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
}

bool WaitForPostedMessages(HWND Edit, std::chrono::milliseconds Timeout)
{
    DWORD start = 0, end = 0;
    SendMessageA(Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const DWORD marker = start == 1 && end == 2 ? 2 : 1; // a selection other than the present one
    PostMessageA(Edit, EM_SETSEL, marker, marker + 1);
    // A window that went meanwhile went because its thread handled what was posted.
    return WaitUntil(
        [&] {
            if (!IsWindow(Edit))
                return true;
            SendMessageA(Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            return start == marker && end == marker + 1;
        },
        Timeout);
}
