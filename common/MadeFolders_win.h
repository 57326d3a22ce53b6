// The folders that an installation made for its folder and above it ("C:\My Apps (x86)" for
// "C:\My Apps (x86)\B7"): the installer records the outermost one with the product's records,
// and whoever takes the installation away (the product's uninstaller, a run that installs
// nothing, an upgrade that moved elsewhere) removes them again, each only while it is empty.
#pragma once

#include <string>

#include "FolderHandles_win.h"

// Removes Folder when it is empty, through a handle that refuses a link on every level of its
// path; when Identity is given, only while Folder is still that very folder. True when it is
// gone (also when it was not there).
bool RemoveEmptyFolder(const std::string& Folder, const FolderIdentity* Identity = nullptr);

// Removes the levels from Innermost up to Outermost, both included, each while it is empty, and
// stops at the first that stays. Nothing when Outermost is not Innermost or a folder above it.
void RemoveEmptyFoldersUpTo(const std::string& Innermost, const std::string& Outermost);

// The folder above Folder ("C:\My Apps (x86)" for "C:\My Apps (x86)\B7\"); empty for a root.
std::string FolderAbove(const std::string& Folder);
