// One installation, whichever way its values were chosen: the wizard's pages (or an unattended
// run's Bb7Auto.txt pressing them) and a silent run's settings file differ only in how they
// choose and in their sink. The earlier installation, the folder step, the settings, the log
// file's notes, the sequence and its exit code are this run's, the same for every mode.
#pragma once

#include <optional>
#include <string>

#include "FolderStep.h"
#include "InstallSink.h"
#include "Installation.h"
#include "ProductSource.h"
#include "WizardRules.h"

// The earlier installation's folder, as its product key records it ("Path"); empty when
// there is none.
std::string RecordedInstallFolder();

// The Folders page's first proposal: the earlier installation's folder as recorded, else the
// product's folder in the program-files folder (C:\ when the system names none).
std::string ProposedInstallFolder(const std::string& Recorded);

class InstallRun {
public:
    explicit InstallRun(InstallSink& Sink) : sink_(Sink) {}

    // Where the records go; tests in the program's own process give keys of their own.
    RecordHives Hives;

    // Leaving the Folders page. An earlier installation found when the pages were first filled
    // is removed by its own uninstaller while it is still recorded now (an earlier Next may have
    // run it already), then the folder is made. The folder as Windows names it, ending with a
    // backslash; nothing when the step failed, which it has said. An empty folder text and an
    // uninstaller that cannot be started raise their error.
    std::optional<std::string> LeaveFolders(FolderRequest Request);

    // The installation into Folder (as LeaveFolders gave it) from Source, with the Settings
    // page's answers; the settings go into the log file first. Returns the exit code (RunLog.h).
    // Errors that a step does not handle pass on to the caller.
    int Install(ProductSource& Source, const std::string& Folder, bool CreateIcons, const SettingsAnswers& Answers);

    // The settings of the installation in the log file's notes (never the password).
    void NoteSettings(const std::string& Folder, bool CreateIcons, const SettingsAnswers& Answers);

private:
    InstallSink& sink_;
    bool madeFolder_ = false; // the folder step made the installation folder
};
