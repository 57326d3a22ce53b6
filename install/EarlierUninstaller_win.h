// The earlier installation's uninstaller as the installer finds it, looked at through handles
// and held by them: while this object holds it, neither the file nor its folder can be
// renamed, replaced or written, so that the program started is the program judged.
#pragma once

#include <string>

#include "UninstallerTrust.h"
#include "WinHandles.h"

class HeldUninstaller {
public:
    // Looks at Program ("C:\Old\bb7uninstall.exe") in Folder, its folder.
    HeldUninstaller(const std::string& Folder, const std::string& Program);

    // The folder or the file is not there: starting it fails as it always did.
    bool Missing() const { return missing_; }
    const UninstallerFacts& Facts() const { return facts_; }
    // Lets go of the file and its folder, once its process has started: the uninstaller
    // deletes both at its end.
    void Release();

private:
    bool missing_ = false;
    UninstallerFacts facts_;
    FileHandle folder_, program_;
};
