#include "UpgradeStore_win.h"

#include <winternl.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

#include "BriCommon.h"
#include "EarlierVersion.h"
#include "FolderHandles_win.h"
#include "HeldFiles_win.h"
#include "OwnProgram_win.h"
#include "Product.h"
#include "Registry.h"
#include "SecurityDescriptor_win.h"
#include "UninstallerTrust.h"
#include "UnpackedFile.h"

extern "C" NTSTATUS NTAPI NtAreMappedFilesTheSame(PVOID MappedAsImage, PVOID MappedAsFile);

const char* const PrivateStoreSddl = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
const char* const KeptFilesFolder = "Kept\\Files\\";
const char* const KeptShortcutsFolder = "Kept\\Shortcuts\\";

namespace {

const char* const StoreNamePrefix = "Brisel Backup 7 Setup ";
const char* const StoreValue = "Upgrade store";
const char* const EarlierFolderValue = "Earlier folder";
const char* const EarlierIdentityValue = "Earlier folder identity";
const char* const NewFolderValue = "New folder";
const char* const NewIdentityValue = "New folder identity";
const wchar_t* const JournalFile = L"journal.txt";
const wchar_t* const JournalAside = L"journal.new";
const wchar_t* const FinishingCopy = L"Bb7Setup.exe";
const size_t JournalMaxSize = 4 << 20;

const ACCESS_MASK StoreAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY |
                                FILE_READ_ATTRIBUTES | READ_CONTROL | DELETE;

// The RunOnce key that Windows reads at its start. A 32-bit program would write the 32-bit view;
// the system's own (64-bit) view is read on every system.
const REGSAM RunOnceAccess = KEY_READ | KEY_WRITE | KEY_WOW64_64KEY;

std::string CommonDataFolder()
{
    char data[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, data)) || !*data)
        return std::string();
    return AddTrailingBackslash(data);
}

std::string IdentityText(const FolderIdentity& Identity)
{
    return std::to_string(Identity.Volume) + ":" + std::to_string(Identity.IndexHigh) + ":" +
           std::to_string(Identity.IndexLow);
}

FolderIdentity IdentityFrom(const std::string& Text)
{
    FolderIdentity identity;
    unsigned long parts[3] = {};
    size_t at = 0;
    for (unsigned long& part : parts) {
        const size_t end = std::min(Text.find(':', at), Text.size());
        const std::string digits = Text.substr(at, end - at);
        if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
            return FolderIdentity();
        part = std::strtoul(digits.c_str(), nullptr, 10);
        at = end + 1;
    }
    identity.Volume = parts[0];
    identity.IndexHigh = parts[1];
    identity.IndexLow = parts[2];
    return identity;
}

// A store's name as the installer gives it: the prefix and 32 hex digits, nothing that leads
// elsewhere.
bool IsStoreName(const std::string& Name)
{
    const std::string prefix = StoreNamePrefix;
    return Name.size() == prefix.size() + 32 && Name.compare(0, prefix.size(), prefix) == 0 &&
           Name.find_first_not_of("0123456789abcdef", prefix.size()) == std::string::npos;
}

void DeleteRecordValues()
{
    if (RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, SetupKeyPath, KEY_READ | KEY_WRITE)) {
        for (const char* value :
             {StoreValue, EarlierFolderValue, EarlierIdentityValue, NewFolderValue, NewIdentityValue})
            DeleteRegValue(key.Get(), value);
        key.Reset();
        DeleteRegKeyIfEmpty(HKEY_LOCAL_MACHINE, SetupKeyPath);
    }
    if (RegKey runOnce = OpenRegKey(HKEY_LOCAL_MACHINE, RunOnceKeyPath, RunOnceAccess))
        DeleteRegValue(runOnce.Get(), FinishRunOnceValue);
}

// The program file of this process, held so that nobody may change, rename or replace it, and
// only when it is the very file the system runs: the name the process was started by may lead
// to another file by now (a program beside a download can be renamed while it runs).
FileHandle OwnProgramFile()
{
    const std::wstring path = OwnProgramPath();
    FileHandle file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ | GENERIC_EXECUTE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (path.empty() || !file)
        return FileHandle();
    ObjectHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
    void* view = mapping ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    const bool same = view && NT_SUCCESS(NtAreMappedFilesTheSame(GetModuleHandleW(nullptr), view));
    if (view)
        UnmapViewOfFile(view);
    return same ? std::move(file) : FileHandle();
}

} // namespace

