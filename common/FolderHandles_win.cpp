#include "FolderHandles_win.h"

#include <winternl.h>

#include <algorithm>

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE File, HANDLE Event, PIO_APC_ROUTINE ApcRoutine, PVOID ApcContext,
                                               PIO_STATUS_BLOCK IoStatus, PVOID Buffer, ULONG Length,
                                               FILE_INFORMATION_CLASS Class, BOOLEAN SingleEntry, PUNICODE_STRING Mask,
                                               BOOLEAN RestartScan);

namespace {

// From ntstatus.h, which cannot be included beside windows.h without clashes.
const NTSTATUS StatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
const NTSTATUS StatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
const NTSTATUS StatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003A);
const NTSTATUS StatusNotADirectory = static_cast<NTSTATUS>(0xC0000103);
const NTSTATUS StatusObjectNameInvalid = static_cast<NTSTATUS>(0xC0000033);

const ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The levels above the folder are only passed through.
const ACCESS_MASK PassThrough = FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

bool IsPlainName(const std::wstring& Name)
{
    return !Name.empty() && Name != L"." && Name != L".." && Name.find_first_of(L"\\/:") == std::wstring::npos;
}

FileHandle NtOpen(HANDLE Root, const std::wstring& Name, ACCESS_MASK Access, ULONG Share, ULONG Disposition,
                  ULONG Options, PSECURITY_DESCRIPTOR Security, NTSTATUS& Status)
{
    UNICODE_STRING name;
    name.Buffer = const_cast<PWSTR>(Name.c_str());
    name.Length = static_cast<USHORT>(Name.size() * sizeof(wchar_t));
    name.MaximumLength = name.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, Root, Security);
    IO_STATUS_BLOCK io = {};
    HANDLE handle = nullptr;
    Status = NtCreateFile(
        &handle, Access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, Share, Disposition,
        Options | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    return NT_SUCCESS(Status) ? FileHandle(handle) : FileHandle();
}

bool ShowsAsLink(const std::wstring& Path)
{
    const DWORD attributes = GetFileAttributesW(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// "C:\" or "\\server\share\" and the names below it; false for any other form.
bool SplitRoot(const std::wstring& Path, std::wstring& Root, std::vector<std::wstring>& Names)
{
    size_t start = 0;
    if (Path.size() >= 3 && Path[1] == L':' && Path[2] == L'\\') {
        start = 3;
    } else if (Path.compare(0, 2, L"\\\\") == 0) {
        const size_t server = Path.find(L'\\', 2); // the end of the server's name
        if (server == std::wstring::npos || server == 2)
            return false;
        const size_t share = std::min(Path.find(L'\\', server + 1), Path.size()); // the end of the share's
        if (share == server + 1)
            return false;
        start = std::min(share + 1, Path.size());
        Root = Path.substr(0, share) + L'\\';
    } else {
        return false;
    }
    if (Root.empty())
        Root = Path.substr(0, start);
    Names.clear();
    for (size_t at = start; at < Path.size();) {
        const size_t end = std::min(Path.find(L'\\', at), Path.size());
        if (end > at)
            Names.push_back(Path.substr(at, end - at));
        at = end + 1;
    }
    for (const std::wstring& name : Names)
        if (!IsPlainName(name))
            return false;
    return true;
}

} // namespace

// A held folder cannot be renamed or deleted (both need FILE_SHARE_DELETE).
const ULONG HeldFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
const ULONG ReadOnlyShare = FILE_SHARE_READ;

std::wstring WideText(const std::string& Text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), &wide[0], length);
    return wide;
}

std::string AnsiText(const std::wstring& Text)
{
    // No best fit: a "best fit" letter could turn a name the code page lacks into one it has.
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Text.data(), static_cast<int>(Text.size()),
                                           nullptr, 0, "?", nullptr);
    std::string ansi(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Text.data(), static_cast<int>(Text.size()), &ansi[0], length,
                            "?", nullptr);
    return ansi;
}

