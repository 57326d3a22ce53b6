// The folders that the product's uninstaller left behind because they still hold something (the
// user's own files, a program another program kept open): each is noted where only
// administrators may write, so that a later installation may take it as the product's own
// folder instead of one that somebody else made.
#pragma once

#include <string>

// Folder as Windows names it, with or without its final backslash; names are compared without
// regard to letter case.
void RecordKeptFolder(const std::string& Folder);
bool IsKeptFolder(const std::string& Folder);
void ForgetKeptFolder(const std::string& Folder);
