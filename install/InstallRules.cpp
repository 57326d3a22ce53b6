#include "InstallRules.h"

#include "BriCommon.h"
#include "Product.h"

const char* const RunKeyName = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const LocalMachineName = "HKEY_LOCAL_MACHINE";
const char* const CurrentUserName = "HKEY_CURRENT_USER";
const char* const MissingManifestMessage = "Cannot find the data file. Exiting";
const char* const GroupNotCreatedMessage = "Couldn't create the program group";

int CopyProgress(int32_t Done, int32_t Count)
{
    if (Count == 0)
        return 0;
    return static_cast<int>(static_cast<double>(Done) / Count * 100);
}

std::string GrantingName(const std::string& AccountName)
{
    if (!AccountName.empty() && AccountName[0] == '.' && AccountName.size() > 2)
        return AccountName.substr(2);
    return AccountName;
}

std::optional<AutostartEntry> AutostartFor(uint8_t InstallKind, const std::string& InstallDir)
{
    switch (InstallKind) {
    case ikAutoAll:
        return AutostartEntry{true, ApplicationRunValue, InstallDir + ApplicationProgram, ""};
    case ikAutoCurrent:
        return AutostartEntry{false, ApplicationRunValue, InstallDir + ApplicationProgram, ""};
    case ikService:
        return AutostartEntry{true, InterfaceRunValue, InstallDir + InterfaceProgram, ServiceSwitch};
    default:
        return std::nullopt;
    }
}

std::vector<Shortcut> ShortcutsFor(uint8_t InstallKind, const std::string& InstallDir)
{
    std::vector<Shortcut> shortcuts = {
        {"README.lnk", InstallDir + "README.TXT", ""},
        {"history.lnk", InstallDir + "history.txt", ""},
        {"LICENSE.lnk", InstallDir + "LICENSE.TXT", ""},
        {"Uninstall.lnk", InstallDir + UninstallProgram, ""},
        {"Decompressor.lnk", InstallDir + "Decompressor.exe", ""},
    };
    // The interface's shortcut names the program with its extension, as its Run entry does.
    if (InstallKind == ikService)
        shortcuts.push_back(
            {std::string(ProductName) + " Interface.lnk", InstallDir + InterfaceProgram, ServiceSwitch});
    else
        shortcuts.push_back({std::string(ProductName) + ".lnk", InstallDir + ApplicationProgram, ""});
    return shortcuts;
}

ProgramsFolderSource ProgramsFolderFor(uint8_t InstallKind, bool Windows95Family)
{
    if (InstallKind == ikAutoCurrent)
        return {true, "Programs"};
    return {false, Windows95Family ? "Programs" : "Common Programs"};
}

std::string ProgramGroupFolder(const std::string& ProgramsFolder)
{
    return AddTrailingBackslash(AddTrailingBackslash(ProgramsFolder) + ProgramGroup);
}

namespace LogLine {

const char* const PostInstall = "Performing post-install configuration";
const char* const ServiceInstalled = "The service was succesfully installed";
const char* const ServiceNotInstalled = "The service COULDN'T be installed";
const char* const CreatingIcons = "Creating the icons on the start menu";
const char* const IconsCreated = "Icons created";
const char* const StartingService = "Starting the service";
const char* const ServiceStarted = "Service started";
const char* const ServiceNotStarted = "Couldn't start the service";
const char* const StartingInterface = "Starting the user interface";
const char* const InterfaceStarted = "User interface started";
const char* const StartingApplication = "Starting the application";
const char* const ApplicationStarted = "Application started";
const char* const InterfaceLeftOut = "The user interface is not started: a silent installation starts no program";
const char* const ApplicationLeftOut = "The application is not started: a silent installation starts no program";

std::string CouldNotLoad(const std::string& Library)
{
    return "Couldn't load " + Library;
}

std::string CouldNotWrite(const std::string& Hive, const std::string& KeyPath)
{
    return "Couldn't write " + Hive + KeyPath;
}

std::string Creating(const std::string& Folder)
{
    return "Creating " + Folder;
}
std::string CouldNotCreate(const std::string& Folder)
{
    return "Couldn't create " + Folder;
}
std::string FileCopied(const std::string& Folder, const std::string& File)
{
    return "File " + Folder + File + " copied";
}
std::string CouldNotCopy(const std::string& Folder, const std::string& File)
{
    return "Could'nt copy " + Folder + File;
}
std::string ReplacedAtRestart(const std::string& Folder, const std::string& File)
{
    return "File " + Folder + File + " is in use: the new one replaces it when Windows starts again";
}
std::string Granting(const std::string& Name)
{
    return "Granting " + Name + " the privilege to logon as a service";
}
std::string Granted(const std::string& AccountName)
{
    return "The account " + AccountName + " has been granted the privilege to logon as a service";
}
std::string NotGranted(const std::string& AccountName)
{
    return "Couldn't grant the privilege to logon as a service to " + AccountName;
}
std::string WritingAutostart()
{
    return std::string("Writting to the registry key ") + RunKeyName + " to allow autostart";
}
std::string CouldNotStartInterface(const std::string& SystemText)
{
    return "Couln't start the user interface: " + SystemText;
}
std::string CouldNotStartApplication(const std::string& SystemText)
{
    return "Couln't start the application: " + SystemText;
}

} // namespace LogLine
