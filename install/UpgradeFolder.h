// Where an upgrade keeps its journal, the earlier version's copy and a copy of the installer
// that finishes a cut-off run: a private folder (PrivateFolder.h) below the common application
// data folder, which ordinary users may not change.
#pragma once

#include <optional>
#include <string>

#include "UpgradeJournal.h"

// "<common application data>\Brisel Backup 7 Setup\"; empty when the system names no such folder.
std::string UpgradeFolder();

// Below the upgrade folder: the earlier version's files, and its shortcuts by place.
extern const char* const KeptFilesFolder;     // "Kept\Files\"
extern const char* const KeptShortcutsFolder; // "Kept\Shortcuts\"

// Makes the upgrade folder private: made now, private already, or taken over and emptied.
// Fresh: what an earlier run left in it goes first. False when it cannot be made private.
bool OpenUpgradeFolder(bool Fresh);

// Writes the journal anew, whole or not at all: a new file, flushed, then renamed over the old.
bool WriteUpgradeJournal(const UpgradeJournal& Journal);

// The journal of a run that was cut off: only from a folder that was private already, and only
// a journal that names nothing outside what an upgrade of the product touches.
std::optional<UpgradeJournal> ReadUpgradeJournal();

// Copies the running installer into the upgrade folder and has Windows start that copy with
// FinishSwitch at its next start (a RunOnce entry), so that a run cut off is finished then.
bool RegisterFinishAtStart();

// The journal, the kept copy and the RunOnce entry go; the installer's copy too, or at the next
// start of Windows when it is the program running now.
void RemoveUpgradeFolder();
