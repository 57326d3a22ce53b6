// The log file lies in the temporary folder, where other programs of the user may have put
// a link at its name for this elevated program to write through. The file is made under a
// new name beside it and then renamed over the name: a rename replaces what stands there,
// link or not, and the file written is always the one made here.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "RunLog.h"
#include "WinHandles.h"

namespace {

// Removes the file that File holds open, whatever its name has become meanwhile.
void DeleteOpenFile(HANDLE File)
{
    // SetFileInformationByHandle exists from Windows Vista on.
    using SetFileInformationByHandleProc = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    const int FileDispositionInfoClass = 4;
    auto setInformation =
        ModuleExport<SetFileInformationByHandleProc>(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle");
    BOOLEAN deleteFile = TRUE;
    if (setInformation)
        setInformation(File, FileDispositionInfoClass, &deleteFile, sizeof deleteFile);
}

} // namespace

std::FILE* CreateReplacingFile(const std::string& Path)
{
    for (DWORD attempt = 0; attempt < 16; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%lx-%lx.new", GetCurrentProcessId(), GetTickCount() + attempt);
        const std::string fresh = Path + suffix;
        // FILE_SHARE_DELETE: the rename below opens the file by name once more.
        HANDLE file = CreateFileA(fresh.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return nullptr;
        }
        if (!MoveFileExA(fresh.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            DeleteOpenFile(file); // a folder or a locked file holds the name
            CloseHandle(file);
            return nullptr;
        }
        const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
        if (descriptor < 0) {
            CloseHandle(file);
            return nullptr;
        }
        std::FILE* stream = _fdopen(descriptor, "wb");
        if (!stream)
            _close(descriptor);
        return stream;
    }
    return nullptr;
}
