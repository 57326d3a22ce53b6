// What the installation steps may tell the front end that runs them, and nothing more: the steps
// never see a control. A sink says what happened; the front end decides what that shows (the
// wizard's pages and buttons, or a log file alone).
#pragma once

#include <string>

class InstallSink {
public:
    virtual ~InstallSink() = default;

    // One line of the installation log, in the error colour when Error is set.
    void Log(const std::string& Text, bool Error)
    {
        errorLines_ += Error ? 1 : 0;
        WriteLine(Text, Error);
    }
    // The error lines written so far; the exit code tells whether there were any.
    int ErrorLines() const { return errorLines_; }

    // How far the copy is, 0 to 100.
    virtual void SetProgress(int Percent) = 0;
    // What the program is doing while the user waits on the Folders page; the log file notes it.
    virtual void Status(const std::string& Text) = 0;
    // A message the user must acknowledge (an information box).
    virtual void Inform(const std::string& Text) = 0;
    // A line for the installation's log file only, never shown on a page.
    virtual void Note(const std::string& Text) = 0;
    // The hourglass while the program works.
    virtual void Busy(bool On) = 0;
    // Lets the windows repaint and answer clicks in the middle of long work.
    virtual void ProcessMessages() = 0;
    // True once the user has asked to stop; the copy checks it between files.
    virtual bool StopRequested() = 0;

    // The earlier version's uninstaller has started (Running) or has ended.
    virtual void OldVersionRemoval(bool Running) = 0;
    // The folder step ended without a folder to install into.
    virtual void FolderRefused() = 0;
    // The copy has begun, and has ended (whatever way).
    virtual void CopyStarted() = 0;
    virtual void CopyEnded() = 0;
    // The installation cannot go on at all.
    virtual void InstallationAbandoned() = 0;

protected:
    // Shows or writes one line of the log.
    virtual void WriteLine(const std::string& Text, bool Error) = 0;

private:
    int errorLines_ = 0;
};
