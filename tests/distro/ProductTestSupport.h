// Helpers of the product tests: the staged product, started programs with their windows and
// message boxes, and the service manager's view of a service.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "WinTestSupport.h"

// The staged product tree (the payload's files), with a trailing backslash.
std::string StagedProduct();

// Polls Condition every 20 ms; false when it still fails after TimeoutMs.
bool WaitUntil(const std::function<bool()>& Condition, DWORD TimeoutMs);

std::string ReadWholeFile(const std::string& Path);
bool PathExists(const std::string& Path);

// A program started with a command line; it is ended when this object goes. Its standard
// input reads nothing; its output goes to OutputFile when one is given.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& CommandLine, const std::string& OutputFile = "");
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    HANDLE Process() const { return info_.hProcess; }
    bool WaitForExit(DWORD TimeoutMs) const;
    DWORD ExitCode() const;
    // A visible top-level window of the process with this class; nullptr when none came in time.
    HWND WaitForWindow(const char* ClassName, DWORD TimeoutMs = 10000) const;
    HWND FindWindowOfClass(const char* ClassName) const;

private:
    PROCESS_INFORMATION info_ = {};
};

std::string WindowText(HWND Window);
// The message box's text (its static control 0xFFFF), and a press of one of its buttons.
std::string MessageBoxText(HWND Box);
void PressMessageBoxButton(HWND Box, int Id);
// The text of the window's first child of this class.
std::string ChildText(HWND Window, const char* ClassName);

// What the service manager holds about a service; Exists false when there is no such service.
struct ServiceFacts {
    bool Exists = false;
    std::string Command, Account, DisplayName;
    DWORD StartType = 0, State = 0, ProcessId = 0;
};
ServiceFacts QueryService(const std::string& Name);
// Stops (waiting for it) and deletes a service a test made; harmless when there is none.
void RemoveTestService(const std::string& Name);
