#include "ProductTestSupport.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "WinHandles.h"

std::string StagedProduct()
{
    std::string path = BB7_STAGED_DISTRO_DIR;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path + '\\';
}

bool WaitUntil(const std::function<bool()>& Condition, DWORD TimeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (Condition())
            return true;
        if (GetTickCount() - start > TimeoutMs)
            return false;
        Sleep(20);
    }
}

std::string ReadWholeFile(const std::string& Path)
{
    std::ifstream file(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& Path)
{
    return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

StartedProgram::StartedProgram(const std::string& CommandLine, const std::string& OutputFile)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    FileHandle input(
        CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    FileHandle output(CreateFileA(OutputFile.empty() ? "NUL" : OutputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                  &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.Get();
    startup.hStdOutput = output.Get();
    startup.hStdError = output.Get();
    std::string commandLine = CommandLine;
    // Without a console: a console program would get one, and Wine's console host, which holds
    // a copy of the output handle, outlives the program for a moment.
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                        &info_))
        info_ = {};
}

StartedProgram::~StartedProgram()
{
    if (!info_.hProcess)
        return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool StartedProgram::WaitForExit(DWORD TimeoutMs) const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, TimeoutMs) == WAIT_OBJECT_0;
}

DWORD StartedProgram::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

namespace {

struct WindowSearch {
    DWORD ProcessId;
    const char* ClassName;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND Window, LPARAM Param)
{
    auto* search = reinterpret_cast<WindowSearch*>(Param);
    DWORD processId = 0;
    GetWindowThreadProcessId(Window, &processId);
    char className[64] = "";
    GetClassNameA(Window, className, sizeof(className));
    if (processId != search->ProcessId || lstrcmpA(className, search->ClassName) != 0 || !IsWindowVisible(Window))
        return TRUE;
    search->Found = Window;
    return FALSE;
}

} // namespace

HWND StartedProgram::FindWindowOfClass(const char* ClassName) const
{
    WindowSearch search = {info_.dwProcessId, ClassName, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND StartedProgram::WaitForWindow(const char* ClassName, DWORD TimeoutMs) const
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOfClass(ClassName)) != nullptr; }, TimeoutMs);
    return found;
}

std::string WindowText(HWND Window)
{
    std::string text(GetWindowTextLengthA(Window) + 1, '\0');
    text.resize(GetWindowTextA(Window, &text[0], static_cast<int>(text.size())));
    return text;
}

std::string MessageBoxText(HWND Box)
{
    HWND text = GetDlgItem(Box, 0xFFFF);
    return text ? WindowText(text) : std::string();
}

void PressMessageBoxButton(HWND Box, int Id)
{
    PostMessageA(Box, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Box, Id)));
}

std::string ChildText(HWND Window, const char* ClassName)
{
    HWND child = FindWindowExA(Window, nullptr, ClassName, nullptr);
    return child ? WindowText(child) : std::string();
}

ServiceFacts QueryService(const std::string& Name)
{
    ServiceFacts facts;
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(
        manager ? OpenServiceA(manager.Get(), Name.c_str(), SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS) : nullptr);
    if (!service)
        return facts;
    facts.Exists = true;
    std::vector<char> buffer(8192);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    DWORD needed = 0;
    if (QueryServiceConfigA(service.Get(), config, static_cast<DWORD>(buffer.size()), &needed)) {
        facts.Command = config->lpBinaryPathName ? config->lpBinaryPathName : "";
        facts.Account = config->lpServiceStartName ? config->lpServiceStartName : "";
        facts.DisplayName = config->lpDisplayName ? config->lpDisplayName : "";
        facts.StartType = config->dwStartType;
    }
    SERVICE_STATUS_PROCESS status = {};
    if (QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                             &needed)) {
        facts.State = status.dwCurrentState;
        facts.ProcessId = status.dwProcessId;
    }
    return facts;
}

void RemoveTestService(const std::string& Name)
{
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(
        manager ? OpenServiceA(manager.Get(), Name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE) : nullptr);
    if (!service)
        return;
    SERVICE_STATUS status = {};
    ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    WaitUntil([&] { return QueryServiceStatus(service.Get(), &status) && status.dwCurrentState == SERVICE_STOPPED; },
              10000);
    DeleteService(service.Get());
}
