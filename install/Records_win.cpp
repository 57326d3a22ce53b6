// The product's own registry records: where and how it is installed, and its uninstall entry.
#include "BriCommon.h"
#include "InstallRules.h"
#include "Installation.h"
#include "Product.h"
#include "Registry.h"
#include "UninstallDetails_win.h"

void TInstallation::WriteSettings()
{
    // A key that the system refuses (no rights, a policy) is said so: the record is missing.
    if (RegKey key = CreateRegKey(settings_.Hives.LocalMachine, ProductKeyPath, KEY_WRITE)) {
        SetRegString(key.Get(), PathValue, settings_.InstallDir);
        SetRegDword(key.Get(), InstallationTypeValue, settings_.InstallKind);
        if (!settings_.FoldersMade.empty())
            SetRegString(key.Get(), FoldersMadeValue, settings_.FoldersMade);
        else
            DeleteRegValue(key.Get(), FoldersMadeValue); // an earlier installation's, elsewhere
        RecordsWritten = true;
    } else {
        RecordsWritten = false;
        Log(LogLine::CouldNotWrite(LocalMachineName, ProductKeyPath), true);
    }
    sink_.ProcessMessages();
}

void TInstallation::WriteUninstallEntry()
{
    if (RegKey key = CreateRegKey(settings_.Hives.LocalMachine, UninstallKeyPath, KEY_ALL_ACCESS)) {
        SetRegString(key.Get(), DisplayNameValue, ProductName);
        // In quotes: the folder usually holds blanks, and Windows would otherwise try
        // "C:\Program.exe" first when the user uninstalls.
        SetRegString(key.Get(), UninstallStringValue, QuoteText(settings_.InstallDir + UninstallProgram));
        WriteUninstallDetails(key.Get(), settings_.InstallDir);
    } else {
        RecordsWritten = false;
        Log(LogLine::CouldNotWrite(LocalMachineName, UninstallKeyPath), true);
    }
    sink_.ProcessMessages();
}
