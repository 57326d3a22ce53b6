// Window classes of the toolkit's own windows, and their registration.
#pragma once

#include <windows.h>

inline constexpr const char* ContainerClassName = "Bb7Container";     // pages, panels, group boxes
inline constexpr const char* SpeedButtonClassName = "Bb7SpeedButton"; // picture buttons
inline constexpr const char* ProgressBarClassName = "TBriBar";        // the progress bar

// The window property that holds the Form object of a form's top-level window.
inline constexpr const char* FormWindowProperty = "Bb7Form";

// Registers a class of this module once; later calls with the same name do nothing.
// Throws when the system refuses.
void RegisterWindowClass(const char* Name, WNDPROC Proc, UINT Style);
