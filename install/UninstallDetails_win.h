// Writes the uninstall entry's values beside "DisplayName" and "UninstallString"
// (UninstallEntry.h) into the open uninstall key.
#pragma once

#include <windows.h>

#include <string>

// The size is that of the files that the installed manifest names in InstallDir; a value that
// cannot be written raises the registry helpers' error, as the entry's first two values do.
void WriteUninstallDetails(HKEY UninstallKey, const std::string& InstallDir);
