// Paths as Windows gives them, in UTF-16, where the installer must not take a look-alike: its
// own file (GetModuleFileNameW, no MAX_PATH limit), the settings file beside it, and the paths
// that the log file is compared with. The rest of the installer works in the ANSI code page,
// which the command line's paths are refused for when it cannot represent them.
#pragma once

#include <memory>
#include <string>

#include "AutoSettings.h"
#include "OwnProgram_win.h"

// The program's folder with a trailing backslash, as Windows names it (OwnProgramPath):
// "C:\Kit-Āpps\" stays that, never "C:\Kit-Apps\".
std::wstring ProgramFolderWide();

// The settings file beside the program: Bb7Auto.txt in its folder.
std::wstring SettingsFileBesideProgram();

// A path of the ANSI code page (a switch's value) in UTF-16, and back for a log line, where
// what the code page lacks reads as "?".
std::wstring WidePath(const std::string& Ansi);
std::string PathForLog(const std::wstring& Path);
// The path in the ANSI code page; empty when the code page cannot represent it exactly.
std::string ExactAnsiPath(const std::wstring& Path);

// The full path (GetFullPathNameW); ExtendedLengthPath gives its form for the calls beyond MAX_PATH.
std::wstring FullWidePath(const std::wstring& Path);

// A file, not a folder, stands at Path.
bool FileExistsWide(const std::wstring& Path);

// The settings file at Path, read through its UTF-16 path (beyond MAX_PATH too); null when no
// file stands there. Throws EInOutError when one does but cannot be read, and what TAuto throws.
std::unique_ptr<TAuto> ReadSettingsFile(const std::wstring& Path);

// Whether A and B name one file: the same full path in any letter case, or, when both exist,
// the same file by two names (a short name "BB7AUT~1.TXT", a hard link).
bool SameFile(const std::wstring& A, const std::wstring& B);
