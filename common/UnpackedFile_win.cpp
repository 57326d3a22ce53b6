#include "UnpackedFile.h"

#include <vector>

namespace {

const DWORD CopyBufferSize = 256 * 1024;

bool Rewind(HANDLE File)
{
    LARGE_INTEGER start = {};
    return SetFilePointerEx(File, start, nullptr, FILE_BEGIN) != 0;
}

} // namespace

FileHandle OpenUnchangeable(const std::string& Path)
{
    // FILE_SHARE_READ alone: other handles may read, but none may write, and none may delete
    // or rename it (both need FILE_SHARE_DELETE). With FILE_FLAG_OPEN_REPARSE_POINT a link
    // opens as itself, and is then refused below instead of being followed.
    FileHandle file(CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.Get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return FileHandle();
    return file;
}

bool DigestOfOpenFile(HANDLE File, Sha256Digest& Digest)
{
    if (!Rewind(File))
        return false;
    Sha256 hash;
    std::vector<char> buffer(CopyBufferSize);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(File, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return false;
        hash.Update(buffer.data(), read);
        if (read < buffer.size())
            break; // a file on a disk reads short only at its end
    }
    Digest = hash.Finish();
    return true;
}

bool HasUnpackedContent(HANDLE File, const Sha256Digest* Expected)
{
    Sha256Digest digest;
    return Expected && DigestOfOpenFile(File, digest) && digest == *Expected;
}

bool ReadHeldFile(HANDLE File, std::string& Content, size_t MaxSize)
{
    LARGE_INTEGER size = {};
    if (!Rewind(File) || !GetFileSizeEx(File, &size) || static_cast<unsigned long long>(size.QuadPart) > MaxSize)
        return false;
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!content.empty() &&
        (!ReadFile(File, &content[0], static_cast<DWORD>(content.size()), &read, nullptr) || read != content.size()))
        return false;
    Content = std::move(content);
    return true;
}

bool ReadUnpackedFile(const std::string& Path, const Sha256Digest* Expected, std::string& Content, size_t MaxSize)
{
    FileHandle file = OpenUnchangeable(Path);
    std::string content;
    if (!file || !ReadHeldFile(file.Get(), content, MaxSize))
        return false;
    if (!Expected || Sha256Of(content.data(), content.size()) != *Expected)
        return false;
    Content = std::move(content);
    return true;
}

bool CopyHeldFile(HANDLE Source, const std::string& Target)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!Rewind(Source) || !GetFileInformationByHandle(Source, &info))
        return false;
    const DWORD keptAttributes =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    const DWORD attributes = info.dwFileAttributes & keptAttributes;
    // As CopyFileA with its fail-if-exists argument false an existing target is replaced, but by
    // a file made anew: written into, it would keep what it had of its own (its permissions and
    // owner, other names it has).
    const DWORD existing = GetFileAttributesA(Target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        if (existing & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesA(Target.c_str(), existing & ~FILE_ATTRIBUTE_READONLY);
        if (!DeleteFileA(Target.c_str()))
            return false;
    }
    FileHandle target(CreateFileA(Target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target)
        return false;
    bool copied = true;
    std::vector<char> buffer(CopyBufferSize);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(Source, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
            copied = false;
            break;
        }
        if (read == 0)
            break;
        if (!WriteFile(target.Get(), buffer.data(), read, &written, nullptr) || written != read) {
            copied = false;
            break;
        }
    }
    if (copied)
        SetFileTime(target.Get(), nullptr, nullptr, &info.ftLastWriteTime);
    target.Reset();
    if (!copied)
        DeleteFileA(Target.c_str()); // a partial file is no copy
    return copied;
}

bool CopyUnpackedFile(const std::string& Source, const Sha256Digest* Expected, const std::string& Target)
{
    FileHandle source = OpenUnchangeable(Source);
    return source && HasUnpackedContent(source.Get(), Expected) && CopyHeldFile(source.Get(), Target);
}
