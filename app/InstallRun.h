// One installation, whichever way its values were chosen: the wizard's pages (or an unattended
// run's Bb7Auto.txt pressing them) and a silent run's settings file differ only in how they
// choose and in their sink. The earlier installation, the folder step, the settings, the log
// file's notes, the sequence and its exit code are this run's, the same for every mode.
//
// An upgrade never leaves the machine without a working product: before the earlier version's
// uninstaller runs, the earlier version is kept (EarlierVersion.h); it is dropped once the new
// version stands, and put back when the run fails or is given up after the uninstaller ran.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EarlierVersion.h"
#include "FolderHandles_win.h"
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

// Said when the drive of the installation folder has not room enough for the product.
extern const char* const NoRoomMessage; // "There is not enough free space for the program in %s"
// The installation's last line when files in use wait for the next start of Windows.
extern const char* const RestartMessage;

// Said when a fresh installation's copy fell short (InstallRun::RequiresFile) and what it had
// placed was removed again.
std::string IncompleteCopyMessage(const std::string& Folder);

class InstallRun {
public:
    explicit InstallRun(InstallSink& Sink) : sink_(Sink) {}

    // Where the records go; tests in the program's own process give keys of their own.
    RecordHives Hives;
    // Whether the installation ends by opening the product's window (InstallSettings).
    bool StartProgramWindow = true;
    // What the copy must have placed before any record is written. Set: every file of the
    // manifest for which it answers true (a silent run: each file that the payload carries, for
    // nobody reads its red lines before a deployment tool counts the machine as done). Not set:
    // the uninstaller and its manifest, without which nothing could remove the installation (the
    // wizard, whose user reads the red lines of the rest). Less removes what was placed and ends
    // with 4, or puts the earlier version back (7).
    std::function<bool(const std::string& Line)> RequiresFile;

    // Before anything else at a start: an upgrade that was cut off is finished (the earlier
    // version put back, or the kept copy dropped), and the log notes it. False when the earlier
    // version could not be put back: the store stays for the next attempt.
    bool FinishInterruptedUpgrade();

    // Leaving the Folders page. What can be checked before anything changes is checked first:
    // the folder text, the drive and the folder above, room for the product's files. An earlier
    // installation found when the pages were first filled and still recorded now is kept, then
    // removed by its own uninstaller (one whose uninstaller is gone counts as removed), then the
    // folder is made. The folder as Windows names it, ending with a backslash; nothing when the
    // step failed, which it has said (the earlier version put back when its uninstaller had run).
    // An empty folder text and an uninstaller that cannot be started raise their error.
    std::optional<std::string> LeaveFolders(FolderRequest Request, ProductSource& Source);

    // The installation into Folder (as LeaveFolders gave it) from Source, with the Settings
    // page's answers; the settings go into the log file first. Returns the exit code (RunLog.h).
    // Errors that a step does not handle pass on to the caller, the earlier version put back.
    int Install(ProductSource& Source, const std::string& Folder, bool CreateIcons, const SettingsAnswers& Answers);

    // The run ends without installing (the wizard closed on the Settings page): the folders that
    // the Folders page made go while they are empty, and an earlier version that it removed is
    // put back. True when it was, whole.
    bool GiveUp();

    // True once the earlier version was put back in this run; the other once that was tried and
    // something could not be put back.
    bool PutEarlierVersionBack() const { return putBack_; }
    bool PutBackFailed() const { return putBackFailed_; }
    // The exit code of a run that ended before its installation: 7 when the earlier version was
    // put back, 4 when that was tried and failed, 8 when the drive has no room for the product,
    // Otherwise when the earlier version was not touched.
    int ExitCodeAfterRefusal(int Otherwise) const;

    // The folder's drive keeps permissions, which the service type needs (true before the folder
    // step has run, and on Windows 95/98/Me, where no drive keeps any and none are asked for).
    bool FolderKeepsPermissions() const
    {
        return !prepared_ || !prepared_->PermissionsApply || prepared_->KeepsPermissions;
    }

    // The settings of the installation in the log file's notes (never the password).
    void NoteSettings(const std::string& Folder, bool CreateIcons, const SettingsAnswers& Answers);

private:
    // Folder: as Windows names it; Text: as typed, for the messages.
    bool CheckBeforeChanging(const std::string& Folder, const std::string& Text, ProductSource& Source);
    void PutBack(const SettingsAnswers* Answers = nullptr);
    // The new version stands: the kept copy goes, and the earlier installation's folder, when it
    // was elsewhere and nothing is left in it, with the folders that were made for it.
    void NewVersionStands();
    // The folder chosen at an earlier Next is let go, and the folders made for it go while empty.
    void LetGoOfFolder();
    void RemoveFoldersMade();
    // The files that Lines name which the copy must place (RequiresFile).
    std::vector<std::string> RequiredFiles(const std::vector<std::string>& Lines) const;
    // The outermost folder made above Folder, by this run or for the earlier installation there.
    std::string FoldersMadeAbove(const std::string& Folder) const;

    InstallSink& sink_;
    // The folders that the folder step made (the installation folder and those above it, up to
    // Outermost), until an installation stands in them; none on Windows 95/98/Me.
    struct MadeFolders {
        std::string Folder, Outermost;
        FolderIdentity Identity;
    };
    std::optional<MadeFolders> made_;
    // The earlier installation's folder and the outermost folder made for it, as recorded.
    std::string earlierFolder_, earlierFoldersMade_;
    // The installation folder as the folder step left it, held until the run ends.
    std::optional<PreparedFolder> prepared_;
    std::optional<EarlierVersion> earlier_;
    bool putBack_ = false;
    bool putBackFailed_ = false;
    bool noRoom_ = false; // the folder's drive cannot hold the product
};
