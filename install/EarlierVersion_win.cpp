// Keeping the earlier version, its journal, and dropping the kept copy.
#include "EarlierVersion.h"

#include <windows.h>

#include <map>

#include "BriCommon.h"
#include "FolderHandles_win.h"
#include "HeldFiles_win.h"
#include "Manifest.h"
#include "Product.h"
#include "ProgramGroup_win.h"
#include "Registry.h"
#include "UnpackedFile.h"
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
        {false, ProductKeyPath, {PathValue, InstallationTypeValue, FoldersMadeValue}},
        {false, UninstallKeyPath,
         std::vector<const char*>(std::begin(UninstallEntryValues), std::end(UninstallEntryValues))},
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
    ServiceHandle service(
        manager ? OpenServiceA(manager.Get(), ServiceName, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS) : nullptr);
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

// The earlier installation's files as its uninstaller removes them: what its manifest names,
// the manifest and the uninstaller.
std::vector<std::string> InstalledFilesOf(HANDLE Folder)
{
    std::vector<std::string> lines;
    std::string text;
    FileHandle manifest = OpenFileForReading(Folder, WideText(ManifestFile));
    if (manifest && ReadHeldFile(manifest.Get(), text, 1 << 20))
        lines = SplitTextLines(text);
    lines.push_back(ManifestFile);
    lines.push_back(UninstallProgram);
    return InstalledFiles(lines);
}

} // namespace

std::optional<EarlierVersion> EarlierVersion::Keep(const std::string& Folder, HANDLE Held,
                                                   const FolderIdentity& Identity, bool MoveFiles,
                                                   InstallSink& Sink)
{
    // An upgrade that could not be finished still needs its own kept copy.
    std::string failure;
    if (std::optional<UpgradeStore> unfinished = UpgradeStore::Recorded(failure)) {
        Sink.Note("An earlier upgrade could not be finished; its journal stays in " + unfinished->Path());
        return std::nullopt;
    }
    std::optional<UpgradeStore> store = UpgradeStore::Create(Folder, Identity, failure);
    if (!store) {
        Sink.Note("No private folder for the earlier version's copy: " + failure);
        return std::nullopt;
    }
    UpgradeJournal journal;
    journal.State = UpgradeState::Keeping;
    journal.OldFolder = Folder;
    journal.Values = ReadProductValues();
    journal.Service = ReadService();
    const std::vector<std::string> files = Held ? InstalledFilesOf(Held) : std::vector<std::string>();
    // Its uninstaller runs from the folder, and reads its manifest there: both are copied. The
    // other files are moved into the store, on the same volume in one step each.
    const auto staysInPlace = [MoveFiles](const std::string& File) {
        return !MoveFiles || SameFileName(File, UninstallProgram) || SameFileName(File, ManifestFile);
    };
    for (const std::string& file : files)
        if (!staysInPlace(file))
            journal.Moving.push_back(file);
    EarlierVersion kept(std::move(*store), journal);
    // Written first: a run cut off while it keeps moves back what it had moved, and drops the rest.
    if (!kept.Save() || !kept.store_.RegisterFinishAtStart()) {
        Sink.Note("The earlier version's journal could not be written in " + kept.store_.Path());
        kept.store_.Remove();
        return std::nullopt;
    }
    // Every file of the earlier version is kept, or it stays where it is: one that another
    // program holds open (nobody else can change or remove it while it is held; the new version's
    // file takes its place at the next start of Windows). One that cannot be kept otherwise
    // stops the upgrade before anything changes: put back without it, the earlier version would
    // lack it.
    std::map<std::string, FileHandle> folders; // the earlier folder's, each opened once
    for (const std::string& file : files) {
        NTSTATUS status = 0;
        const size_t end = file.find_last_of('\\');
        HANDLE parent = Held;
        if (end != std::string::npos) {
            FileHandle& folder = folders[file.substr(0, end)];
            if (!folder)
                folder = OpenSubfolders(Held, RelativeNames(file.substr(0, end)), FILE_TRAVERSE, false);
            parent = folder ? folder.Get() : nullptr;
        }
        const std::wstring name = WideText(file.substr(end + 1));
        const bool copied = staysInPlace(file);
        // Files are moved only out of a folder that nobody but the administrators can change:
        // the installer's own, judged free of links by the folder step, or the folder of an
        // uninstaller that it trusts. Each is opened once, to be read and moved.
        FileHandle source = !parent  ? FileHandle()
                            : copied ? OpenFileForReading(parent, name, &status)
                                     : OpenEntry(parent, name, GENERIC_READ | DELETE, FILE_SHARE_READ, FILE_OPEN,
                                                 EntryKind::File, nullptr, &status);
        if (!parent)
            status = static_cast<NTSTATUS>(0xC000003A); // STATUS_OBJECT_PATH_NOT_FOUND
        Sha256Digest digest;
        const std::string relative = KeptFilesFolder + file;
        if (source && (copied ? kept.store_.Keep(source.Get(), relative, digest)
                              : kept.store_.Take(source.Get(), relative, digest))) {
            kept.journal_.OldFiles.push_back({file, digest});
        } else if (!source && IsSharingViolation(status)) {
            Sink.Note("The earlier version's " + Folder + file + " is in use by another program: it stays where it is");
            kept.journal_.HeldFiles.push_back(file);
        } else if (source || !IsNotFound(status)) {
            Sink.Note("Couldn't keep a copy of the earlier version's " + Folder + file);
            source.Reset();
            kept.ReturnMovedFiles(Held);
            kept.store_.Remove();
            return std::nullopt;
        }
    }
    for (int place = 0; place < ProgramGroupPlaceCount; ++place) {
        const std::string group = ProgramGroupAt(ProgramGroupPlaces[place]);
        // Through handles that refuse a link on the way to the group, when there is one: most
        // places have none, which one look says at less cost than a walk from the drive's root.
        const FolderPath held = group.empty() || GetFileAttributesA(group.c_str()) == INVALID_FILE_ATTRIBUTES
                                    ? FolderPath()
                                    : OpenFolderPath(group, FILE_LIST_DIRECTORY | FILE_TRAVERSE);
        if (held.State != FolderPathState::Opened)
            continue;
        for (const char* shortcut : GroupShortcuts) {
            FileHandle source = OpenFileForReading(held.Folder.Get(), WideText(shortcut));
            Sha256Digest digest;
            if (source &&
                kept.store_.Keep(source.Get(), KeptShortcutsFolder + std::to_string(place) + "\\" + shortcut, digest))
                kept.journal_.Shortcuts.push_back({place, shortcut, digest});
        }
    }
    kept.journal_.Moving.clear();
    kept.journal_.State = UpgradeState::Kept;
    if (!kept.Save()) {
        Sink.Note("The earlier version's journal could not be written in " + kept.store_.Path());
        kept.ReturnMovedFiles(Held);
        kept.store_.Remove();
        return std::nullopt;
    }
    Sink.Note("The earlier version in " + Folder + " is kept in " + kept.store_.Path() + " until the new one stands");
    return kept;
}

