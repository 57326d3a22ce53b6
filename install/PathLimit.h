// How deep a folder may be for the product's files. The copy, the records and the product's
// uninstaller name files through the system's ANSI calls, which take no path of MAX_PATH (260)
// characters or more with its closing NUL, and CreateDirectoryA no folder longer than
// MAX_PATH - 12 (room for an 8.3 name below it). In a folder too deep for them, the short names
// fit and the long ones fail: "...\BriBU.exe" is copied, "...\Help\index.htm" is not.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

inline constexpr size_t AnsiPathLimit = 260;                  // MAX_PATH, the closing NUL included
inline constexpr size_t AnsiFolderLimit = AnsiPathLimit - 12; // CreateDirectoryA

// True when every file and folder that the manifest's Lines put into Folder (a full path) stays
// within those limits. Lines that name no place inside the folder are left to the copy, which
// refuses them.
bool ManifestFitsIn(const std::string& Folder, const std::vector<std::string>& Lines);
