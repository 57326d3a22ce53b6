// Where an upgrade keeps its journal, the earlier version's copy and a copy of the installer that
// finishes a cut-off run: a folder made anew for every upgrade below the common application data
// folder, under a name nobody can make first, private from the moment it is created, and used
// only through handles relative to it. Its name, and the earlier and the new installation's
// folders with their identities, are recorded where only administrators may write
// (SetupKeyPath); whatever stands at any other name in the common application data folder (a
// folder, a file, a link that somebody made) is neither read nor emptied nor in the way.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "FolderHandles_win.h"
#include "Sha256.h"
#include "WinHandles.h"

// Owner Administrators; full control for SYSTEM and the Administrators, passed on to everything
// below; nothing inherited and nothing for anybody else.
extern const char* const PrivateStoreSddl;

// Below the store: the earlier version's files, and its shortcuts by place.
extern const char* const KeptFilesFolder;     // "Kept\Files\"
extern const char* const KeptShortcutsFolder; // "Kept\Shortcuts\"

// What the installer recorded of the upgrade in progress.
struct StoreRecord {
    std::string Store;         // the store's name in the common application data folder
    std::string EarlierFolder; // the installation's folder when it was kept, as recorded then
    FolderIdentity EarlierIdentity;
    std::string NewFolder; // the new installation's folder; empty until it is chosen
    FolderIdentity NewIdentity;
};

class UpgradeStore {
public:
    UpgradeStore(UpgradeStore&&) = default;
    UpgradeStore& operator=(UpgradeStore&&) = default;

    // A new store for an upgrade of the installation in EarlierFolder: made, held and recorded.
    // Nothing when it cannot be; Failure then says why.
    static std::optional<UpgradeStore> Create(const std::string& EarlierFolder, const FolderIdentity& Earlier,
                                              std::string& Failure);

    // The store of an upgrade that has not ended, as recorded; nothing when none is recorded.
    // One that is recorded but cannot be opened as the installer's own leaves a Failure.
    static std::optional<UpgradeStore> Recorded(std::string& Failure);

    // Forgets a recorded store that could not be opened: its record and the RunOnce entry go.
    static void ForgetRecord();

    const StoreRecord& Record() const { return record_; }
    // The store's path, ending with a backslash, for the log and the RunOnce entry.
    const std::string& Path() const { return path_; }

    // The new installation's folder, once the folder step has made it.
    void RecordNewFolder(const std::string& Folder, const FolderIdentity& Identity);

    // The journal, written anew whole or not at all (a file written aside, then renamed), and read.
    bool WriteJournal(const std::string& Text);
    bool ReadJournal(std::string& Text) const;

    // Keeps the file held by Source as Relative ("Kept\Files\Help\index.htm"), a copy whose
    // digest goes to Digest; and opens a kept file for reading. Kept files reach the disk with
    // the journal that names them next.
    bool Keep(HANDLE Source, const std::string& Relative, Sha256Digest& Digest);
    FileHandle OpenKept(const std::string& Relative) const;
    // Takes the file held by Source (open for reading and with DELETE) into the store as Relative:
    // moved there in one step when it lies on the store's volume, copied otherwise; Digest gets
    // its content's. And opens a kept file to move it back.
    bool Take(HANDLE Source, const std::string& Relative, Sha256Digest& Digest);
    FileHandle OpenKeptForMoving(const std::string& Relative) const;

    // Copies the program that runs now into the store, from its own file (checked to be the
    // image this process runs, and held against changes meanwhile), and has Windows start that
    // copy with FinishSwitch at its next start (a RunOnce entry).
    bool RegisterFinishAtStart();

    // The store goes, everything in it through its handles, with its record and the RunOnce
    // entry; the copy of the installer that runs now goes when Windows starts again.
    void Remove();
    // The store stays as it is, for an administrator to look at; its record and the RunOnce
    // entry go, so that nothing acts on it again.
    void SetAside();

private:
    UpgradeStore() = default;
    // The store's folder Folder ("Kept\Files\Help"), made and opened once.
    HANDLE KeptFolder(const std::string& Folder);

    StoreRecord record_;
    std::string path_;
    FileHandle folder_;
    // The folders that Keep made, by their relative path: each is made and opened once.
    std::map<std::string, FileHandle> keptFolders_;
    bool unflushed_ = false; // kept files written since the journal last reached the disk
};
