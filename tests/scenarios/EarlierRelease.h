// An earlier release of the product (a changed file, a file more) that a copy of the installer
// carries, and which version of the product stands in a folder: the upgrade scenarios share them.
#pragma once

#include <string>

#include "InstallerPayload.h"
#include "ProductTestSupport.h"
#include "WinTestSupport.h"

namespace wizardtest {

// A copy of the installer Exe in Folder (made here) that carries the earlier release.
inline bool MakeEarlierInstaller(const std::string& Exe, const std::string& Folder)
{
    return CreateDirectoryA(Folder.c_str(), nullptr) &&
           CopyFileA(Exe.c_str(), (Folder + "Bb7Setup.exe").c_str(), FALSE) &&
           ReplaceInstallerPayload(Folder + "Bb7Setup.exe", ReadWholeFile(BB7_EARLIER_PAYLOAD));
}

inline std::string FirstLine(const std::string& Text)
{
    return Text.substr(0, Text.find_first_of("\r\n"));
}

// Which version stands in InstallDir ("old", "new" or "broken", the first line) and what each
// one lacks, once what the last run started has settled; Output is a file of the test's own.
inline std::string WhichVersionStands(const std::string& InstallDir, const std::string& Output)
{
    // The folder without its last backslash, which would escape the closing quote.
    const std::string folder = InstallDir.substr(0, InstallDir.size() - 1);
    StartedProgram checker("\"" + OwnFolder() + "bb7installed.exe\" --settle 30 --account LocalSystem \"" + folder +
                               "\" \"old=" BB7_EARLIER_DISTRO "\" \"new=" BB7_STAGED_DISTRO_DIR "\"",
                           Output);
    checker.WaitForExit(60000);
    return ReadWholeFile(Output);
}

} // namespace wizardtest
