// The installation's log file: what the log pane shows, the message boxes, the settings the
// run used (never the password) and the program's exit code, one line each with the time,
// written as it happens so that a run that crashes leaves what it did. Nobody reads the
// window of an unattended run; deployment tools and administrators read this file.
#pragma once

#include <cstdio>
#include <string>

extern const char* const RunLogFileName; // "Bb7Setup.log"

// How the program ended, for whoever started it.
enum RunExitCode : int {
    ecInstalled = 0,           // the sequence ran to its end without an error line
    ecInstalledWithErrors = 1, // the sequence ran to its end, with error lines
    ecNotInstalled = 2,        // the window closed before the sequence began
    ecNotUnpacked = 3,         // the payload could not be unpacked
    ecStoppedEarly = 4,        // the sequence stopped: missing manifest, an error, a cancel
    ecSettingsRefused = 5,     // a silent run's settings failed a page's check; nothing was installed
    ecBadCommandLine = 6,      // a switch that is not understood
    ecEarlierVersionPutBack = 7, // the new version could not be installed: the earlier one was put back
    ecDiskFull = 8,              // the drive has no room for the product: nothing of it stays
    ecRestartRequired = 3010,    // installed, but files in use are replaced at the next start of Windows
};

// Creates the file Path anew for writing and returns it, or nullptr. What stands at Path is
// replaced, never written through: a link there cannot make the file land elsewhere.
std::FILE* CreateReplacingFile(const std::string& Path);

class RunLog {
public:
    RunLog() = default;
    ~RunLog() { Close(); }
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Starts the file anew; false when it cannot be written (the run goes on without it).
    bool Open(const std::string& Path);
    bool IsOpen() const { return file_ != nullptr; }
    void Close();

    // A line of the installation log, marked when it reports an error.
    void LogLine(const std::string& Text, bool Error);
    // Anything else worth knowing: a message box, a setting, the exit code.
    void Note(const std::string& Text);

    // The text of a line as the file holds it, stamped with Time ("HH:MM:SS.mmm").
    static std::string FormatLine(const std::string& Time, const std::string& Text, bool Error);

private:
    void Write(const std::string& Text, bool Error);
    std::FILE* file_ = nullptr;
};
