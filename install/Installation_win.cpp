// The sequence of the installation and its post-install part.
#include "Installation.h"

#include "InstallRules.h"

TInstallation::TInstallation(InstallSettings Settings, InstallSink& Sink) : settings_(std::move(Settings)), sink_(Sink)
{
}

bool TInstallation::Install()
{
    CopyCount = 0;
    ServiceLib = TServiceLib();
    const bool service = settings_.InstallKind == 3;
    struct FreeAtEnd { // the library goes last, also when a step raises
        TInstallation& Self;
        bool Service;
        ~FreeAtEnd()
        {
            if (Service)
                Self.FreeServiceLibrary();
        }
    } freeAtEnd{*this, service};

    // Before any file is written: the earlier service may still run from the folder.
    if (settings_.ReplaceEarlierRecords)
        RemoveEarlierRecords();
    const bool placed = static_cast<bool>(settings_.PlaceFiles);
    if (service && !placed)
        LoadServiceLibrary();
    if (!(placed ? settings_.PlaceFiles(sink_) : CopyFiles()))
        return false;
    if (service && placed)
        LoadServiceLibrary();
    PostInstall();
    return true;
}

void TInstallation::PostInstall()
{
    sink_.Busy(true);
    struct Restore {
        InstallSink& Sink;
        ~Restore() { Sink.Busy(false); }
    } restore{sink_};
    Log(LogLine::PostInstall);
    WriteSettings();
    RegisterService();
    WriteAutostart();
    WriteUninstallEntry();
    if (settings_.CreateIcons)
        CreateStartMenuIcons();
    StartProgram();
}
