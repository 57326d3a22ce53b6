// The deletions and replacements that Windows carries out at its next start, before any program
// runs (MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT, kept in the Session Manager's
// PendingFileRenameOperations). A file that another program holds open is replaced that way; and
// an earlier version's uninstaller that could not move its own running file away (the temporary
// folder on another drive) asks for it and its folder to be deleted that way, which would delete
// the new version's uninstaller of the same name at the restart.
#pragma once

#include <string>
#include <vector>

// One operation: its source and its target as the system keeps them ("\??\C:\..."); an empty
// target deletes the source.
struct PendingRename {
    std::wstring Source;
    std::wstring Target;
    bool operator==(const PendingRename& Other) const { return Source == Other.Source && Target == Other.Target; }
};

std::vector<PendingRename> PendingRenames();

// Drops the operations that are not in Before and whose source is Folder or lies within it
// (Folder as Windows names it). Returns how many went.
size_t DropNewPendingRenamesWithin(const std::vector<PendingRename>& Before, const std::string& Folder);

// Drops the operations whose target (or, for a deletion, whose source) is File.
void DropPendingRenamesOf(const std::string& File);

// True while Windows is still to carry out an operation of Source at its next start.
bool IsPendingRename(const std::string& Source);

// Has Windows move Staged over Target at its next start. False when the system refuses.
bool ReplaceAtRestart(const std::string& Staged, const std::string& Target);
