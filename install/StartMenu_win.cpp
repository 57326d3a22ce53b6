// The Start menu's program group with its shortcuts, and the start of the installed product.
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "BriCommon.h"
#include "BriErrors.h"
#include "InstallRules.h"
#include "Installation.h"
#include "Product.h"
#include "ProgramGroup_win.h"
#include "Registry.h"

namespace {

// A shell link object that cannot be made ends the installation, as an unhandled error.
void RequireCom(HRESULT Result)
{
    if (FAILED(Result))
        throw EOSError(static_cast<uint32_t>(Result), SysErrorMessage(static_cast<uint32_t>(Result)));
}

// The bytes of a shortcut file: what the link object writes of itself (IPersistFile::Save
// writes the same into the file it names). Empty when it cannot be written.
std::string PersistedLink(IPersistStream* Link)
{
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive())) || FAILED(Link->Save(stream.Get(), TRUE)))
        return "";
    HGLOBAL memory = nullptr;
    STATSTG stat = {};
    if (FAILED(GetHGlobalFromStream(stream.Get(), &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return "";
    const char* bytes = static_cast<const char*>(GlobalLock(memory));
    std::string data = bytes ? std::string(bytes, static_cast<size_t>(stat.cbSize.QuadPart)) : std::string();
    GlobalUnlock(memory);
    return data;
}

// Windows 95/98/Me: the file made anew at Path.
void WriteNewFile(const std::string& Path, const std::string& Data)
{
    FileHandle file(CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file && !Data.empty())
        WriteFile(file.Get(), Data.data(), static_cast<DWORD>(Data.size()), &written, nullptr);
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
    // Only a group made anew gets shortcuts: one left by an earlier installation is not touched,
    // nor is one behind a link. Windows 95/98/Me knows no links, nor the calls that see them.
    const std::string group = ProgramGroupFolder(programs);
    FileHandle held;
    const bool made = IsNtPlatform() ? MakeProgramGroup(programs, ProgramGroup, held) == GroupMade::Made
                                     : CreateDirectoryA(group.c_str(), nullptr) != 0;
    if (!made) {
        sink_.Inform(GroupNotCreatedMessage);
        return;
    }
    // One shell link object serves for every shortcut. It is written to memory and from there
    // into a file made anew in the held group, never through a link at the shortcut's name.
    ComPtr<IShellLinkA> link;
    RequireCom(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IShellLinkA,
                                link.ReceiveVoid()));
    ComPtr<IPersistStream> persist;
    RequireCom(link->QueryInterface(IID_IPersistStream, persist.ReceiveVoid()));
    for (const Shortcut& shortcut : ShortcutsFor(settings_.InstallKind, settings_.InstallDir)) {
        link->SetArguments(shortcut.Arguments.c_str());
        link->SetPath(shortcut.Target.c_str());
        link->SetWorkingDirectory(settings_.InstallDir.c_str());
        const std::string data = PersistedLink(persist.Get());
        if (held)
            WriteGroupFile(held.Get(), shortcut.File, data);
        else
            WriteNewFile(group + shortcut.File, data);
    }
    // What IPersistFile::Save would have told the shell: the Start menu shows the group at once.
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, group.c_str(), nullptr);
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
