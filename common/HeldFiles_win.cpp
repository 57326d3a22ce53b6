#include "HeldFiles_win.h"

#include <winternl.h>

#include <algorithm>

#include "FolderHandles_win.h"

namespace {

const DWORD CopyBufferSize = 256 * 1024;
const ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const ACCESS_MASK PassThrough = FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

bool Rewind(HANDLE File)
{
    LARGE_INTEGER start = {};
    return SetFilePointerEx(File, start, nullptr, FILE_BEGIN) != 0;
}

// Gives the file held by File (open with FILE_WRITE_ATTRIBUTES) its attributes and, when
// given, its time of last change; times given as zero stay as they are.
bool SetAttributesAndTime(HANDLE File, DWORD Attributes, const FILETIME* LastWrite)
{
    FILE_BASIC_INFORMATION basic = {};
    basic.FileAttributes = Attributes ? Attributes : FILE_ATTRIBUTE_NORMAL;
    if (LastWrite) {
        basic.LastWriteTime.LowPart = LastWrite->dwLowDateTime;
        basic.LastWriteTime.HighPart = static_cast<LONG>(LastWrite->dwHighDateTime);
    }
    IO_STATUS_BLOCK io = {};
    return NT_SUCCESS(NtSetInformationFile(File, &io, &basic, sizeof basic, FileBasicInformation));
}

// A file made anew as Name: what stands at that name goes first. Made as a new entry, it is
// never one that was there; one that was is deleted, then the name made again.
FileHandle CreateNewFile(HANDLE Folder, const std::wstring& Name)
{
    const ACCESS_MASK access = GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES;
    NTSTATUS status = 0;
    FileHandle made = OpenEntry(Folder, Name, access, 0, FILE_CREATE, EntryKind::File, nullptr, &status);
    if (made || IsNotFound(status) || !DeleteEntry(Folder, Name))
        return made;
    return OpenEntry(Folder, Name, access, 0, FILE_CREATE, EntryKind::File);
}

bool WriteAll(HANDLE File, const char* Data, size_t Size)
{
    while (Size > 0) {
        const DWORD chunk = static_cast<DWORD>(Size < CopyBufferSize ? Size : CopyBufferSize);
        DWORD written = 0;
        if (!WriteFile(File, Data, chunk, &written, nullptr) || written != chunk)
            return false;
        Data += chunk;
        Size -= chunk;
    }
    return true;
}

// FILE_RENAME_INFORMATION: the entry's new name relative to the folder held by Folder.
bool RenameHeldEntry(HANDLE Entry, HANDLE Folder, const std::wstring& Name, bool ReplaceIfExists)
{
    std::vector<LONGLONG> buffer((sizeof(FILE_RENAME_INFORMATION) + Name.size() * sizeof(wchar_t)) / sizeof(LONGLONG) +
                                 1);
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    rename->ReplaceIfExists = ReplaceIfExists;
    rename->RootDirectory = Folder;
    rename->FileNameLength = static_cast<ULONG>(Name.size() * sizeof(wchar_t));
    std::copy(Name.begin(), Name.end(), rename->FileName);
    IO_STATUS_BLOCK io = {};
    return NT_SUCCESS(NtSetInformationFile(Entry, &io, rename, static_cast<ULONG>(buffer.size() * sizeof(LONGLONG)),
                                           FileRenameInformation));
}

} // namespace

std::vector<std::wstring> RelativeNames(const std::string& Relative)
{
    std::vector<std::wstring> names;
    for (size_t at = 0; at < Relative.size();) {
        const size_t end = std::min(Relative.find('\\', at), Relative.size());
        if (end > at)
            names.push_back(WideText(Relative.substr(at, end - at)));
        at = end + 1;
    }
    return names;
}

FileHandle OpenSubfolders(HANDLE Top, const std::vector<std::wstring>& Names, ACCESS_MASK Access, bool Create)
{
    FileHandle level;
    HANDLE parent = Top;
    if (Names.empty()) {
        // The same folder once more, through its own handle.
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), Top, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
        return FileHandle(copy ? copy : INVALID_HANDLE_VALUE);
    }
    for (size_t i = 0; i < Names.size(); ++i) {
        const bool last = i + 1 == Names.size();
        const ACCESS_MASK access = last ? Access : PassThrough;
        const ULONG share = last ? FILE_SHARE_READ | FILE_SHARE_WRITE : ShareAll;
        NTSTATUS status = 0;
        FileHandle next = OpenEntry(parent, Names[i], access, share, FILE_OPEN, EntryKind::Folder, nullptr, &status);
        if (!next && Create && IsNotFound(status))
            next = OpenEntry(parent, Names[i], access, share, FILE_CREATE, EntryKind::Folder);
        if (!next || IsLinkedEntry(next.Get()))
            return FileHandle();
        level = std::move(next);
        parent = level.Get();
    }
    return level;
}

namespace {

FileHandle OpenFileToRead(HANDLE Folder, const std::wstring& Name, ACCESS_MASK Extra, NTSTATUS* Status)
{
    FileHandle file =
        OpenEntry(Folder, Name, GENERIC_READ | Extra, FILE_SHARE_READ, FILE_OPEN, EntryKind::File, nullptr, Status);
    if (!file || IsLinkedEntry(file.Get()))
        return FileHandle();
    return file;
}

} // namespace

FileHandle OpenFileForReading(HANDLE Folder, const std::wstring& Name, NTSTATUS* Status)
{
    return OpenFileToRead(Folder, Name, 0, Status);
}

