// Keeping the earlier version, its journal, and dropping the kept copy.
#include "EarlierVersion.h"

#include <windows.h>

#include <shlobj.h>

#include <set>

#include "BriCommon.h"
#include "Common_Custom.h"
#include "Manifest.h"
#include "PrivateFolder.h"
#include "Product.h"
#include "ProgramGroup_win.h"
#include "Registry.h"
#include "UnpackedFile.h"
#include "UpgradeFolder.h"
#include "WinHandles.h"

const char* const FinishSwitch = "/finish";

namespace {

// The product's records as the earlier version's uninstaller removes them.
struct ProductValues {
    bool CurrentUser;
    const char* Key;
    std::vector<const char*> Names;
};
std::vector<ProductValues> ProductRecords()
{
    return {
        {false, ProductKeyPath, {PathValue, InstallationTypeValue}},
        {false, UninstallKeyPath, std::vector<const char*>(std::begin(UninstallEntryValues), std::end(UninstallEntryValues))},
        {false, RunKeyPath, {ApplicationRunValue, InterfaceRunValue}},
        {true, RunKeyPath, {ApplicationRunValue, InterfaceRunValue}},
    };
}

std::vector<KeptValue> ReadProductValues()
{
    std::vector<KeptValue> values;
    for (const ProductValues& record : ProductRecords()) {
        RegKey key = OpenRegKey(record.CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, record.Key, KEY_READ);
        for (const char* name : record.Names) {
            if (!key)
                break;
            if (auto text = ReadRegString(key.Get(), name))
                values.push_back({record.CurrentUser, record.Key, name, false, *text, 0});
            else if (auto number = ReadRegDword(key.Get(), name))
                values.push_back({record.CurrentUser, record.Key, name, true, std::string(), *number});
        }
    }
    return values;
}

std::optional<KeptService> ReadService()
{
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(manager ? OpenServiceA(manager.Get(), ServiceName, SERVICE_QUERY_CONFIG |
                                                                                 SERVICE_QUERY_STATUS)
                                  : nullptr);
    if (!service)
        return std::nullopt;
    DWORD size = 0;
    QueryServiceConfigA(service.Get(), nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (size == 0 || !QueryServiceConfigA(service.Get(), config, size, &size))
        return std::nullopt;
    KeptService kept;
    kept.Program = config->lpBinaryPathName ? config->lpBinaryPathName : "";
    const std::string account = config->lpServiceStartName ? config->lpServiceStartName : "";
    kept.Account = SameFileName(account, "LocalSystem") ? std::string() : account;
    kept.DisplayName = config->lpDisplayName ? config->lpDisplayName : "";
    kept.StartType = config->dwStartType;
    SERVICE_STATUS status = {};
    kept.Running = QueryServiceStatus(service.Get(), &status) && status.dwCurrentState == SERVICE_RUNNING;
    return kept;
}

// Keeps the file From at To as a copy, read through a handle that opens a link as itself
// (refused) and denies writing while it is read; a program of the earlier version may run
// from it. Never a hard link: that program (its service, started again by Windows after a
// cut) would keep the kept name from being deleted, and a second name of a file in the
// product's folder has the folder judged as holding a link to another place, so that no later
// run could install there. Folders is what was made so far.
bool KeepFile(const std::string& From, const std::string& To, std::set<std::string>& Folders)
{
    FileHandle source = OpenUnchangeable(From);
    if (!source)
        return false;
    const std::string folder = To.substr(0, To.find_last_of('\\'));
    if (!Folders.count(folder) && !CreateFolderPath(folder))
        return false;
    Folders.insert(folder);
    return CopyHeldFile(source.Get(), To);
}

// The earlier installation's files as its uninstaller removes them: what its manifest names,
// the manifest and the uninstaller.
std::vector<std::string> InstalledFilesOf(const std::string& Folder)
{
    std::vector<std::string> lines;
    std::string text;
    FileHandle manifest = OpenUnchangeable(Folder + ManifestFile);
    if (manifest && ReadHeldFile(manifest.Get(), text, 1 << 20))
        lines = SplitTextLines(text);
    lines.push_back(ManifestFile);
    lines.push_back(UninstallProgram);
    return InstalledFiles(lines);
}

} // namespace

std::optional<EarlierVersion> EarlierVersion::Keep(const std::string& Folder, InstallSink& Sink)
{
    const std::string upgrade = UpgradeFolder();
    // An upgrade that could not be finished still needs its own kept copy.
    if (ReadUpgradeJournal()) {
        Sink.Note("An earlier upgrade could not be finished; its journal stays in " + upgrade);
        return std::nullopt;
    }
    if (upgrade.empty() || !OpenUpgradeFolder(/*Fresh=*/true)) {
        Sink.Note("No private folder for the earlier version's copy: " + upgrade);
        return std::nullopt;
    }
    UpgradeJournal journal;
    journal.State = UpgradeState::Keeping;
    journal.OldFolder = Folder;
    EarlierVersion kept(journal);
    // Written first: a run cut off while it keeps drops the part it had kept.
    if (!kept.Save() || !RegisterFinishAtStart()) {
        Sink.Note("The earlier version's journal could not be written in " + upgrade);
        kept.Drop();
        return std::nullopt;
    }
    std::set<std::string> made;
    for (const std::string& file : InstalledFilesOf(Folder))
        if (KeepFile(Folder + file, upgrade + KeptFilesFolder + file, made))
            kept.journal_.OldFiles.push_back(file);
    for (int place = 0; place < ProgramGroupPlaceCount; ++place) {
        const std::string group = ProgramGroupAt(ProgramGroupPlaces[place]);
        for (const char* shortcut : GroupShortcuts)
            if (IsPlainFolder(group) &&
                KeepFile(group + shortcut, upgrade + KeptShortcutsFolder + std::to_string(place) + "\\" + shortcut,
                         made))
                kept.journal_.Shortcuts.push_back({place, shortcut});
    }
    kept.journal_.Values = ReadProductValues();
    kept.journal_.Service = ReadService();
    kept.journal_.State = UpgradeState::Kept;
    if (!kept.Save()) {
        Sink.Note("The earlier version's journal could not be written in " + upgrade);
        kept.Drop();
        return std::nullopt;
    }
    Sink.Note("The earlier version in " + Folder + " is kept in " + upgrade + " until the new one stands");
    return kept;
}

std::optional<EarlierVersion> EarlierVersion::Interrupted()
{
    const std::optional<UpgradeJournal> journal = ReadUpgradeJournal();
    if (!journal)
        return std::nullopt;
    return EarlierVersion(*journal);
}

void EarlierVersion::NewVersionGoesTo(const std::string& Folder, const std::vector<std::string>& Files)
{
    journal_.State = UpgradeState::Installing;
    journal_.NewFolder = Folder;
    journal_.NewFiles = Files;
    Save();
}

bool EarlierVersion::Save() const
{
    return WriteUpgradeJournal(journal_);
}

void EarlierVersion::Drop()
{
    if (journal_.State == UpgradeState::Installing) {
        // The new version stands: a cut that comes now only has the copy left to drop.
        journal_.State = UpgradeState::Installed;
        Save();
    }
    RemoveUpgradeFolder();
}
