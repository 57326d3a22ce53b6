// The earlier installation that an upgrade replaces: kept before its own uninstaller runs, put
// back when the new version cannot be installed, dropped once the new version stands. Its
// journal and kept copy lie in a folder of the installer's own that only SYSTEM and
// Administrators can change, and a RunOnce entry runs a copy of the installer kept beside them
// at the next start of Windows, which finishes a run that was cut off.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "InstallSink.h"
#include "UpgradeJournal.h"

// The switch with which the RunOnce entry starts the kept copy of the installer.
extern const char* const FinishSwitch; // "/finish"

class EarlierVersion {
public:
    // Keeps what it takes to put the installation in Folder (as recorded, ending with a
    // backslash) back: its files, records, shortcuts and service. Nothing, said in the log,
    // when there is no private place for it; the caller must then leave the earlier version be.
    static std::optional<EarlierVersion> Keep(const std::string& Folder, InstallSink& Sink);

    // The kept earlier version of a run that was cut off, when its journal can be trusted.
    static std::optional<EarlierVersion> Interrupted();

    // The new version is about to be placed into Folder: what it places is noted first, so that
    // it can be taken away again.
    void NewVersionGoesTo(const std::string& Folder, const std::vector<std::string>& Files);

    // The new version stands: the kept copy, the journal and the RunOnce entry go.
    void Drop();

    // Takes away what the new version placed and recorded, and puts the earlier version back as
    // it was, its service started when it ran. A service under a named account gets Password
    // when Account names that account (the run's own answers), none otherwise. The log says
    // what was done; false when something could not be put back. The journal goes only when
    // everything was put back.
    bool PutBack(InstallSink& Sink, const std::string& Account = std::string(),
                 const std::string& Password = std::string());

    // Finishes a run that was cut off: the earlier version put back, or only the kept copy
    // dropped when the new version had reached its end.
    void Finish(InstallSink& Sink);

    const UpgradeJournal& Journal() const { return journal_; }

private:
    explicit EarlierVersion(UpgradeJournal Journal) : journal_(std::move(Journal)) {}
    bool Save() const;

    UpgradeJournal journal_;
};
