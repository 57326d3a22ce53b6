// Program entry of the setup wizard.
#include <windows.h>

#include <objbase.h>

#include "Application.h"
#include "CommandLine.h"
#include "LogFilePlace.h"
#include "MessageBoxes.h"
#include "RunLog.h"
#include "SingleInstance.h"
#include "SilentRun.h"
#include "WinHandles.h"
#include "ZipDialogs.h"
#include "unit_Setup_Main.h"

namespace {

// Libraries that the program or the system's own libraries load by name come from the
// system folder only: an installer usually runs from a downloads folder, where anybody may
// have left a library of a system library's name.
void LoadLibrariesFromTheSystemFolderOnly()
{
    const DWORD SearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    // Systems before Windows 8 have it only with an update: the lookup may find nothing.
    auto setDefault = ModuleExport<SetDefaultDllDirectoriesProc>(kernel, "SetDefaultDllDirectories");
    if (setDefault)
        setDefault(SearchSystem32);
    SetDllDirectoryA(""); // and never the current folder
}

} // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int)
{
    LoadLibrariesFromTheSystemFolderOnly();
    Application::Initialize(Instance);
    Application::SetTitle("Brisel Backup 7 Setup");

    // The command line as Windows holds it, in UTF-16: the one that WinMain is given is in the
    // ANSI code page, where "/dir=C:\Āpps" has already become another folder, "C:\Apps".
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is the wide text of Windows");
    CommandLineOptions options =
        ParseWideArguments(ArgumentsAfterProgramName(reinterpret_cast<const char16_t*>(GetCommandLineW())));
    // Before anything is written, the log's own place; a refused one goes unused.
    const std::string logRefusal = RefusalOfLogFile(options);
    if (!logRefusal.empty()) {
        if (options.Error.empty())
            options.Error = logRefusal;
        options.LogFile.clear();
    }
    int exitCode = 0;
    if (!RunsWizard(options))
        return RunWithoutWizard(options); // which starts COM only where it makes shell links
    if (ClaimSingleInstance() == SingleInstance::AnotherCopy) {
        InformationBox(AlreadyRunningMessage);
        return ecNotInstalled;
    }

    // The shell's folder dialog and shell links need a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ZipDialogs zipDialogs;
        SetZipUserPrompts(&zipDialogs);
        {
            TMainForm mainForm;
            mainForm.LogFilePath = RunLogPath(options);
            Application::Run(mainForm);
            exitCode = mainForm.ExitCode;
        }
        SetZipUserPrompts(nullptr);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
