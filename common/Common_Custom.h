// The folder-browse dialog and the folder tests shared by the setup's windows.
#pragma once

#include <windows.h>

#include <string>

// Shows the system's folder-browse dialog (file-system folders only) with Title above the
// tree, rooted at Root (the desktop when Root is empty) and opening on FolderPath when that
// names an existing folder. FolderPath is cleared first when it names no existing folder.
// True when the user chose a folder; FolderPath then holds its path (a drive root keeps its
// backslash, other folders get none).
// Owner is the window that owns the dialog; nullptr takes the calling thread's active window.
// While the dialog shows, every other visible window of the calling thread is disabled.
bool SelectFolder(const std::string& Title, const std::wstring& Root, std::string& FolderPath, HWND Owner = nullptr);

// True when Path names an existing folder.
bool FolderExists(const std::string& Path);

// Creates the folder Path and every missing folder above it, outermost first. True when the
// folder exists at the end; a failure keeps the folders created so far.
// Throws EInOutError(3, "Unable to create directory") for an empty path.
bool CreateFolderPath(const std::string& Path);
// The same; Outermost receives the outermost folder that it made (empty when every folder
// existed), so that a run that cannot go on takes away what it made.
bool CreateFolderPath(const std::string& Path, std::string& Outermost);