bool EarlierVersion::UnfinishedUpgradeRecorded()
{
    std::string failure;
    return UpgradeStore::Recorded(failure).has_value();
}

std::optional<EarlierVersion> EarlierVersion::Interrupted(InstallSink& Sink)
{
    std::string failure;
    std::optional<UpgradeStore> store = UpgradeStore::Recorded(failure);
    if (!store) {
        if (!failure.empty()) {
            Sink.Note("An upgrade's record is forgotten: " + failure);
            UpgradeStore::ForgetRecord();
        }
        return std::nullopt;
    }
    std::string text;
    if (!store->ReadJournal(text)) {
        // The journal is written before anything changes: without one nothing did.
        Sink.Note("An upgrade was cut off before it changed anything: its store " + store->Path() + " goes");
        store->Remove();
        return std::nullopt;
    }
    const std::optional<UpgradeJournal> journal = ReadJournal(text);
    const std::string disagreement =
        !journal ? std::string("it cannot be read")
                 : JournalDisagreement(*journal, store->Record().EarlierFolder, store->Record().NewFolder);
    if (!disagreement.empty()) {
        Sink.Note("The journal of an upgrade in " + store->Path() +
                  " is set aside, for an administrator to look at: " + disagreement);
        store->SetAside();
        return std::nullopt;
    }
    return EarlierVersion(std::move(*store), *journal);
}

void EarlierVersion::NewVersionGoesTo(const std::string& Folder, const FolderIdentity& Identity,
                                      const std::vector<std::string>& Files)
{
    // Recorded where only administrators may write before the journal names it.
    store_.RecordNewFolder(Folder, Identity);
    journal_.State = UpgradeState::Installing;
    journal_.NewFolder = Folder;
    journal_.NewFiles = Files;
    Save();
}

bool EarlierVersion::Save()
{
    return store_.WriteJournal(JournalText(journal_));
}

bool EarlierVersion::ReturnMovedFiles(HANDLE Folder)
{
    bool done = true;
    for (const std::string& file : journal_.Moving) {
        FileHandle kept = store_.OpenKeptForMoving(KeptFilesFolder + file);
        if (!kept)
            continue; // never moved, or back already
        const size_t end = file.find_last_of('\\');
        FileHandle parent = end == std::string::npos ? OpenSubfolders(Folder, {}, FILE_TRAVERSE, false)
                                                     : OpenSubfolders(Folder, RelativeNames(file.substr(0, end)),
                                                                      FILE_ADD_FILE | FILE_TRAVERSE, true);
        const std::wstring name = WideText(file.substr(end + 1));
        done = parent &&
               (MoveHeldFileInto(kept.Get(), parent.Get(), name) || CopyHeldFileInto(kept.Get(), parent.Get(), name)) &&
               done;
    }
    return done;
}

void EarlierVersion::WaitForRestart(const std::string& Folder, std::vector<KeptFile> Staged)
{
    journal_.State = UpgradeState::Restarting;
    journal_.NewFolder = Folder;
    journal_.StagedFiles = std::move(Staged);
    Save();
}

void EarlierVersion::Drop()
{
    if (journal_.State == UpgradeState::Installing) {
        // The new version stands: a cut that comes now only has the copy left to drop.
        journal_.State = UpgradeState::Installed;
        Save();
    }
    store_.Remove();
}
