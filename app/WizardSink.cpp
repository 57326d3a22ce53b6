#include "WizardSink.h"

#include <richedit.h>

#include "Application.h"
#include "BriBar.h"
#include "Colors.h"
#include "MessageBoxes.h"
#include "unit_Setup_Main.h"

namespace {

const int LogLinesKeptBelow = 5; // the log scrolls so that its newest lines stay in view

} // namespace

WizardSink::~WizardSink()
{
    if (runLog_.IsOpen())
        SetMessageBoxWatcher(nullptr);
}

void WizardSink::StartLog(const std::string& Path, bool AutoMode)
{
    if (Path.empty() || !runLog_.Open(Path))
        return; // the installation goes on without its file
    SetMessageBoxWatcher([this](const std::string& Caption, const std::string& Text, int Answer) {
        if (Answer == 0)
            runLog_.Note("Message box \"" + Caption + "\": " + Text);
        else
            runLog_.Note("Message box answered " + std::string(Answer == IDOK       ? "OK"
                                                               : Answer == IDCANCEL ? "Cancel"
                                                                                    : std::to_string(Answer)));
    });
    runLog_.Note(std::string("Unattended: ") + (AutoMode ? "yes" : "no"));
    for (const std::string& note : pendingNotes_)
        runLog_.Note(note);
    pendingNotes_.clear();
}

void WizardSink::EndLog(int ExitCode)
{
    if (runLog_.IsOpen())
        runLog_.Note("Exit code " + std::to_string(ExitCode));
}

void WizardSink::WriteLine(const std::string& Text, bool Error)
{
    runLog_.LogLine(Text, Error);
    RichEdit& memo = form_.MemoLog;
    {
        // Appending and scrolling repaint the whole box in turn; it is painted once, below.
        RedrawSuspended once(memo);
        memo.AppendLine(Text, Error ? clRed : GetSysColor(COLOR_WINDOWTEXT));
        SendMessageA(memo.Handle(), EM_LINESCROLL, 0, memo.LineCount() - LogLinesKeptBelow);
    }
    Application::ProcessMessages(); // the line shows at once
}

void WizardSink::SetProgress(int Percent)
{
    form_.Progress.SetPosition(Percent);
}

void WizardSink::Status(const std::string& Text)
{
    form_.l_Status.SetText(Text);
    Note(Text);
}

void WizardSink::Inform(const std::string& Text)
{
    InformationBox(Text);
}

void WizardSink::Note(const std::string& Text)
{
    if (runLog_.IsOpen())
        runLog_.Note(Text);
    else
        pendingNotes_.push_back(Text);
}

void WizardSink::Busy(bool On)
{
    Application::SetBusy(On);
}

void WizardSink::ProcessMessages()
{
    Application::ProcessMessages();
}

bool WizardSink::StopRequested()
{
    return form_.CloseRequested;
}

void WizardSink::OldVersionRemoval(bool Running)
{
    // No second Next while the uninstaller runs; afterwards the page may be left again.
    form_.b_Next1.SetEnabled(!Running);
}

void WizardSink::FolderRefused()
{
    // The Folders page stays for somebody to finish, an unattended run's too.
    form_.b_Next1.SetEnabled(true);
}

void WizardSink::CopyEnded()
{
    copying_ = false;
    form_.b_Done.SetEnabled(true);
    form_.b_Cancel.SetEnabled(false);
    Application::SetBusy(false);
}

void WizardSink::InstallationAbandoned()
{
    form_.CloseRequested = true; // the window closes as soon as the sequence has returned
}
