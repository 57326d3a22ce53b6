// Helpers of the product tests: the staged product, started programs with their windows and
// message boxes, and a service that a test made.
#pragma once

#include <windows.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "ServiceFacts.h"
#include "WinHandles.h"
#include "WinTestSupport.h"

inline std::string StagedProduct() // with a trailing backslash
{
    std::string path = BB7_STAGED_DISTRO_DIR "\\";
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

inline bool PathExists(const std::string& Path)
{
    return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A program started with a command line, ended when this object goes. Its standard input reads
// nothing; its output goes to OutputFile when one is given.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& CommandLine, const std::string& OutputFile = "NUL")
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        FileHandle in(CreateFileA("NUL", GENERIC_READ, 0, &inherit, OPEN_EXISTING, 0, nullptr));
        FileHandle out(
            CreateFileA(OutputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in.Get();
        startup.hStdOutput = startup.hStdError = out.Get();
        std::string commandLine = CommandLine;
        // No console: Wine's console host holds a copy of the output handle a moment after the end.
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                       &info_);
    }
    ~StartedProgram()
    {
        if (info_.hProcess && !WaitForExit(0))
            TerminateProcess(info_.hProcess, 99), WaitForExit(5000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool WaitForExit(DWORD TimeoutMs) const { return WaitForSingleObject(info_.hProcess, TimeoutMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    // A visible top-level window of the process with this class ("#32770": a message box).
    HWND Window(const char* ClassName, DWORD TimeoutMs = 0) const
    {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (found = FindWindowExA(nullptr, nullptr, ClassName, nullptr); found;
                     found = FindWindowExA(nullptr, found, ClassName, nullptr)) {
                    DWORD processId = 0;
                    GetWindowThreadProcessId(found, &processId);
                    if (processId == info_.dwProcessId && IsWindowVisible(found))
                        return true;
                }
                return false;
            },
            std::chrono::milliseconds(TimeoutMs));
        return found;
    }

private:
    PROCESS_INFORMATION info_ = {};
};

// A message box's text is its static control 0xFFFF; its buttons answer WM_COMMAND.
inline std::string BoxText(HWND Box)
{
    return WindowText(GetDlgItem(Box, 0xFFFF));
}
inline void PressButton(HWND Box, int Id)
{
    PostMessageA(Box, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Box, Id)));
}

// Stops a service that a test made, waits for it to stop and deletes it; harmless without one.
inline void RemoveTestService(const std::string& Name)
{
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(OpenServiceA(manager.Get(), Name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    SERVICE_STATUS status = {};
    if (service && ControlService(service.Get(), SERVICE_CONTROL_STOP, &status))
        WaitUntil(
            [&] { return QueryServiceStatus(service.Get(), &status) && status.dwCurrentState == SERVICE_STOPPED; },
            std::chrono::milliseconds(10000));
    if (service)
        DeleteService(service.Get());
}
