// What an installation folder that exists already may hold when the installer takes it as its
// own. Anybody may make a folder in a drive's root: one made beforehand by an ordinary user
// could hold a library that the product's service, running as LocalSystem, would load from
// its own folder ("version.dll" beside "BriService.exe"), or a link through which the elevated
// copy would write wherever the link leads.
#pragma once

#include <string>
#include <vector>

// An entry found below the folder.
struct FoundEntry {
    std::string Path; // relative to the folder: "Help\index.htm"
    bool Folder = false;
    // A junction, symbolic link or other reparse point, or a file that has another name
    // elsewhere (a hard link, whose content and permissions that name shares).
    bool Link = false;
};

enum class FoundFolderKind {
    Foreign,             // made beforehand by somebody: not the earlier installation's folder
    EarlierInstallation, // the earlier installation's recorded folder, with what its uninstaller kept
};

enum class FoundEntryVerdict {
    Keep,           // stays, and becomes the installer's own with the folder (data, documents)
    Replace,        // a file of a name the installation writes: it goes, the installation writes its own
    Link,           // refuses the folder
    ForeignProgram, // refuses the folder: code of somebody else's that the product could run or load
};

// True for a name that Windows runs or loads as code, or that changes which libraries a
// program loads: programs, libraries, drivers, control-panel items, scripts, installer
// packages, and the ".local" and ".manifest" files or folders beside a program.
bool IsProgramOrLibrary(const std::string& Path);

// The verdict on one entry of a folder of that kind, for an installation from Manifest (its
// lines: the files the installation writes). A foreign folder may hold anything but links and
// code of its own; the earlier installation's folder may keep code its uninstaller left (a
// user's plug-ins), but no link either.
FoundEntryVerdict JudgeFoundEntry(const FoundEntry& Entry, FoundFolderKind Kind,
                                  const std::vector<std::string>& Manifest);

// The message that refuses an existing folder for an entry of that verdict; Keep stands for a
// folder or file in it that could not be looked at or taken.
std::string FoundFolderRefusal(const std::string& Folder, FoundEntryVerdict Verdict);
