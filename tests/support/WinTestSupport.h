// Helpers of the Windows tests: waiting for a condition, names that no parallel test uses,
// folders and files, and a scratch folder that is removed with everything in it.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

// Waits until Condition holds, polling; false after Timeout.
bool WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout);

// Prefix followed by this process's id, the time and a counter.
std::string UniqueTestName(const std::string& Prefix);

// Removes a folder and everything below it, read-only files included; a link below it is
// removed as a link, without entering it.
void RemoveTree(const std::string& Path);
bool FolderPresent(const std::string& Path);
bool FilePresent(const std::string& Path);
std::string ReadWholeFile(const std::string& Path); // empty when it cannot be read
void WriteWholeFile(const std::string& Path, const std::string& Data);

std::string WindowText(HWND Window);

// Symbolic links, which Wine makes none of itself (its CreateSymbolicLinkA does nothing): the
// host's "ln -s" makes one, which Wine shows as a reparse point, and the host's "rm" removes
// it, where every Win32 call of Wine would act on what it leads to.
bool PlantSymbolicLink(const std::string& Link, const std::string& Target);
bool RemoveSymbolicLink(const std::string& Link);
bool IsLink(const std::string& Path);

// A drive letter that names no drive: its root cannot be reached. Wine maps Z: to the root
// of the host's file system, so the search starts below it.
char MissingDriveLetter();
std::string TempFolder(); // with a trailing backslash
std::string OwnFolder();  // the folder of this test program, with a trailing backslash

// A new folder below Base (with its trailing backslash); Path() has no trailing backslash.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& Base = TempFolder());
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& Name) const { return path_ + "\\" + Name; }
    void WriteFile(const std::string& Name) const { WriteWholeFile(*this / Name, ""); }

private:
    std::string path_;
};
