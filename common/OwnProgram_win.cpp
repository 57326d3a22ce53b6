#include "OwnProgram_win.h"

#include <windows.h>

#include <vector>


std::wstring OwnProgramPath()
{
    // GetModuleFileNameW truncates silently when the buffer is too small: it grows until the
    // whole path fits (32767 characters at most).
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size() || buffer.size() >= 32768)
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ExtendedLengthPath(const std::wstring& FullPath)
{
    if (FullPath.size() < MAX_PATH || FullPath.compare(0, 4, L"\\\\?\\") == 0)
        return FullPath;
    if (FullPath.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + FullPath.substr(2);
    return L"\\\\?\\" + FullPath;
}
