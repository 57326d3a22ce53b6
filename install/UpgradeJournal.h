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

enum class UpgradeState {
    Keeping,    // the earlier version is being kept; nothing of it has changed yet
    Kept,       // kept whole: its uninstaller may have run
    Installing, // the new version is being placed and recorded
    Installed,  // the new version stands: only the kept copy is left to drop
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

// A shortcut of the earlier version's program group.
struct KeptShortcut {
    int Place = 0;    // where the group was: 0 to ProgramGroupPlaceCount - 1 (ProgramGroup_win.h)
    std::string File; // one of the group's shortcut names (Product.h)
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
    std::string OldFolder;              // as recorded, ending with a backslash
    std::vector<std::string> OldFiles;  // relative to OldFolder, each kept
    std::vector<KeptShortcut> Shortcuts;
    std::vector<KeptValue> Values;
    std::optional<KeptService> Service;
    std::string NewFolder;             // ending with a backslash; empty until the new version is placed
    std::vector<std::string> NewFiles; // relative to NewFolder: what the new version places
};

std::string JournalText(const UpgradeJournal& Journal);

// The journal that Text holds, or nothing when it is none of ours or names anything that an
// upgrade of this product never touches: a value outside the product's keys, a file outside
// its folder, a shortcut of another name, a folder that is no full path.
std::optional<UpgradeJournal> ReadJournal(const std::string& Text);
