// Whether the earlier installation's uninstaller may be started: the installer runs elevated,
// as SYSTEM under a deployment tool, and so would the program at the recorded path. It runs
// only a plain file that nobody but the administrators can change, in a folder that nobody
// else can change (where a library of a system library's name would be loaded with it), and,
// when this installer is signed, one signed by the same certificate.
#pragma once

#include <string>

// True when, by an owner and DACL in their text form ("O:BAD:P(A;OICI;FA;;;SY)..."), nobody but
// SYSTEM, the Administrators, the system's TrustedInstaller and the account TrustedUser may
// change the object: write or delete it, add or delete what is in it, or change its permissions
// or owner (its owner always may). TrustedUser is the administrator who runs the installer, whose
// own files they may be ("S-1-5-21-..."); empty: nobody else. A DACL that is missing or null, an
// ACE of a kind or a right not known here, count as letting everybody change it.
bool OnlyAdministratorsMayChange(const std::string& Sddl, const std::string& TrustedUser);

// What the installer found of the earlier uninstaller, its folder included.
struct UninstallerFacts {
    std::string Program;              // its path, for the log
    bool Checked = true;              // false: the folder or the file could not be opened and looked at
    bool FolderIsLink = false;        // the folder, or a folder above it, is a link
    bool ProgramIsLink = false;       // the file is a link or has other names (hard links)
    bool FolderProtected = false;     // OnlyAdministratorsMayChange of the folder
    bool ProgramProtected = false;    // and of the file
    bool SignatureRequired = false;   // this installer is signed
    bool SignedLikeInstaller = false; // an intact signature by this installer's certificate
};

// Empty when the uninstaller may run; otherwise the log line that says why it is not run and
// what happens instead.
std::string UninstallerRefusal(const UninstallerFacts& Facts);
