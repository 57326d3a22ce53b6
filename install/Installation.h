// The installation sequence: the service library loaded (service type), every file of the
// manifest copied, then the post-install steps (product records, service or autostart,
// uninstall entry, Start-menu shortcuts, the program started), and the library freed. A step
// that fails writes a red log line and the next one runs; only a missing manifest, a stop
// asked for during the copy, or an error that a step does not handle ends it early.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "InstallSink.h"
#include "ServiceLibrary.h"
#include "Sha256.h"
#include "WinHandles.h"

struct AutostartEntry;

// The hives that the records are written to. Tests in the window's own process give keys of
// their own in their place, for instance one that the system refuses to write below.
struct RecordHives {
    HKEY LocalMachine = HKEY_LOCAL_MACHINE;
    HKEY CurrentUser = HKEY_CURRENT_USER;
};

// What the wizard's pages hand on.
struct InstallSettings {
    // The folder the product's files are read from, ending with a backslash: the unpacked
    // product, or the installation folder itself when PlaceFiles puts them there.
    std::string SourceDir;
    std::string InstallDir; // ending with a backslash
    bool CreateIcons = false;
    std::string AccountName;
    std::string AccountPassword;
    uint8_t InstallKind = 0;
    uint8_t AccountKind = 0;
    bool Windows95Family = false; // where the program group goes for all users
    // The digest the unpacker took of a file it wrote, or nullptr: the service library is
    // loaded only while it still has the content that was unpacked.
    std::function<const Sha256Digest*(const std::string& Path)> UnpackedDigest;
    RecordHives Hives;
    // Set when the files come straight from the payload instead of a copy from SourceDir: puts
    // the manifest's files into InstallDir; false when the sequence must end. The service
    // library is then loaded after it, from the files it put in place.
    std::function<bool(InstallSink& Sink)> PlaceFiles;
    // An earlier installation whose uninstaller was not run: its service, autostart entries and
    // program groups go first, and this installation's records take their place.
    bool ReplaceEarlierRecords = false;
};

// The product's service library and its three entry points, each of which may be missing.
struct TServiceLib {
    ModuleHandle Module;
    TAddLogonAsAService AddLogonAsAService = nullptr;
    TInstallAService InstallAService = nullptr;
    TStartAService StartAService = nullptr;
};

class TInstallation {
public:
    TInstallation(InstallSettings Settings, InstallSink& Sink);

    // The whole sequence. False when it ended early (missing manifest, a stop during the
    // copy); errors that a step does not handle pass on to the caller.
    bool Install();

    // The steps, in the order Install runs them.
    void RemoveEarlierRecords();
    void LoadServiceLibrary();
    bool CopyFiles(); // false when the sequence must end
    void PostInstall();
    void WriteSettings();
    void RegisterService();
    void WriteAutostart();
    void WriteUninstallEntry();
    std::string GetProgramsFolder();
    void CreateStartMenuIcons();
    void StartProgram();
    void FreeServiceLibrary();

    const InstallSettings& Settings() const { return settings_; }
    int32_t CopyCount = 0;
    int32_t EntryCount = 0;
    TServiceLib ServiceLib;

private:
    void Log(const std::string& Text, bool Error = false) { sink_.Log(Text, Error); }
    void CopyManifestLine(const std::string& Line);
    void WriteAutostartEntry(const AutostartEntry& Entry);

    InstallSettings settings_;
    InstallSink& sink_;
};