std::optional<UpgradeStore> UpgradeStore::Create(const std::string& EarlierFolder, const FolderIdentity& Earlier,
                                                 std::string& Failure)
{
    const std::string data = CommonDataFolder();
    const FolderPath parent = data.empty() ? FolderPath() : OpenFolderPath(data, FILE_TRAVERSE | FILE_ADD_SUBDIRECTORY);
    if (parent.State != FolderPathState::Opened) {
        Failure = "the common application data folder " + data + " cannot be opened";
        return std::nullopt;
    }
    const SecurityDescriptor privateStore(PrivateStoreSddl);
    UpgradeStore store;
    // A name nobody can make first; were it taken all the same, another one.
    for (int attempt = 0; attempt < 3 && !store.folder_; ++attempt) {
        const std::string random = UnpredictableName();
        if (random.empty())
            break;
        store.record_.Store = StoreNamePrefix + random;
        store.folder_ = OpenEntry(parent.Folder.Get(), WideText(store.record_.Store), StoreAccess, HeldFolderShare,
                                  FILE_CREATE, EntryKind::Folder, privateStore.Get());
    }
    if (!store.folder_) {
        Failure = "no folder of the installer's own can be made in " + data;
        return std::nullopt;
    }
    store.path_ = data + store.record_.Store + "\\";
    store.record_.EarlierFolder = EarlierFolder;
    store.record_.EarlierIdentity = Earlier;
    RegKey key = CreateRegKey(HKEY_LOCAL_MACHINE, SetupKeyPath, KEY_WRITE);
    if (!key || !WriteRegString(key.Get(), StoreValue, store.record_.Store) ||
        !WriteRegString(key.Get(), EarlierFolderValue, EarlierFolder) ||
        !WriteRegString(key.Get(), EarlierIdentityValue, IdentityText(Earlier))) {
        Failure = "the store " + store.path_ + " cannot be recorded";
        key.Reset();
        store.Remove();
        return std::nullopt;
    }
    return store;
}

std::optional<UpgradeStore> UpgradeStore::Recorded(std::string& Failure)
{
    RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, SetupKeyPath, KEY_READ);
    const std::optional<std::string> name = key ? ReadRegString(key.Get(), StoreValue) : std::nullopt;
    if (!name)
        return std::nullopt;
    UpgradeStore store;
    store.record_.Store = *name;
    store.record_.EarlierFolder = ReadRegString(key.Get(), EarlierFolderValue).value_or("");
    store.record_.EarlierIdentity = IdentityFrom(ReadRegString(key.Get(), EarlierIdentityValue).value_or(""));
    store.record_.NewFolder = ReadRegString(key.Get(), NewFolderValue).value_or("");
    store.record_.NewIdentity = IdentityFrom(ReadRegString(key.Get(), NewIdentityValue).value_or(""));
    const std::string data = CommonDataFolder();
    store.path_ = data + *name + "\\";
    if (!IsStoreName(*name)) {
        Failure = "the recorded store \"" + *name + "\" is none of the installer's";
        return std::nullopt;
    }
    const FolderPath parent = data.empty() ? FolderPath() : OpenFolderPath(data, FILE_TRAVERSE);
    if (parent.State == FolderPathState::Opened)
        store.folder_ =
            OpenEntry(parent.Folder.Get(), WideText(*name), StoreAccess, HeldFolderShare, FILE_OPEN, EntryKind::Folder);
    // Made private by the installer as it was created; a store that lets anybody else change
    // it, or that is a link, is not the one it made.
    const std::string administrator = IsAdministrator() ? ProcessUserSid() : std::string();
    if (!store.folder_ || IsLinkedEntry(store.folder_.Get(), store.path_) ||
        !OnlyAdministratorsMayChange(OwnerAndDaclText(store.folder_.Get()), administrator)) {
        Failure = "the recorded store " + store.path_ + " is missing or not the installer's own";
        return std::nullopt;
    }
    return store;
}

void UpgradeStore::ForgetRecord()
{
    DeleteRecordValues();
}

void UpgradeStore::RecordNewFolder(const std::string& Folder, const FolderIdentity& Identity)
{
    record_.NewFolder = Folder;
    record_.NewIdentity = Identity;
    if (RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, SetupKeyPath, KEY_WRITE)) {
        WriteRegString(key.Get(), NewFolderValue, Folder);
        WriteRegString(key.Get(), NewIdentityValue, IdentityText(Identity));
    }
}

