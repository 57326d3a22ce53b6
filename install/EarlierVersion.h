// The earlier installation that an upgrade replaces: kept before its own uninstaller runs, put
// back when the new version cannot be installed, dropped once the new version stands. Its
// journal and kept copy lie in a store of the installer's own (UpgradeStore_win.h), made anew
// for the upgrade, and a RunOnce entry runs a copy of the installer kept there at the next start
// of Windows, which finishes a run that was cut off.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FolderHandles_win.h"
#include "InstallSink.h"
#include "UpgradeJournal.h"
#include "UpgradeStore_win.h"

// The switch with which the RunOnce entry starts the kept copy of the installer.
extern const char* const FinishSwitch; // "/finish"

class EarlierVersion {
public:
    // Keeps what it takes to put the installation in Folder (as recorded, ending with a
    // backslash) back: its files, read through Held, the folder held open (none when it is no
    // folder of the installer's own: then only its records and service are kept), its records,
    // shortcuts and service. Its files are moved into the store when MoveFiles says that they
    // go from the folder anyway (its uninstaller runs, or the new version takes their place), and
    // copied otherwise. Nothing, said in the log, when there is no store for it; the caller must
    // then leave the earlier version be.
    static std::optional<EarlierVersion> Keep(const std::string& Folder, HANDLE Held, const FolderIdentity& Identity,
                                              bool MoveFiles, InstallSink& Sink);

    // The kept earlier version of a run that was cut off, when its store and journal belong to
    // what the installer recorded. A journal that cannot be read or does not agree is set aside,
    // and the log names it; a store in which nothing was kept yet goes.
    static std::optional<EarlierVersion> Interrupted(InstallSink& Sink);

    // True while an upgrade that has not ended is recorded.
    static bool UnfinishedUpgradeRecorded();

    // The new version is about to be placed into Folder, the folder of that identity: what it
    // places is noted first, so that it can be taken away again.
    void NewVersionGoesTo(const std::string& Folder, const FolderIdentity& Identity,
                          const std::vector<std::string>& Files);

    // The new version stands: the kept copy, the journal and the RunOnce entry go.
    void Drop();

    // The new version stands but for the files in use written beside them, which Windows puts in
    // place at its next start (Staged, relative to Folder, with the digests they must have then):
    // the kept copy stays until then, and the RunOnce entry finishes the upgrade after the start.
    void WaitForRestart(const std::string& Folder, std::vector<KeptFile> Staged);

    // Takes away what the new version placed and recorded, and puts the earlier version back as
    // it was, into its folder made as the installer's own, its service started when it ran. A
    // service under a named account gets Password when Account names that account (the run's
    // own answers), none otherwise. The log says what was done; false when something could not
    // be put back, and the store then stays for another attempt.
    bool PutBack(InstallSink& Sink, const std::string& Account = std::string(),
                 const std::string& Password = std::string());

    // Finishes a run that was cut off: the earlier version put back, or only the kept copy
    // dropped when the new version had reached its end. One that waits for the restart of
    // Windows is left to wait while its files are not replaced yet; once they are, its copy
    // goes, and when the restart did not put them in place the earlier version comes back.
    // False when the upgrade could not be finished.
    bool Finish(InstallSink& Sink);

    const UpgradeJournal& Journal() const { return journal_; }

private:
    EarlierVersion(UpgradeStore Store, UpgradeJournal Journal) : store_(std::move(Store)), journal_(std::move(Journal))
    {
    }
    bool Save();
    bool FinishAfterRestart(InstallSink& Sink);
    // While it is kept: the files moved into the store go back into the earlier folder held by
    // Folder (one that is there already stays). False when one could not.
    bool ReturnMovedFiles(HANDLE Folder);
    // A run cut off while it kept: the moved files go back, its service runs again, the store goes.
    bool FinishKeeping(InstallSink& Sink);

    UpgradeStore store_;
    UpgradeJournal journal_;
};
