// Helpers of the Windows tests: waiting for a condition, names that no parallel test uses,
// folders and files, and a scratch folder that is removed with everything in it.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Waits until Condition holds, polling; false after Timeout.
bool WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout);

// Prefix followed by this process's id, the time and a counter.
std::string UniqueTestName(const std::string& Prefix);

// Removes a folder and everything below it, read-only files included. A folder link below it
// is removed itself, never entered.
void RemoveTree(const std::string& Path);

// The same for a folder named in UTF-16, of any name ("Kit-Ā") and depth (beyond MAX_PATH).
void RemoveTreeWide(const std::wstring& Path);

// Starts Exe with these arguments through Wine's own loader, as a shell of the host would
// ("wine Exe ARG..."): CreateProcessW starts no program whose path is longer than MAX_PATH,
// the loader does. Nothing follows the program: callers wait for what it does. False when it
// could not be started.
bool StartThroughWineLoader(const std::wstring& Exe, const std::vector<std::string>& Arguments);

// The host's path of a Windows path (Wine's wine_get_unix_file_name); empty when it has none.
std::string HostPath(const std::string& Path);
// Starts a program of the host (Wine runs a Unix program as it is); it cannot be waited for.
void StartHostProgram(const std::string& CommandLine);

// A symbolic link of the host at Link that leads to Target (both Windows paths), made by the
// host's own ln as another program would plant it: Wine shows a link to a folder as a
// reparse point and follows links like the systems' own. False when it was not made.
bool MakeHostLink(const std::string& Target, const std::string& Link);
// Removes a link, whatever it leads to, and never what it leads to.
void RemoveHostLink(const std::string& Link);
// A host link made for a test, removed again when this object goes (or by Remove).
class PlantedLink {
public:
    PlantedLink(const std::string& Target, const std::string& Link) : link_(Link), made_(MakeHostLink(Target, Link)) {}
    ~PlantedLink() { Remove(); }
    PlantedLink(const PlantedLink&) = delete;
    PlantedLink& operator=(const PlantedLink&) = delete;
    explicit operator bool() const { return made_; }
    void Remove()
    {
        if (made_)
            RemoveHostLink(link_);
        made_ = false;
    }

private:
    std::string link_;
    bool made_;
};
// A link, junction or other reparse point, as Wine shows a link to a folder.
bool IsLink(const std::string& Path);
bool FolderPresent(const std::string& Path);

// The owner and DACL of a file or folder in their text form, as the system shows them (Wine
// shows its Unix mode bits so); empty when they cannot be read.
std::string SecurityText(const std::string& Path);
// Lets everybody change the file or folder and what is made in it (Wine: mode bits for all),
// as the folder or file of an ordinary user may. False when the system refuses.
bool LetEverybodyChange(const std::string& Path);
bool FilePresent(const std::string& Path);
std::string ReadWholeFile(const std::string& Path); // empty when it cannot be read
void WriteWholeFile(const std::string& Path, const std::string& Data);

std::string WindowText(HWND Window);

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
