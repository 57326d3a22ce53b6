// Helpers of the Windows tests: names that no parallel test uses, and a scratch folder that
// is removed with everything in it.
#pragma once

#include <windows.h>

#include <string>

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
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName, path = Folder + "\\" + name;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            DeleteFileA(path.c_str());
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryA(Folder.c_str());
}

inline std::string TempFolder()
{
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof(temp), temp);
    return temp;
}

// A new folder below Base (with its trailing backslash); Path() has no trailing backslash.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& Base = TempFolder()) : path_(Base + UniqueTestName("bb7test"))
    {
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& Name) const { return path_ + "\\" + Name; }
    void WriteFile(const std::string& Name) const
    {
        CloseHandle(CreateFileA((*this / Name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }

private:
    std::string path_;
};
