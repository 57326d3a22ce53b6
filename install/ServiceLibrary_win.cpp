// The service library, the service's registration and the autostart entries.
#include "Autostart.h"
#include "BriCommon.h"
#include "InstallRules.h"
#include "Installation.h"
#include "Product.h"
#include "UnpackedFile.h"

void TInstallation::WriteAutostartEntry(const AutostartEntry& Entry)
{
    // SetAutostart's write, below the hive the records go to; a Run key that the system
    // refuses is said so.
    const HKEY hive = Entry.AllUsers ? settings_.Hives.LocalMachine : settings_.Hives.CurrentUser;
    if (!WriteAutostartValue(hive, RunKeyPath, Entry.ValueName, Entry.Program, Entry.Switch))
        Log(LogLine::CouldNotWrite(Entry.AllUsers ? LocalMachineName : CurrentUserName, RunKeyPath), true);
}

void TInstallation::LoadServiceLibrary(const std::string& Folder)
{
    const std::string path = Folder + ServiceLibraryFile;
    // The installer may run elevated, and other programs of the user may write to the
    // unpacked folder: from the check of its content until it is loaded, the file is held
    // open with writes and deletion denied, so that the library loaded is the product's own.
    FileHandle hold = OpenUnchangeable(path);
    if (hold && HasUnpackedContent(hold.Get(), source_.DigestOf(path)))
        ServiceLib.Module.Reset(LoadLibraryA(path.c_str()));
    hold.Reset();
    // A missing library is said so as one that does not load: without it no service is installed.
    if (!ServiceLib.Module) {
        Log(LogLine::CouldNotLoad(ServiceLibraryFile), true);
        return;
    }
    // A missing export leaves its entry point out, silently.
    HMODULE module = ServiceLib.Module.Get();
    ServiceLib.AddLogonAsAService = ModuleExport<TAddLogonAsAService>(module, AddLogonAsAServiceName);
    ServiceLib.InstallAService = ModuleExport<TInstallAService>(module, InstallAServiceName);
    ServiceLib.StartAService = ModuleExport<TStartAService>(module, StartAServiceName);
}

void TInstallation::RegisterService()
{
    if (settings_.InstallKind == ikService) {
        if (settings_.AccountKind == akNamedAccount) {
            const std::string name = GrantingName(settings_.AccountName);
            Log(LogLine::Granting(name));
            if (ServiceLib.AddLogonAsAService) {
                // The result lines show the name as it is stored, with its prefix.
                if (ServiceLib.AddLogonAsAService(name.c_str()))
                    Log(LogLine::Granted(settings_.AccountName));
                else
                    Log(LogLine::NotGranted(settings_.AccountName), true);
            }
        }
        // For LocalSystem the name and password go along all the same.
        if (ServiceLib.InstallAService) {
            if (ServiceLib.InstallAService(ServiceName, ServiceDisplayName, settings_.InstallDir.c_str(),
                                           settings_.AccountName.c_str(), settings_.AccountPassword.c_str(),
                                           settings_.AccountKind)) {
                ServiceRegistered = true;
                Log(LogLine::ServiceInstalled);
            } else {
                Log(LogLine::ServiceNotInstalled, true);
            }
        }
        Log(LogLine::WritingAutostart());
        WriteAutostartEntry(*AutostartFor(ikService, settings_.InstallDir));
    }
    sink_.ProcessMessages();
}

void TInstallation::WriteAutostart()
{
    if (settings_.InstallKind == ikAutoAll || settings_.InstallKind == ikAutoCurrent) {
        Log(LogLine::WritingAutostart());
        WriteAutostartEntry(*AutostartFor(settings_.InstallKind, settings_.InstallDir));
    }
    sink_.ProcessMessages();
}

void TInstallation::FreeServiceLibrary()
{
    ServiceLib = TServiceLib();
}
