#include "UpgradeFolder.h"

#include <windows.h>

#include <shlobj.h>

#include "BriCommon.h"
#include "PrivateFolder.h"
#include "Product.h"
#include "EarlierVersion.h"
#include "OwnProgram_win.h"
#include "Registry.h"
#include "UnpackedFile.h"
#include "WinHandles.h"

const char* const KeptFilesFolder = "Kept\\Files\\";
const char* const KeptShortcutsFolder = "Kept\\Shortcuts\\";

namespace {

const char* const JournalFile = "journal.txt";
const char* const FinishingCopy = "Bb7Setup.exe";
const size_t JournalMaxSize = 4 << 20;

// The RunOnce key that Windows reads at its start. A 32-bit program would write the 32-bit view;
// the system's own (64-bit) view is read on every system.
const REGSAM RunOnceAccess = KEY_READ | KEY_WRITE | KEY_WOW64_64KEY;

std::string OwnProgram()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

} // namespace

std::string UpgradeFolder()
{
    char data[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, data)) || !*data)
        return std::string();
    return AddTrailingBackslash(data) + ProductName + " Setup\\";
}

bool OpenUpgradeFolder(bool Fresh)
{
    const std::string folder = UpgradeFolder();
    if (folder.empty())
        return false;
    const std::string path = folder.substr(0, folder.size() - 1);
    switch (MakePrivateFolder(path)) {
    case PrivateFolderState::Refused:
        return false;
    case PrivateFolderState::Trusted:
        if (Fresh)
            RemoveTreeWithoutLinks(folder + "Kept");
        return true;
    case PrivateFolderState::Made:
    case PrivateFolderState::TakenOver:
        return true;
    }
    return false;
}

bool WriteUpgradeJournal(const UpgradeJournal& Journal)
{
    const std::string journal = UpgradeFolder() + JournalFile;
    const std::string fresh = journal + ".new";
    const std::string text = JournalText(Journal);
    {
        FileHandle file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(file.Get()))
            return false;
    }
    return MoveFileExA(fresh.c_str(), journal.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::optional<UpgradeJournal> ReadUpgradeJournal()
{
    const std::string folder = UpgradeFolder();
    if (folder.empty() || GetFileAttributesA((folder + JournalFile).c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    // A journal in a folder that somebody else could change is nobody's: taking the folder over
    // empties it.
    if (!OpenUpgradeFolder(false) || GetFileAttributesA((folder + JournalFile).c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    FileHandle file = OpenUnchangeable(folder + JournalFile);
    std::string text;
    if (!file || !ReadHeldFile(file.Get(), text, JournalMaxSize))
        return std::nullopt;
    return ReadJournal(text);
}

bool RegisterFinishAtStart()
{
    const std::string copy = UpgradeFolder() + FinishingCopy;
    if (!SameFileName(OwnProgram(), copy) && !CopyOwnProgramFile(copy))
        return false;
    RegKey runOnce = CreateRegKey(HKEY_LOCAL_MACHINE, RunOnceKeyPath, RunOnceAccess);
    return runOnce && WriteRegString(runOnce.Get(), FinishRunOnceValue, QuoteText(copy) + " " + FinishSwitch);
}

void RemoveUpgradeFolder()
{
    const std::string folder = UpgradeFolder();
    if (folder.empty())
        return;
    if (RegKey runOnce = OpenRegKey(HKEY_LOCAL_MACHINE, RunOnceKeyPath, RunOnceAccess))
        DeleteRegValue(runOnce.Get(), FinishRunOnceValue);
    RemoveTreeWithoutLinks(folder + "Kept");
    DeleteFileA((folder + JournalFile).c_str());
    DeleteFileA((folder + JournalFile + ".new").c_str());
    const std::string copy = folder + FinishingCopy;
    // The running copy cannot delete its own file: Windows does at its next start.
    if (!DeleteFileA(copy.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        MoveFileExA(copy.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    RemoveDirectoryA(folder.substr(0, folder.size() - 1).c_str());
}
