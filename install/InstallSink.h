// What the installation steps may do to the window that runs them, and nothing more: the
// steps never see a control. The wizard window maps each call to its pages.
#pragma once

#include <string>

class InstallSink {
public:
    virtual ~InstallSink() = default;

    // One line of the installation log, in the error colour when Error is set.
    virtual void Log(const std::string& Text, bool Error) = 0;
    // The Install page's bar, 0 to 100.
    virtual void SetProgress(int Percent) = 0;
    // The status line of the Folders page.
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

    // The Folders page's Next, which the folder step disables while an old version's
    // uninstaller runs and enables again afterwards and when it fails.
    virtual void EnableFolderNext(bool Enabled) = 0;
    // The copy has ended, as it did: Done becomes available, Cancel not.
    virtual void CopyEnded() = 0;
    // The installation cannot go on at all: the wizard closes.
    virtual void CloseWizard() = 0;
};
