// The small window of the product's desktop programs: it says which program runs, from which
// folder and how it was started, and ends the program when it is closed.
#pragma once

#include <windows.h>

#include <string>

// Registers ClassName, shows a window with Title as caption and Text inside it and runs the
// message loop until the window is closed; returns the program's exit code.
int RunProductWindow(HINSTANCE Instance, const char* ClassName, const std::string& Title, const std::string& Text);

// The running program's file path and its command line as the system passed it.
std::string ProgramPath();
std::string CommandLineText();
// True when one of the program's arguments is exactly Switch.
bool HasSwitch(const char* Switch);
