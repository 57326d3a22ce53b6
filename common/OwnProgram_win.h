// The running program's own file as Windows names it, in UTF-16 (GetModuleFileNameW). Its ANSI
// form (GetModuleFileNameA) writes what the code page lacks as a look-alike, which names
// another file, somebody else's perhaps ("C:\Kit-Apps\Bb7Setup.exe" for
// "C:\Kit-Āpps\Bb7Setup.exe"), and stops at MAX_PATH.
#pragma once

#include <string>

std::wstring OwnProgramPath();

// The form of a full path that the file calls take beyond MAX_PATH: "\\?\C:\...", or
// "\\?\UNC\server\share\..." for a share; a shorter path stays as it is.
std::wstring ExtendedLengthPath(const std::wstring& FullPath);
