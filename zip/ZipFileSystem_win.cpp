// Win32 file layer: ANSI calls throughout, as the installer uses them.
#include "ZipFileSystem.h"

#include <windows.h>

#include <cctype>
#include <vector>

namespace zipfs {
namespace {

HANDLE H(intptr_t Handle)
{
    return reinterpret_cast<HANDLE>(Handle);
}

bool DosToFileTime(uint16_t DosDate, uint16_t DosTime, FILETIME& Utc)
{
    FILETIME local;
    return DosDateTimeToFileTime(DosDate, DosTime, &local) && LocalFileTimeToFileTime(&local, &Utc);
}

int64_t ToStamp(const FILETIME& Ft)
{
    return static_cast<int64_t>((static_cast<uint64_t>(Ft.dwHighDateTime) << 32) | Ft.dwLowDateTime);
}

} // namespace

bool TZAReadFile::Open(const std::string& Path, int Mode)
{
    Close();
    // Sharing as the file open modes define it: 0x00 compatible and 0x10 exclusive share
    // nothing, 0x20 denies writing, 0x30 denies reading, 0x40 denies nothing.
    static const DWORD Sharing[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    const int shareIndex = (Mode & 0xF0) >> 4;
    const DWORD share = shareIndex < 5 ? Sharing[shareIndex] : 0;
    DWORD access = GENERIC_READ;
    if ((Mode & 3) == 1 || (Mode & 3) == 2)
        access |= GENERIC_WRITE;
    HANDLE h = CreateFileA(Path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || size.QuadPart < 0) {
        CloseHandle(h);
        return false;
    }
    Handle = reinterpret_cast<intptr_t>(h);
    FileSize = static_cast<uint64_t>(size.QuadPart);
    return true;
}

void TZAReadFile::Close()
{
    if (Handle != Invalid)
        CloseHandle(H(Handle));
    Handle = Invalid;
    FileSize = 0;
}

int64_t TZAReadFile::ReadAt(uint64_t Offset, void* Data, size_t Length)
{
    // A synchronous handle still takes the position from the OVERLAPPED structure.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(Offset);
    at.OffsetHigh = static_cast<DWORD>(Offset >> 32);
    const DWORD want = Length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(Length);
    DWORD got = 0;
    if (!ReadFile(H(Handle), Data, want, &got, &at))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return got;
}

bool TZAWriteFile::Create(const std::string& Path)
{
    Close();
    HANDLE h = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    Handle = reinterpret_cast<intptr_t>(h);
    return true;
}

bool TZAWriteFile::CreateNew(const std::string& Path)
{
    Close();
    // CREATE_NEW fails on any name that exists, a link included. FILE_SHARE_READ alone lets
    // readers in and keeps writers and deleters (renaming is deleting) out.
    HANDLE h =
        CreateFileA(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    Handle = reinterpret_cast<intptr_t>(h);
    return true;
}

bool TZAWriteFile::Write(const void* Data, size_t Length)
{
    const char* p = static_cast<const char*>(Data);
    while (Length > 0) {
        const DWORD want = Length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(Length);
        DWORD done = 0;
        if (!WriteFile(H(Handle), p, want, &done, nullptr) || done == 0)
            return false;
        p += done;
        Length -= done;
    }
    return true;
}

void TZAWriteFile::SetDosTime(uint16_t DosDate, uint16_t DosTime)
{
    FILETIME utc;
    if (DosToFileTime(DosDate, DosTime, utc))
        SetFileTime(H(Handle), nullptr, nullptr, &utc);
}

void TZAWriteFile::FlushToMedium()
{
    FlushFileBuffers(H(Handle));
}

void TZAWriteFile::Close()
{
    if (Handle != Invalid)
        CloseHandle(H(Handle));
    Handle = Invalid;
}

bool TZAFolderHold::Open(const std::string& Path)
{
    Close();
    // A folder opened for reading without FILE_SHARE_DELETE cannot be renamed or removed
    // while the handle lasts. With FILE_FLAG_OPEN_REPARSE_POINT a link opens as itself and
    // shows its attribute; Wine follows links even then, but reports them by name.
    if (IsLink(Path))
        return false;
    HANDLE h = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(h);
        return false;
    }
    Handle = reinterpret_cast<intptr_t>(h);
    return true;
}

void TZAFolderHold::Close()
{
    if (Handle != Invalid)
        CloseHandle(H(Handle));
    Handle = Invalid;
}

bool IsLink(const std::string& Path)
{
    const DWORD a = Path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(Path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool FileExists(const std::string& Path)
{
    const DWORD a = Path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(Path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& Path)
{
    const DWORD a = Path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(Path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(const std::string& Path)
{
    return !Path.empty() && CreateDirectoryA(Path.c_str(), nullptr);
}

bool GetAttributes(const std::string& Path, uint32_t& Attributes)
{
    const DWORD a = Path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(Path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return false;
    Attributes = a;
    return true;
}

bool SetAttributes(const std::string& Path, uint32_t Attributes)
{
    // Only the bits that SetFileAttributes takes; archives from other systems carry more
    // in the high word of their external attributes.
    const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_TEMPORARY |
                           FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD a = Attributes & settable;
    if (a == 0)
        a = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(Path.c_str(), a) != 0;
}

bool RemoveFile(const std::string& Path)
{
    return !Path.empty() && DeleteFileA(Path.c_str());
}

bool RemoveEmptyDir(const std::string& Path)
{
    return !Path.empty() && RemoveDirectoryA(Path.c_str());
}

bool FileModifiedTime(const std::string& Path, int64_t& Stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (Path.empty() || !GetFileAttributesExA(Path.c_str(), GetFileExInfoStandard, &data))
        return false;
    Stamp = ToStamp(data.ftLastWriteTime);
    return true;
}

bool DosDateTimeToStamp(uint16_t DosDate, uint16_t DosTime, int64_t& Stamp)
{
    FILETIME utc;
    if (!DosToFileTime(DosDate, DosTime, utc))
        return false;
    Stamp = ToStamp(utc);
    return true;
}

bool IsRemovableDrive(const std::string& Path)
{
    if (Path.size() < 2 || Path[1] != ':' || !std::isalpha(static_cast<unsigned char>(Path[0])))
        return false;
    const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(Path[0])));
    if (drive == 'A' || drive == 'B')
        return true;
    const char root[] = {drive, ':', '\\', '\0'};
    return GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

std::string OemNameToAnsi(const std::string& Name)
{
    if (Name.empty())
        return Name;
    std::vector<char> out(Name.size());
    OemToCharBuffA(Name.data(), out.data(), static_cast<DWORD>(Name.size()));
    return std::string(out.data(), out.size());
}

uint64_t AvailablePhysicalMemory()
{
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return status.dwAvailPhys;
}

std::string CurrentDirectory()
{
    char buffer[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH)
        return ".";
    return std::string(buffer, n);
}

} // namespace zipfs
