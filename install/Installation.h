// The installation sequence: the service library loaded (service type), every file of the
// manifest placed from the product's source, then the post-install steps (product records,
// service or autostart, uninstall entry, Start-menu shortcuts, the program started), and the
// library freed. A step that fails writes a red log line and the next one runs; only a missing
// manifest, a stop asked for during the copy, damaged product data, or an error that a step
// does not handle ends it early.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "InstallSink.h"
#include "ProductSource.h"
#include "Product.h"
#include "ServiceLibrary.h"
#include "WinHandles.h"

struct AutostartEntry;

// Where the new version of a file in use waits for the next start of Windows: beside it.
std::string StagedName(const std::string& Path); // Path + ".bb7-restart"

// The hives that the records are written to. Tests in the window's own process give keys of
// their own in their place, for instance one that the system refuses to write below.
struct RecordHives {
    HKEY LocalMachine = HKEY_LOCAL_MACHINE;
    HKEY CurrentUser = HKEY_CURRENT_USER;
};

// What the pages (or a settings file) hand on.
struct InstallSettings {
    std::string InstallDir; // as Windows names it, ending with a backslash
    bool CreateIcons = false;
    std::string AccountName;
    std::string AccountPassword;
    uint8_t InstallKind = ikAutoAll; // InstallKindValue
    uint8_t AccountKind = akLocalSystem; // AccountKindValue
    bool Windows95Family = false; // where the program group goes for all users
    // Whether the last step opens the product's window: the application, or the service's user
    // interface. A silent run opens none: under a deployment tool it would run unseen, as SYSTEM
    // in session 0, or elevated in the session of the administrator who ran a package manager.
    // The service of a service installation is started either way.
    bool StartProgramWindow = true;
    RecordHives Hives;
    // An earlier version waits to be put back should this one fail: the post-install steps stop
    // before the shortcuts and the program's start once the new version cannot stand.
    bool EarlierVersionKept = false;
    // An earlier installation whose uninstaller was not run: its service, autostart entries and
    // program groups go first, and this installation's records take their place.
    bool ReplaceEarlierRecords = false;
    // Files of the earlier version that another program held when it was kept (relative to the
    // folder): their new ones always wait for the next start of Windows, so that the earlier
    // file stays whole for a put-back until then.
    std::vector<std::string> ReplaceAtRestart;
    // The files (manifest lines) that the copy must have placed before any record is written;
    // one missing ends the sequence as Incomplete.
    std::vector<std::string> RequiredFiles;
    // The outermost folder that the folder step made above InstallDir, recorded for the
    // uninstaller (FoldersMadeValue); empty when it made none.
    std::string FoldersMade;
};

// How the sequence ended.
enum class InstallOutcome {
    Completed,  // every step ran, whatever it reported
    Stopped,    // a missing manifest, or a stop asked for during the copy
    Damaged,    // the product's data failed their checks during the copy (Failure() of the source)
    Incomplete, // a required file was not placed (RequiredFiles): no record was written
    NoRoom,     // the drive filled up during the copy
};

// The product's service library and its three entry points, each of which may be missing.
struct TServiceLib {
    ModuleHandle Module;
    TAddLogonAsAService AddLogonAsAService = nullptr;
    TInstallAService InstallAService = nullptr;
    TStartAService StartAService = nullptr;
};

// What the copy put in place, so that a run that cannot go on takes it away again.
struct PlacedFiles {
    std::vector<std::string> Files;
    // Files in use by another program: the new one was written beside each (StagedName) and
    // Windows puts it in place at its next start, with the digest of what was written.
    struct StagedFile {
        std::string Path;
        Sha256Digest Digest;
    };
    std::vector<StagedFile> Staged;
    // Each folder the copy made: the folder a line needed, and the outermost one made for it.
    struct MadeFolder {
        std::string Folder;
        std::string Outermost;
    };
    std::vector<MadeFolder> Folders;
};

class TInstallation {
public:
    TInstallation(InstallSettings Settings, ProductSource& Source, InstallSink& Sink);

    // The whole sequence. Errors that a step does not handle pass on to the caller.
    InstallOutcome Install();

    // The steps, in the order Install runs them.
    void RemoveEarlierRecords();
    void LoadServiceLibrary(const std::string& Folder);
    InstallOutcome CopyFiles();
    void PostInstall();
    void WriteSettings();
    void RegisterService();
    void WriteAutostart();
    void WriteUninstallEntry();
    std::string GetProgramsFolder();
    void CreateStartMenuIcons();
    void StartProgram();
    void FreeServiceLibrary();

    // Deletes the files the copy wrote and the folders it made (those left empty).
    void RemovePlaced();
    // True when the copy placed the file of each of these manifest lines.
    bool PlacedEvery(const std::vector<std::string>& Lines) const;

    // The new version stands: every file placed (or waiting for the next start of Windows), its
    // records written, and its service registered (service type). A run that got here with red
    // lines elsewhere keeps the new version all the same.
    bool NewVersionStands() const
    {
        return CopyComplete && RecordsWritten && (settings_.InstallKind != ikService || ServiceRegistered);
    }
    bool CopyComplete = true;
    bool RecordsWritten = false;
    bool ServiceRegistered = false;

    const InstallSettings& Settings() const { return settings_; }
    int32_t CopyCount = 0;
    int32_t EntryCount = 0;
    TServiceLib ServiceLib;
    PlacedFiles Placed;

private:
    void Log(const std::string& Text, bool Error = false) { sink_.Log(Text, Error); }
    // What ends the copy: the product's data found damaged, or the drive full.
    enum class LineCopy { Next, Damaged, NoRoom };
    LineCopy CopyManifestLine(const std::string& Line);
    void WriteAutostartEntry(const AutostartEntry& Entry);

    InstallSettings settings_;
    ProductSource& source_;
    InstallSink& sink_;
};
