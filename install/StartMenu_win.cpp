// The Start menu's program group with its shortcuts, and the start of the installed product.
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "BriCommon.h"
#include "BriErrors.h"
#include "InstallRules.h"
#include "Installation.h"
#include "Product.h"
#include "Registry.h"

namespace {

std::wstring Wide(const std::string& Text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, Text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// A shell link object that cannot be made ends the installation, as an unhandled error.
void RequireCom(HRESULT Result)
{
    if (FAILED(Result))
        throw EOSError(static_cast<uint32_t>(Result), SysErrorMessage(static_cast<uint32_t>(Result)));
}

// Opens Program as the shell does; true when it started. Parameters may be empty.
bool OpenProgram(const std::string& Program, const char* Parameters)
{
    const HINSTANCE result = ShellExecuteA(nullptr, "open", Program.c_str(), Parameters, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace

std::string TInstallation::GetProgramsFolder()
{
    const ProgramsFolderSource source = ProgramsFolderFor(settings_.InstallKind, settings_.Windows95Family);
    std::string folder = ReadKeyString(source.CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                                       ShellFoldersKeyPath, source.ValueName)
                             .value_or("");
    if (folder.empty())
        folder = ReadKeyString(HKEY_USERS, DefaultUserShellFoldersKeyPath, "Programs").value_or("");
    return folder;
}

void TInstallation::CreateStartMenuIcons()
{
    Log(LogLine::CreatingIcons);
    const std::string programs = GetProgramsFolder();
    if (programs.empty())
        return;
    // Only a group made anew gets shortcuts: one left by an earlier installation is not touched.
    const std::string group = ProgramGroupFolder(programs);
    if (!CreateDirectoryA(group.c_str(), nullptr)) {
        sink_.Inform(GroupNotCreatedMessage);
        return;
    }
    // One shell link object serves for every shortcut.
    ComPtr<IShellLinkA> link;
    RequireCom(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IShellLinkA,
                                link.ReceiveVoid()));
    ComPtr<IPersistFile> file;
    RequireCom(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid()));
    for (const Shortcut& shortcut : ShortcutsFor(settings_.InstallKind, settings_.InstallDir)) {
        link->SetArguments(shortcut.Arguments.c_str());
        link->SetPath(shortcut.Target.c_str());
        link->SetWorkingDirectory(settings_.InstallDir.c_str());
        file->Save(Wide(group + shortcut.File).c_str(), FALSE);
    }
    Log(LogLine::IconsCreated);
    sink_.ProcessMessages();
}

void TInstallation::StartProgram()
{
    const bool service = settings_.InstallKind == ikService;
    if (service) {
        Log(LogLine::StartingService);
        if (ServiceLib.StartAService) {
            if (ServiceLib.StartAService(ServiceName))
                Log(LogLine::ServiceStarted);
            else
                Log(LogLine::ServiceNotStarted, true);
        }
    }
    if (!settings_.StartProgramWindow) {
        Log(service ? LogLine::InterfaceLeftOut : LogLine::ApplicationLeftOut);
    } else if (service) {
        Log(LogLine::StartingInterface);
        if (OpenProgram(settings_.InstallDir + InterfaceProgram, ServiceSwitch))
            Log(LogLine::InterfaceStarted);
        else
            Log(LogLine::CouldNotStartInterface(SysErrorMessage(GetLastError())), true);
    } else {
        Log(LogLine::StartingApplication);
        if (OpenProgram(settings_.InstallDir + ApplicationProgram, nullptr))
            Log(LogLine::ApplicationStarted);
        else
            Log(LogLine::CouldNotStartApplication(SysErrorMessage(GetLastError())), true);
    }
    sink_.ProcessMessages();
}
