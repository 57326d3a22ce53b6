// How the installation's steps reach the wizard: the Install page's log pane and bar, the
// Folders page's status line and Next, message boxes, and the installation's log file, which
// the wizard opens when the installation begins (a wizard closed before that writes none).
#pragma once

#include <string>
#include <vector>

#include "InstallSink.h"
#include "RunLog.h"

class TMainForm;

class WizardSink : public InstallSink {
public:
    explicit WizardSink(TMainForm& Form) : form_(Form) {}
    ~WizardSink() override;

    // Starts the log file at Path (nowhere when empty; without it when it cannot be written):
    // the mode, then the notes held so far, then every box, line and note as it comes.
    void StartLog(const std::string& Path, bool AutoMode);
    // Ends the log file with the program's exit code.
    void EndLog(int ExitCode);

    // The copy runs: closing the window asks first, and then stops it after a file.
    bool Copying() const { return copying_; }

    void SetProgress(int Percent) override;
    void Status(const std::string& Text) override;
    void Inform(const std::string& Text) override;
    void Note(const std::string& Text) override;
    void Busy(bool On) override;
    void ProcessMessages() override;
    bool StopRequested() override;
    void OldVersionRemoval(bool Running) override;
    void FolderRefused() override;
    void CopyStarted() override { copying_ = true; }
    void CopyEnded() override;
    void InstallationAbandoned() override;

protected:
    void WriteLine(const std::string& Text, bool Error) override;

private:
    TMainForm& form_;
    RunLog runLog_;
    std::vector<std::string> pendingNotes_; // from before the file was opened (the folder step's)
    bool copying_ = false;
};
