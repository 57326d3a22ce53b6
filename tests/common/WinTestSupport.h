// Helpers of the Windows tests: names that no parallel test uses, and a scratch folder that
// is removed with everything in it.
#pragma once

#include <windows.h>

#include <string>

// A name unique to this process and call, for registry values, keys and folders.
inline std::string UniqueTestName(const std::string& Prefix)
{
    static unsigned counter = 0;
    return Prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
           std::to_string(++counter);
}

inline void RemoveTree(const std::string& Folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((Folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = Folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(Folder.c_str());
}

// A new folder below the temporary folder, without a trailing backslash.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof(temp), temp);
        path_ = std::string(temp) + UniqueTestName("bb7test");
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& Name) const { return path_ + "\\" + Name; }

    void WriteFile(const std::string& Name, const std::string& Text = "x") const
    {
        HANDLE file = CreateFileA((*this / Name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, Text.data(), static_cast<DWORD>(Text.size()), &written, nullptr);
        CloseHandle(file);
    }

private:
    std::string path_;
};
