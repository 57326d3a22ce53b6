// What the uninstaller removes, worked out from portable rules: the files and folders that the
// manifest beside it names (each line read by the installer's own rule, Manifest.h), its
// command-line switches, and whether the registry records belong to the installation it stands
// in. No Windows calls here.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct TRemovalPlan {
    // Installed files relative to the installation folder, each once, in manifest order,
    // without the manifest and without the running uninstaller, which cannot delete its own file.
    std::vector<std::string> Files;
    // Whether the manifest names itself: it is removed last, and only when every other file is
    // gone, so that a run that could not finish can be repeated.
    bool ListsManifest = false;
    // The folders that hold those files (relative, without a trailing backslash), deepest first.
    std::vector<std::string> Folders;
    // Lines that name no file inside the installation folder (ManifestLineStaysInside, and a
    // blank line or a folder alone): no file is removed for them.
    std::vector<std::string> Refused;
};

// Uninstaller and Manifest are the bare file names of the uninstaller and of the manifest.
TRemovalPlan PlanRemoval(const std::vector<std::string>& Lines, const std::string& Uninstaller,
                         const std::string& Manifest);

// The switches: none asks before removing anything and reports at the end; "-nowarning" only
// reports; "-nowarningclose" does neither. Letter case does not matter. Anything else makes the
// command line invalid.
struct TUninstallOptions {
    bool Confirm = true;
    bool Report = true;
    bool Valid = true;
};
TUninstallOptions ParseUninstallArguments(const std::vector<std::string>& Arguments);

// A folder may be written with or without its trailing backslash (SameFileName: BriCommon.h).
bool SameFolder(const std::string& A, const std::string& B);

// True when the relative path Path is Folder itself or lies below it (letter case aside).
bool LiesWithin(const std::string& Path, const std::string& Folder);

// The registry records (product and uninstall keys, Run entries, program group, service) are
// this installation's when the recorded "Path" is missing or names the uninstaller's folder. A
// "Path" that names another folder belongs to another installation, whose records stay.
bool RecordsBelongTo(const std::optional<std::string>& RecordedPath, const std::string& OwnFolder);
