// Drives the installer's real windows from another process, through Win32 messages, the
// way the end-to-end tests and the screenshot script need it.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Layout.h"
#include "WinTestSupport.h"

// A running copy of the installer.
class InstallerProcess {
public:
    // Starts Exe with the given working folder and arguments; the process is ended when this
    // object goes.
    InstallerProcess(const std::string& Exe, const std::string& WorkingDir, const std::string& Arguments = "");
    // The same through CreateProcessW, whose command line carries what no ANSI code page holds
    // ("/dir=C:\Āpps"); StandardError, when given, is an inheritable handle that receives what
    // the program writes on standard error.
    InstallerProcess(const std::wstring& Exe, const std::wstring& WorkingDir, const std::wstring& Arguments,
                     HANDLE StandardError = nullptr);
    ~InstallerProcess();
    InstallerProcess(const InstallerProcess&) = delete;
    InstallerProcess& operator=(const InstallerProcess&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const;
    bool WaitForExit(std::chrono::milliseconds Timeout);
    DWORD ExitCode() const;

    // The process's top-level window of this class (visible or not), or nullptr.
    HWND FindWindowOfClass(const char* ClassName, bool VisibleOnly = true) const;
    HWND WaitForWindow(const char* ClassName, std::chrono::milliseconds Timeout) const;
    // A message box (#32770 dialog) of the process, and its text.
    HWND FindMessageBox() const;
    static std::string MessageBoxText(HWND Box);
    static void PressMessageBoxButton(HWND Box, int Id);

private:
    PROCESS_INFORMATION info_ = {};
};

// Answers the next message box of this process that has the given caption, from another
// thread, the way a user would; Text is what the box said (empty when none came).
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer(const std::string& Caption, int Button);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    const std::string& Text();

private:
    std::string text_;
    std::thread thread_;
};

// Controls of a form found by the name of their row in the form's description.
HWND FindControl(HWND Form, const FormDesc& Layout, const char* Name);
bool IsVisible(HWND Window);
bool IsEnabled(HWND Window);

// A click as the user makes it: the button's own mouse handling, posted, so that a modal box
// that the click opens does not block the caller. Only for enabled buttons (Wine would let a
// click through to a disabled one, which no user can do).
bool ClickButton(HWND Button);
// Selects a radio button or toggles a check box by a click.
bool ClickCheck(HWND Button);
bool IsChecked(HWND Button);

// Keys posted to the control that has the focus in the form's thread.
void PressKey(HWND Form, WPARAM Key);
void PressAltKey(HWND Form, char Letter);
HWND FocusedControl(HWND Form);

// Waits until the thread of Edit (an edit or rich-text box of the form) has handled every
// message posted to it before this call: a selection posted to Edit after them shows up (or
// Edit is gone, destroyed by what was posted).
// Tests that check that posted clicks or keys changed nothing wait on this, not on a time.
bool WaitForPostedMessages(HWND Edit, std::chrono::milliseconds Timeout = std::chrono::seconds(10));

// The selected tab of the page control (TCM_GETCURSEL), and a click at a point of it.
int SelectedTab(HWND TabControl);
void ClickAt(HWND Window, int X, int Y);
