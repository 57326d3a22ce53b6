// The application object: its title, the message loop, and the default handling of an
// error that an event handler does not handle.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

class Form;

namespace Application {

void Initialize(HINSTANCE Instance);
HINSTANCE Instance();

const std::string& Title();
void SetTitle(const std::string& Title);

// Shows the main form and runs the message loop until it has closed or Terminate was called.
void Run(Form& MainForm);
bool IsMainForm(const Form* Candidate);
void Terminate();
bool Terminated();

// The hourglass over every window of the program while the program works.
void SetBusy(bool Busy);
bool Busy();

// Handles the window messages that are waiting, then returns; long work on the GUI thread
// calls it so that windows repaint and buttons respond.
void ProcessMessages();

// Gets and dispatches one message, with the keyboard handling of forms (Tab, Enter, Escape).
// False once WM_QUIT has arrived.
bool HandleOneMessage(bool Wait);

// The default error box: the error's text, with a full stop appended when its last character
// sorts after ".", under the application title, with an error icon and one OK button.
void ShowException(const std::exception& Error);
std::string ErrorBoxText(const std::string& Message);

} // namespace Application