FolderPath OpenFolderPath(const std::string& Path, ACCESS_MASK Access, ULONG Share)
{
    FolderPath result;
    std::wstring root;
    std::vector<std::wstring> names;
    if (!SplitRoot(WideText(Path), root, names))
        return result;
    std::wstring walked = root;
    result.Deepest = AnsiText(walked);
    result.Folder.Reset(CreateFileW(root.c_str(), names.empty() ? Access : PassThrough,
                                    names.empty() ? Share : ShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!result.Folder)
        return result;
    for (size_t level = 0; level < names.size(); ++level) {
        const bool last = level + 1 == names.size();
        NTSTATUS status = 0;
        FileHandle next = NtOpen(result.Folder.Get(), names[level], last ? Access : PassThrough,
                                 last ? Share : ShareAll, FILE_OPEN, FILE_DIRECTORY_FILE, nullptr, status);
        walked += (level ? L"\\" : L"") + names[level];
        if (!next) {
            if (status == StatusObjectNameNotFound || status == StatusObjectPathNotFound) {
                result.State = FolderPathState::Missing;
                result.Missing.assign(names.begin() + static_cast<std::ptrdiff_t>(level), names.end());
                return result;
            }
            result.Deepest = AnsiText(walked);
            // A link to a file refuses the folder option too; the link is what to report.
            result.State = ShowsAsLink(walked)             ? FolderPathState::Link
                           : status == StatusNotADirectory ? FolderPathState::NotFolder
                                                           : FolderPathState::Failed;
            return result;
        }
        result.Deepest = AnsiText(walked);
        if (IsLinkedEntry(next.Get()) || ShowsAsLink(walked)) {
            result.State = FolderPathState::Link;
            return result;
        }
        result.Folder = std::move(next);
    }
    result.State = FolderPathState::Opened;
    return result;
}

bool CreateMissingFolders(FolderPath& Path, ACCESS_MASK Access, PSECURITY_DESCRIPTOR Outermost, ULONG Share)
{
    if (Path.State != FolderPathState::Missing || !Path.Folder || Path.Missing.empty())
        return false;
    std::vector<FileHandle> made; // outermost first
    for (size_t level = 0; level < Path.Missing.size(); ++level) {
        const bool last = level + 1 == Path.Missing.size();
        NTSTATUS status = 0;
        FileHandle folder = NtOpen(made.empty() ? Path.Folder.Get() : made.back().Get(), Path.Missing[level],
                                   last ? Access : PassThrough | DELETE, last ? Share : ShareAll, FILE_CREATE,
                                   FILE_DIRECTORY_FILE, level == 0 ? Outermost : nullptr, status);
        if (!folder) {
            // The levels made before go again, innermost first: "C:\New" does not stay behind
            // when "C:\New\a|b" cannot be made. A name goes once its last handle is closed.
            for (auto above = made.rbegin(); above != made.rend(); ++above) {
                DeleteHeldEntry(above->Get());
                above->Reset();
            }
            return false;
        }
        made.push_back(std::move(folder));
    }
    Path.Folder = std::move(made.back());
    Path.Missing.clear();
    Path.State = FolderPathState::Opened;
    return true;
}

bool ListFolder(HANDLE Folder, std::vector<FolderEntry>& Entries)
{
    Entries.clear();
    // A buffer aligned for the records, which the system lays out at 8-byte boundaries.
    std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IO_STATUS_BLOCK io = {};
        const NTSTATUS status = NtQueryDirectoryFile(Folder, nullptr, nullptr, nullptr, &io, buffer.data(),
                                                     static_cast<ULONG>(buffer.size() * sizeof(LONGLONG)),
                                                     FileDirectoryInformation, FALSE, nullptr, restart);
        if (status == StatusNoMoreFiles)
            return true;
        if (!NT_SUCCESS(status))
            return false;
        const BYTE* record = reinterpret_cast<const BYTE*>(buffer.data());
        for (;;) {
            const auto* entry = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(record);
            std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                FolderEntry found;
                found.AnsiName = AnsiText(name);
                found.Name = std::move(name);
                found.Attributes = entry->FileAttributes;
                Entries.push_back(std::move(found));
            }
            if (entry->NextEntryOffset == 0)
                break;
            record += entry->NextEntryOffset;
        }
    }
}

