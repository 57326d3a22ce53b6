// Program entry of the setup wizard.
#include <windows.h>

#include <objbase.h>

#include "Application.h"
#include "ZipDialogs.h"
#include "unit_Setup_Main.h"

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int)
{
    // The shell's folder dialog and shell links need a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Application::Initialize(Instance);
    Application::SetTitle("Brisel Backup 7 Setup");

    ZipDialogs zipDialogs;
    SetZipUserPrompts(&zipDialogs);
    {
        TMainForm mainForm;
        Application::Run(mainForm);
    }
    SetZipUserPrompts(nullptr);
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}