FileHandle OpenFileForMoving(HANDLE Folder, const std::wstring& Name, NTSTATUS* Status)
{
    return OpenFileToRead(Folder, Name, DELETE, Status);
}

bool MoveHeldFileInto(HANDLE File, HANDLE Folder, const std::wstring& Name)
{
    return RenameHeldEntry(File, Folder, Name, false);
}

FileHandle OpenFileBelow(HANDLE Folder, const std::string& Relative, NTSTATUS* Status)
{
    std::vector<std::wstring> names = RelativeNames(Relative);
    if (names.empty())
        return FileHandle();
    const std::wstring file = names.back();
    names.pop_back();
    if (names.empty())
        return OpenFileForReading(Folder, file, Status);
    FileHandle folder = OpenSubfolders(Folder, names, FILE_TRAVERSE, false);
    if (!folder && Status)
        *Status = static_cast<NTSTATUS>(0xC000003A); // STATUS_OBJECT_PATH_NOT_FOUND
    return folder ? OpenFileForReading(folder.Get(), file, Status) : FileHandle();
}

bool IsSharingViolation(NTSTATUS Status)
{
    return Status == static_cast<NTSTATUS>(0xC0000043); // STATUS_SHARING_VIOLATION
}

bool DeleteEntry(HANDLE Folder, const std::wstring& Name)
{
    NTSTATUS status = 0;
    FileHandle entry = OpenEntry(Folder, Name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, ShareAll,
                                 FILE_OPEN, EntryKind::Any, nullptr, &status);
    if (!entry)
        return IsNotFound(status);
    return DeleteHeldEntry(entry.Get());
}

bool RenameEntry(HANDLE Folder, const std::wstring& From, const std::wstring& To)
{
    FileHandle entry = OpenEntry(Folder, From, DELETE | SYNCHRONIZE, FILE_SHARE_READ, FILE_OPEN, EntryKind::File);
    return entry && RenameHeldEntry(entry.Get(), Folder, To, true);
}

bool WriteNewFile(HANDLE Folder, const std::wstring& Name, const std::string& Data, DWORD Attributes,
                  const FILETIME* LastWrite)
{
    FileHandle file = CreateNewFile(Folder, Name);
    if (!file)
        return false;
    if (WriteAll(file.Get(), Data.data(), Data.size()) && FlushFileBuffers(file.Get()) &&
        SetAttributesAndTime(file.Get(), Attributes, LastWrite))
        return true;
    DeleteHeldEntry(file.Get()); // a partial file is no copy
    return false;
}

bool CopyHeldFileInto(HANDLE Source, HANDLE Folder, const std::wstring& Name, Sha256Digest* Digest, bool Flush)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!Rewind(Source) || !GetFileInformationByHandle(Source, &info))
        return false;
    FileHandle target = CreateNewFile(Folder, Name);
    if (!target)
        return false;
    const DWORD keptAttributes =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    Sha256 hash;
    std::vector<char> buffer(CopyBufferSize);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(Source, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) ||
            (read > 0 && !WriteAll(target.Get(), buffer.data(), read))) {
            DeleteHeldEntry(target.Get());
            return false;
        }
        if (read == 0)
            break;
        if (Digest) // a few MB of an installer are worth no digest that nobody asked for
            hash.Update(buffer.data(), read);
    }
    if ((Flush && !FlushFileBuffers(target.Get())) ||
        !SetAttributesAndTime(target.Get(), info.dwFileAttributes & keptAttributes, &info.ftLastWriteTime)) {
        DeleteHeldEntry(target.Get());
        return false;
    }
    if (Digest)
        *Digest = hash.Finish();
    return true;
}

bool IsEmptyFolder(HANDLE Folder)
{
    std::vector<FolderEntry> entries;
    return ListFolder(Folder, entries) && entries.empty();
}

bool EmptyHeldFolder(HANDLE Folder)
{
    std::vector<FolderEntry> entries;
    if (!ListFolder(Folder, entries))
        return false;
    bool emptied = true;
    for (const FolderEntry& entry : entries) {
        if (!entry.IsFolder() || entry.IsLink()) {
            // A link goes itself: the handle is opened on the link, never on what it leads to.
            emptied = DeleteEntry(Folder, entry.Name) && emptied;
            continue;
        }
        FileHandle folder =
            OpenEntry(Folder, entry.Name,
                      FILE_LIST_DIRECTORY | FILE_TRAVERSE | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, EntryKind::Folder);
        if (!folder) {
            emptied = false;
            continue;
        }
        // A folder that shows as a link only through its handle is not entered either.
        const bool link = IsLinkedEntry(folder.Get());
        emptied = (link || EmptyHeldFolder(folder.Get())) && DeleteHeldEntry(folder.Get()) && emptied;
    }
    return emptied;
}

std::string UnpredictableName(size_t Bytes)
{
    std::vector<unsigned char> random(Bytes);
    // RtlGenRandom: the system's generator of random numbers for keys, in ADVAPI32 since Windows XP.
    if (!RtlGenRandom(random.data(), static_cast<ULONG>(random.size())))
        return std::string();
    static const char digits[] = "0123456789abcdef";
    std::string name;
    for (unsigned char byte : random)
        name += std::string{digits[byte >> 4], digits[byte & 15]};
    return name;
}

void FlushVolumeOf(const std::string& Path)
{
    if (Path.size() < 2 || Path[1] != ':')
        return;
    const std::string volume = "\\\\.\\" + Path.substr(0, 2);
    FileHandle device(CreateFileA(volume.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (device)
        FlushFileBuffers(device.Get());
}
