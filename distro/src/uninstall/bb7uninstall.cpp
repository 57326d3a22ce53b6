// bb7uninstall.exe: removes an installation of the product from the folder that holds it.
//
//   bb7uninstall.exe [-nowarning | -nowarningclose]
//
// It asks before it starts unless a switch is given, closes the product's programs, stops and
// deletes the service, removes the autostart entries, the program group, the registry records
// and the files that the manifest beside it names, then the folders left empty, and reports
// at the end unless "-nowarningclose" is given. It returns only when all of that is done.
// Exit codes: 0 removed, 1 the user said No, 2 something could not be removed, 3 unknown
// switches.
#include <windows.h>

#include "BriCommon.h"
#include "Common_Custom.h"
#include "KeptFolders_win.h"
#include "MadeFolders_win.h"
#include "Product.h"
#include "ServiceControl.h"
#include "UninstallPlan.h"
#include "UninstallSteps_win.h"
#include "WinHandles.h"

namespace {

const char* const Caption = "Brisel Backup 7 Uninstall";
const DWORD ProgramCloseTimeoutMs = 15000;

enum ExitCode { Removed = 0, Declined = 1, NotRemoved = 2, BadArguments = 3 };

int ShowBox(const std::string& Text, UINT Type)
{
    // No owner window: the box comes to the front itself, also when a waiting installer started us.
    return MessageBoxA(nullptr, Text.c_str(), Caption, Type | MB_SETFOREGROUND);
}

std::optional<std::string> ReadManifest(const std::string& Path)
{
    FileHandle file(CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

std::string Report(const TUninstallResult& Result)
{
    std::string text;
    if (!Result.Failed()) {
        text = std::string(ProductName) + " has been removed from this computer.";
    } else {
        text = std::string(ProductName) + " could not be removed completely. These are left:\n";
        for (const std::string& item : Result.Left)
            text += "\n  " + item;
        text += "\n\nClose the programs that may use them and run the uninstaller again.";
    }
    if (!Result.Kept.empty()) {
        text += "\n\nKept:";
        for (const std::string& item : Result.Kept)
            text += "\n  " + item;
    }
    return text;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const TUninstallOptions options = ParseUninstallArguments(std::vector<std::string>(__argv + 1, __argv + __argc));
    if (!options.Valid) {
        ShowBox("Usage: bb7uninstall.exe [-nowarning | -nowarningclose]\n\n"
                "-nowarning: remove without asking first.\n"
                "-nowarningclose: remove without asking first and without the report at the end.",
                MB_OK | MB_ICONERROR);
        return BadArguments;
    }
    if (options.Confirm &&
        ShowBox(std::string("Do you want to remove ") + ProductName +
                    " from this computer?\n\nIts service, autostart entries, program group, registry records "
                    "and program files will be removed. Files of your own in its folder are kept.",
                MB_YESNO | MB_ICONQUESTION) != IDYES)
        return Declined;

    const std::string folder = GetProgramFolder();
    // The installation folder must not be anyone's current folder when it is removed, ours included.
    SetCurrentDirectoryA(GetSpecialFolder(sfTemp).c_str());

    TUninstallResult result;
    CloseProductPrograms(ProgramCloseTimeoutMs);
    const std::optional<std::string> recorded = RecordedInstallFolder();
    std::string foldersMade; // read before the records go
    if (RecordsBelongTo(recorded, folder)) {
        foldersMade = RecordedFoldersMade();
        RemoveService(result);
        RemoveRunEntries(result);
        RemoveProgramGroups(result);
        RemoveRegistryRecords(result);
    } else {
        result.Kept.push_back("the service, autostart entries, program group and registry records of the "
                              "installation in " +
                              *recorded);
    }

    const std::optional<std::string> manifest = ReadManifest(folder + ManifestFile);
    if (!manifest) {
        result.Left.push_back(std::string("the program files: their list ") + folder + ManifestFile + " is missing");
    } else {
        RemoveFiles(folder, PlanRemoval(SplitTextLines(*manifest), UninstallProgram, ManifestFile), result);
    }
    // With files left over, the uninstaller stays beside its list, so that it can be run again.
    if (!result.Failed())
        RemoveOwnFile(folder, result);
    // A folder that stays (the user's own files in it, something that could not be removed) is
    // noted where only administrators may write: a later installation may take it as the
    // product's own again, with what it holds.
    if (FolderExists(folder)) {
        RecordKeptFolder(folder);
    } else {
        ForgetKeptFolder(folder);
        // The folders that the installation made above its own ("C:\My Apps (x86)" for
        // "C:\My Apps (x86)\B7"), each while nothing else is in it, never through a link.
        RemoveEmptyFoldersUpTo(FolderAbove(folder), foldersMade);
    }

    if (options.Report)
        ShowBox(Report(result), MB_OK | (result.Failed() ? MB_ICONWARNING : MB_ICONINFORMATION));
    return result.Failed() ? NotRemoved : Removed;
}
