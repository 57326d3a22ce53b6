// bb7recorder: stands in for an old version's uninstaller. It appends its command line to
// "<its own path>.log", works for a second and a half, then appends "done", so that a test
// can tell whether the installer waited for it.
#include <windows.h>

#include <fstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string log = std::string(path) + ".log";
    std::ofstream(log, std::ios::app | std::ios::binary) << GetCommandLineA() << "\n";
    Sleep(1500);
    std::ofstream(log, std::ios::app | std::ios::binary) << "done\n";
    return 0;
}
