#include "WidePaths.h"

#include <windows.h>

#include <vector>

#include "AnsiCodePage.h"
#include "WinHandles.h"
#include "unit_Setup_Main.h"

std::wstring FullWidePath(const std::wstring& Path)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFullPathNameW(Path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0)
            return Path;
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

namespace {

// File names ignore letter case as the system's upper-case table has it ("é" as "É").
std::wstring UpperCase(std::wstring Text)
{
    if (!Text.empty())
        CharUpperBuffW(&Text[0], static_cast<DWORD>(Text.size()));
    return Text;
}

std::wstring ExtendedForm(const std::wstring& Path)
{
    return ExtendedLengthPath(FullWidePath(Path));
}

FileHandle OpenForQuery(const std::wstring& Path)
{
    // No access asked: a file that another program holds without sharing still answers.
    return FileHandle(CreateFileW(ExtendedForm(Path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

} // namespace

std::wstring ProgramFolderWide()
{
    const std::wstring file = OwnProgramPath();
    const size_t end = file.find_last_of(L"\\:");
    return end == std::wstring::npos ? std::wstring() : file.substr(0, end + 1);
}

std::wstring SettingsFileBesideProgram()
{
    return ProgramFolderWide() + WidePath(UnattendedFileName);
}

std::wstring WidePath(const std::string& Ansi)
{
    if (Ansi.empty())
        return std::wstring();
    std::wstring wide(Ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, Ansi.data(), static_cast<int>(Ansi.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    return wide;
}

std::string PathForLog(const std::wstring& Path)
{
    std::string ansi;
    ToAnsiCodePage(std::u16string(Path.begin(), Path.end()), ansi);
    return ansi;
}

std::string ExactAnsiPath(const std::wstring& Path)
{
    std::string ansi;
    return ToAnsiCodePage(std::u16string(Path.begin(), Path.end()), ansi) ? ansi : std::string();
}

bool FileExistsWide(const std::wstring& Path)
{
    const DWORD attributes = GetFileAttributesW(ExtendedForm(Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<TAuto> ReadSettingsFile(const std::wstring& Path)
{
    if (!FileExistsWide(Path))
        return nullptr;
    FileHandle file(CreateFileW(ExtendedForm(Path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) // there, but locked or unreadable
        throw EInOutError(ERROR_ACCESS_DENIED, "Cannot open file \"" + PathForLog(Path) + "\". Access is denied");
    std::string bytes;
    char block[4096];
    for (DWORD read = 0;; bytes.append(block, read)) {
        if (!ReadFile(file.Get(), block, sizeof block, &read, nullptr))
            throw EInOutError(GetLastError(), "Cannot read the file " + PathForLog(Path));
        if (read == 0)
            break;
    }
    return std::make_unique<TAuto>(SettingsFileBytes{bytes});
}

bool SameFile(const std::wstring& A, const std::wstring& B)
{
    if (UpperCase(FullWidePath(A)) == UpperCase(FullWidePath(B)))
        return true;
    const FileHandle a = OpenForQuery(A), b = OpenForQuery(B);
    BY_HANDLE_FILE_INFORMATION first = {}, second = {};
    return a && b && GetFileInformationByHandle(a.Get(), &first) && GetFileInformationByHandle(b.Get(), &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}
