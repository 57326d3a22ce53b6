// POSIX file layer: names are taken as they are, backslashes become slashes.
#include "ZipFileSystem.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zipfs {
namespace {

std::string Native(const std::string& Path)
{
    std::string p = Path;
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

bool StatPath(const std::string& Path, struct stat& St)
{
    return !Path.empty() && stat(Native(Path).c_str(), &St) == 0;
}

} // namespace

// The reader only reads, and POSIX has no sharing modes: Mode changes nothing here.
bool TZAReadFile::Open(const std::string& Path, int)
{
    Close();
    const int fd = ::open(Native(Path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    Handle = fd;
    FileSize = static_cast<uint64_t>(st.st_size);
    return true;
}

void TZAReadFile::Close()
{
    if (Handle != Invalid)
        ::close(static_cast<int>(Handle));
    Handle = Invalid;
    FileSize = 0;
}

int64_t TZAReadFile::ReadAt(uint64_t Offset, void* Data, size_t Length)
{
    if (Offset > static_cast<uint64_t>(LLONG_MAX))
        return 0;
    for (;;) {
        const ssize_t n = pread(static_cast<int>(Handle), Data, Length, static_cast<off_t>(Offset));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return -1;
    }
}

bool TZAWriteFile::Create(const std::string& Path)
{
    Close();
    const int fd = ::open(Native(Path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    Handle = fd;
    return true;
}

// POSIX has no sharing modes: only the refusal of an existing name or link holds here.
bool TZAWriteFile::CreateNew(const std::string& Path)
{
    Close();
    const int fd = ::open(Native(Path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    Handle = fd;
    return true;
}

bool TZAFolderHold::Open(const std::string& Path)
{
    Close();
    const int fd = ::open(Native(Path).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    Handle = fd;
    return true;
}

void TZAFolderHold::Close()
{
    if (Handle != Invalid)
        ::close(static_cast<int>(Handle));
    Handle = Invalid;
}

bool IsLink(const std::string& Path)
{
    struct stat st {};
    return !Path.empty() && lstat(Native(Path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool TZAWriteFile::Write(const void* Data, size_t Length)
{
    const char* p = static_cast<const char*>(Data);
    while (Length > 0) {
        const ssize_t n = ::write(static_cast<int>(Handle), p, Length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        Length -= static_cast<size_t>(n);
    }
    return true;
}

void TZAWriteFile::SetDosTime(uint16_t DosDate, uint16_t DosTime)
{
    int64_t stamp;
    if (!DosDateTimeToStamp(DosDate, DosTime, stamp))
        return;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(stamp);
    times[1].tv_nsec = 0;
    futimens(static_cast<int>(Handle), times);
}

void TZAWriteFile::FlushToMedium()
{
    fsync(static_cast<int>(Handle));
}

void TZAWriteFile::Close()
{
    if (Handle != Invalid)
        ::close(static_cast<int>(Handle));
    Handle = Invalid;
}

bool FileExists(const std::string& Path)
{
    struct stat st {};
    return StatPath(Path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& Path)
{
    struct stat st {};
    return StatPath(Path, st) && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& Path)
{
    return !Path.empty() && mkdir(Native(Path).c_str(), 0777) == 0;
}

// Only the read-only bit has a POSIX counterpart: the owner's write permission.
bool GetAttributes(const std::string& Path, uint32_t& Attributes)
{
    struct stat st {};
    if (!StatPath(Path, st))
        return false;
    Attributes = S_ISDIR(st.st_mode) ? AttrDirectory : AttrArchive;
    if (!(st.st_mode & S_IWUSR))
        Attributes |= AttrReadOnly;
    return true;
}

bool SetAttributes(const std::string& Path, uint32_t Attributes)
{
    struct stat st {};
    if (!StatPath(Path, st))
        return false;
    mode_t mode = st.st_mode & 07777;
    if (Attributes & AttrReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    return chmod(Native(Path).c_str(), mode) == 0;
}

bool RemoveFile(const std::string& Path)
{
    return !Path.empty() && unlink(Native(Path).c_str()) == 0;
}

bool RemoveEmptyDir(const std::string& Path)
{
    return !Path.empty() && rmdir(Native(Path).c_str()) == 0;
}

bool FileModifiedTime(const std::string& Path, int64_t& Stamp)
{
    struct stat st {};
    if (!StatPath(Path, st))
        return false;
    Stamp = static_cast<int64_t>(st.st_mtime);
    return true;
}

bool DosDateTimeToStamp(uint16_t DosDate, uint16_t DosTime, int64_t& Stamp)
{
    std::tm tm{};
    tm.tm_year = ((DosDate >> 9) & 0x7F) + 80;
    tm.tm_mon = ((DosDate >> 5) & 0x0F) - 1;
    tm.tm_mday = DosDate & 0x1F;
    tm.tm_hour = (DosTime >> 11) & 0x1F;
    tm.tm_min = (DosTime >> 5) & 0x3F;
    tm.tm_sec = (DosTime & 0x1F) * 2;
    tm.tm_isdst = -1;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59 || tm.tm_sec > 59)
        return false;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1))
        return false;
    Stamp = static_cast<int64_t>(t);
    return true;
}

bool IsRemovableDrive(const std::string&)
{
    return false;
}

std::string OemNameToAnsi(const std::string& Name)
{
    return Name;
}

uint64_t AvailablePhysicalMemory()
{
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

std::string CurrentDirectory()
{
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer))
        return ".";
    return buffer;
}

} // namespace zipfs
