// The journal of an upgrade: what the earlier version was (its files, records, shortcuts and
// service, kept so that it can be put back) and how far the run has come. It is written before
// each step that changes the machine, so that a run cut off at any moment (a power cut, a
// deployment tool's time limit) is finished at the next start of Windows or of the installer:
// the earlier version put back, or the kept copy dropped once the new one stood. This is its
// content and its text; where it lies and what acts on it are the _win files beside.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Sha256.h"

enum class UpgradeState {
    Keeping,    // the earlier version is being kept; nothing of it has changed yet
    Kept,       // kept whole: its uninstaller may have run
    Installing, // the new version is being placed and recorded
    Installed,  // the new version stands: only the kept copy is left to drop
    Restarting, // the new version stands but for files in use, which Windows replaces at its next start
};

// A registry value of the earlier version's records.
struct KeptValue {
    bool CurrentUser = false; // HKEY_CURRENT_USER; otherwise HKEY_LOCAL_MACHINE
    std::string Key;          // one of the product's keys (Product.h)
    std::string Name;
    bool IsNumber = false; // REG_DWORD Number; otherwise REG_SZ Text
    std::string Text;
    uint32_t Number = 0;
};

// A file of the earlier version, with the digest of its content when it was kept: a kept copy
// that no longer has it is not put back.
struct KeptFile {
    std::string Path; // relative to the earlier installation's folder
    Sha256Digest Digest = {};
    bool operator==(const KeptFile& Other) const { return Path == Other.Path && Digest == Other.Digest; }
};

// A shortcut of the earlier version's program group.
struct KeptShortcut {
    int Place = 0;    // where the group was: 0 to ProgramGroupPlaceCount - 1 (ProgramGroup_win.h)
    std::string File; // one of the group's shortcut names (Product.h)
    Sha256Digest Digest = {};
};

// The earlier version's service as the service control manager held it.
struct KeptService {
    std::string Program; // its command line
    std::string Account; // empty: LocalSystem
    std::string DisplayName;
    uint32_t StartType = 0;
    bool Running = false;
};

struct UpgradeJournal {
    UpgradeState State = UpgradeState::Keeping;
    std::string OldFolder;           // as recorded, ending with a backslash
    // While it is kept: the earlier version's files that are being moved into the store, which a
    // run cut off then moves back. Emptied once everything is kept.
    std::vector<std::string> Moving;
    std::vector<KeptFile> OldFiles;  // each kept
    std::vector<KeptShortcut> Shortcuts;
    std::vector<KeptValue> Values;
    std::optional<KeptService> Service;
    // Files of the earlier version that another program held open while it was kept: neither
    // kept nor removed by the installer, they stay where they are until their holder lets go.
    std::vector<std::string> HeldFiles;
    std::string NewFolder;             // ending with a backslash; empty until the new version is placed
    std::vector<std::string> NewFiles; // relative to NewFolder: what the new version places
    // Files of the new version written beside one in use, which Windows puts in its place at its
    // next start: the digest of the content each must have then.
    std::vector<KeptFile> StagedFiles;
};

std::string JournalText(const UpgradeJournal& Journal);

// The journal that Text holds, or nothing when it is none of ours, is damaged (a number out of
// range, a digest that is no digest) or names anything that an upgrade of this product never
// touches: a value outside the product's keys, a file outside its folder, a shortcut of another
// name, a folder that is no full path.
std::optional<UpgradeJournal> ReadJournal(const std::string& Text);

// Why the journal does not belong to the upgrade that the installer recorded where only
// administrators may write (the earlier installation's folder when it was kept, the new
// installation's folder once it was chosen; empty when not yet); empty when it does. A journal
// that names any other folder is set aside, never acted on.
std::string JournalDisagreement(const UpgradeJournal& Journal, const std::string& RecordedEarlier,
                                const std::string& RecordedNew);
