// The autostart entries that SetAutostart writes, below a root key that the caller names.
#pragma once

#include <windows.h>

#include <string>

// Writes the value ValueName of the key KeyPath below Root, creating the key when it is missing:
// ProgramPath, in double quotes when it holds a blank, followed by one blank and Parameters
// when there are any. False when the key cannot be opened or created; raises
// EBriError("Failed to set data for '<ValueName>'") when the value cannot be written.
bool WriteAutostartValue(HKEY Root, const std::string& KeyPath, const std::string& ValueName,
                         const std::string& ProgramPath, const std::string& Parameters);