FileHandle OpenEntry(HANDLE Folder, const std::wstring& Name, ACCESS_MASK Access, ULONG Share, ULONG Disposition,
                     EntryKind Kind, PSECURITY_DESCRIPTOR Security, NTSTATUS* Status)
{
    NTSTATUS status = StatusObjectNameInvalid;
    FileHandle entry;
    if (IsPlainName(Name)) {
        const ULONG options = Kind == EntryKind::Folder ? FILE_DIRECTORY_FILE
                              : Kind == EntryKind::File ? FILE_NON_DIRECTORY_FILE
                                                        : 0;
        entry = NtOpen(Folder, Name, Access, Share, Disposition, options, Security, status);
    }
    if (Status)
        *Status = status;
    return entry;
}

bool IsNotFound(NTSTATUS Status)
{
    return Status == StatusObjectNameNotFound || Status == StatusObjectPathNotFound;
}

bool IsLinkedEntry(HANDLE Entry)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(Entry, &info))
        return true; // what cannot be looked at is not taken for plain
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    return !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && info.nNumberOfLinks > 1;
}

bool IsLinkedEntry(HANDLE Entry, const std::string& Path)
{
    return IsLinkedEntry(Entry) || ShowsAsLink(WideText(Path));
}

bool DeleteHeldEntry(HANDLE Entry)
{
    // NtSetInformationFile does what SetFileInformationByHandle does from Windows Vista on, and
    // on every NT system; a folder that is not empty refuses it, and so does a read-only file,
    // which loses that attribute first when the handle may write attributes.
    // From Windows 10 1709 on, the name goes at once even while others hold it open (POSIX
    // semantics): a folder that Explorer shows can be made anew at the same name right away.
    // Older systems refuse the class, and the name goes when the last handle closes.
    const ULONG DeleteAtOnce = 0x1 | 0x2; // FILE_DISPOSITION_DELETE | FILE_DISPOSITION_POSIX_SEMANTICS
    const auto DispositionEx = static_cast<FILE_INFORMATION_CLASS>(64); // FileDispositionInformationEx
    IO_STATUS_BLOCK io = {};
    ULONG flags = DeleteAtOnce;
    if (NT_SUCCESS(NtSetInformationFile(Entry, &io, &flags, sizeof flags, DispositionEx)))
        return true;
    FILE_DISPOSITION_INFORMATION dispose = {TRUE};
    if (NT_SUCCESS(NtSetInformationFile(Entry, &io, &dispose, sizeof dispose, FileDispositionInformation)))
        return true;
    FILE_BASIC_INFORMATION basic = {};
    if (!NT_SUCCESS(NtQueryInformationFile(Entry, &io, &basic, sizeof basic, FileBasicInformation)) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return false;
    basic = {};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL; // the times stay as they are when given as zero
    return NT_SUCCESS(NtSetInformationFile(Entry, &io, &basic, sizeof basic, FileBasicInformation)) &&
           NT_SUCCESS(NtSetInformationFile(Entry, &io, &dispose, sizeof dispose, FileDispositionInformation));
}

bool KeepsPermissions(HANDLE Entry)
{
    // A share keeps what the other computer's permissions say, whose accounts (its own
    // Administrators) are not this computer's: nothing set from here protects anything there.
    const ULONG RemoteDevice = 0x10; // FILE_REMOTE_DEVICE
    FILE_FS_DEVICE_INFORMATION device = {};
    IO_STATUS_BLOCK deviceIo = {};
    if (!NT_SUCCESS(NtQueryVolumeInformationFile(Entry, &deviceIo, &device, sizeof device, FileFsDeviceInformation)) ||
        (device.Characteristics & RemoteDevice))
        return false;
    // The record ends with the file system's name, which is not needed here.
    union {
        FILE_FS_ATTRIBUTE_INFORMATION Info;
        BYTE Space[sizeof(FILE_FS_ATTRIBUTE_INFORMATION) + 64 * sizeof(wchar_t)];
    } volume = {};
    IO_STATUS_BLOCK io = {};
    const NTSTATUS status =
        NtQueryVolumeInformationFile(Entry, &io, &volume, sizeof volume, FileFsAttributeInformation);
    return (NT_SUCCESS(status) || io.Information >= sizeof(ULONG)) &&
           (volume.Info.FileSystemAttributes & FILE_PERSISTENT_ACLS);
}

FolderIdentity IdentityOf(HANDLE Entry)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(Entry, &info))
        return {};
    return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}