bool UpgradeStore::WriteJournal(const std::string& Text)
{
    // What the journal names reaches the disk before it does.
    if (unflushed_)
        FlushVolumeOf(path_);
    unflushed_ = false;
    return WriteNewFile(folder_.Get(), JournalAside, Text) && RenameEntry(folder_.Get(), JournalAside, JournalFile);
}

bool UpgradeStore::ReadJournal(std::string& Text) const
{
    FileHandle journal = OpenFileForReading(folder_.Get(), JournalFile);
    return journal && ReadHeldFile(journal.Get(), Text, JournalMaxSize);
}

namespace {

// "Kept\Files\Help" and "index.htm" of "Kept\Files\Help\index.htm"; false for a name without a folder.
bool SplitRelative(const std::string& Relative, std::string& Folder, std::wstring& Name)
{
    const size_t end = Relative.find_last_of('\\');
    if (end == std::string::npos || end + 1 == Relative.size())
        return false;
    Folder = Relative.substr(0, end);
    Name = WideText(Relative.substr(end + 1));
    return true;
}

} // namespace

HANDLE UpgradeStore::KeptFolder(const std::string& Folder)
{
    FileHandle& held = keptFolders_[Folder];
    if (!held)
        held = OpenSubfolders(folder_.Get(), RelativeNames(Folder), FILE_ADD_FILE | FILE_TRAVERSE, true);
    unflushed_ = true;
    return held ? held.Get() : nullptr;
}

bool UpgradeStore::Keep(HANDLE Source, const std::string& Relative, Sha256Digest& Digest)
{
    std::string folder;
    std::wstring name;
    const HANDLE held = SplitRelative(Relative, folder, name) ? KeptFolder(folder) : nullptr;
    return held && CopyHeldFileInto(Source, held, name, &Digest, false);
}

bool UpgradeStore::Take(HANDLE Source, const std::string& Relative, Sha256Digest& Digest)
{
    std::string folder;
    std::wstring name;
    const HANDLE held = SplitRelative(Relative, folder, name) ? KeptFolder(folder) : nullptr;
    if (!held)
        return false;
    if (DigestOfOpenFile(Source, Digest) && MoveHeldFileInto(Source, held, name))
        return true;
    return CopyHeldFileInto(Source, held, name, &Digest, false);
}

FileHandle UpgradeStore::OpenKept(const std::string& Relative) const
{
    return OpenFileBelow(folder_.Get(), Relative);
}

FileHandle UpgradeStore::OpenKeptForMoving(const std::string& Relative) const
{
    std::string folder;
    std::wstring name;
    if (!SplitRelative(Relative, folder, name))
        return FileHandle();
    FileHandle held = OpenSubfolders(folder_.Get(), RelativeNames(folder), FILE_TRAVERSE, false);
    return held ? OpenFileForMoving(held.Get(), name) : FileHandle();
}

bool UpgradeStore::RegisterFinishAtStart()
{
    FileHandle own = OwnProgramFile();
    unflushed_ = true;
    if (!own || !CopyHeldFileInto(own.Get(), folder_.Get(), FinishingCopy, nullptr, false))
        return false;
    RegKey runOnce = CreateRegKey(HKEY_LOCAL_MACHINE, RunOnceKeyPath, RunOnceAccess);
    return runOnce && WriteRegString(runOnce.Get(), FinishRunOnceValue,
                                     QuoteText(path_ + AnsiText(FinishingCopy)) + " " + FinishSwitch);
}

void UpgradeStore::Remove()
{
    keptFolders_.clear(); // held, they could not be deleted
    DeleteRecordValues();
    if (!folder_)
        return;
    if (EmptyHeldFolder(folder_.Get()) && DeleteHeldEntry(folder_.Get())) {
        folder_.Reset();
        return;
    }
    // What stays is the copy of the installer that runs now, which cannot delete its own file:
    // Windows deletes it, and then the store, at its next start. Nobody else can make anything in
    // the store meanwhile.
    const std::string copy = path_ + AnsiText(FinishingCopy);
    MoveFileExA(copy.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(path_.substr(0, path_.size() - 1).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    folder_.Reset();
}

void UpgradeStore::SetAside()
{
    keptFolders_.clear();
    DeleteRecordValues();
    folder_.Reset();
}
