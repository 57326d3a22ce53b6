// The three kinds of message box of the program, all modal and centred on the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Caption: the application title; no icon; one OK button.
void InformationBox(const std::string& Text);

// Caption "Warning", warning icon, the buttons given (MB_OKCANCEL...). Returns IDOK...
int WarningBox(const std::string& Text, UINT Buttons);

// Caption "Confirm", question icon, the buttons given. Returns IDOK, IDCANCEL, IDABORT...
int ConfirmationBox(const std::string& Text, UINT Buttons);

// Caption: the application title; error icon; one OK button.
void ErrorBox(const std::string& Text);

// Told of every box of the program: once as it is shown (Answer 0), once answered.
using MessageBoxWatcher = std::function<void(const std::string& Caption, const std::string& Text, int Answer)>;
void SetMessageBoxWatcher(MessageBoxWatcher Watcher);

// MessageBoxA owned by the active window of this thread, moved to the centre of the screen.
int CentredMessageBox(const std::string& Text, const std::string& Caption, UINT Flags);
