// The wizard window's life: its creation, the unpacking at its first showing, closing and the
// clean-up, and the installation that its Settings page starts.
#include "unit_Setup_Main.h"

#include "Application.h"
#include "BriBar.h"
#include "BriCommon.h"
#include "Common_Custom.h"
#include "MessageBoxes.h"
#include "UnpackedSource.h"
#include "WidePaths.h"
#include "unit_Setup_Unpacker.h"

const char* const TitlePattern = "%s Setup";
const char* const UnattendedFileName = "Bb7Auto.txt";

bool AutoMode = false;
std::unique_ptr<TAuto> AutoSettings;

namespace {

std::string FormatTitle()
{
    char text[256];
    snprintf(text, sizeof text, TitlePattern, ProductName);
    return text;
}

const UINT UnattendedStartDelay = 1000; // ms between the first showing and the unattended run

} // namespace

TMainForm::TMainForm()
    : Form(MainFormLayout), Timer_(AddTimer(UnattendedStartDelay)), PageControl(Get<TabControl>("PageControl")),
      rb_Accept(Get<RadioButton>("rb_Accept")), rb_NotAccept(Get<RadioButton>("rb_NotAccept")),
      cb_File(Get<ComboList>("cb_File")), m_License(Get<RichEdit>("m_License")), b_Cancel0(Get<Button>("b_Cancel0")),
      b_Next0(Get<Button>("b_Next0")), cb_Warning(Get<CheckBox>("cb_Warning")),
      b_PreviousWarning(Get<Button>("b_PreviousWarning")), b_CancelWarning(Get<Button>("b_CancelWarning")),
      b_NextWarning(Get<Button>("b_NextWarning")), e_Dir(Get<Edit>("e_Dir")), sb_Browse(Get<SpeedButton>("sb_Browse")),
      l_Status(Get<Control>("l_Status")), cb_Icons(Get<CheckBox>("cb_Icons")), b_Previous1(Get<Button>("b_Previous1")),
      b_Cancel1(Get<Button>("b_Cancel1")), b_Next1(Get<Button>("b_Next1")), rb_AutoAll(Get<RadioButton>("rb_AutoAll")),
      rb_AutoCurent(Get<RadioButton>("rb_AutoCurent")), rb_NoAuto(Get<RadioButton>("rb_NoAuto")),
      rb_Service(Get<RadioButton>("rb_Service")), MemoWarning(Get<Memo>("MemoWarning")),
      rb_LocalSystem(Get<RadioButton>("rb_LocalSystem")), rb_Account(Get<RadioButton>("rb_Account")),
      e_ID(Get<Edit>("e_ID")), e_Password(Get<Edit>("e_Password")), b_Previous2(Get<Button>("b_Previous2")),
      b_Cancel2(Get<Button>("b_Cancel2")), b_Next2(Get<Button>("b_Next2")),
      Progress(Get<ProgressBar>("Progress").Bar()), MemoLog(Get<RichEdit>("MemoLog")),
      b_Cancel(Get<Button>("b_Cancel")), b_Done(Get<Button>("b_Done")), Sink(*this), Run(Sink)
{
    IsNtFamily = IsNtPlatform;
    IsAdministratorUser = IsAdministrator;
    ApplyStoredSettings();
    BindEvents();
    Invoke([this] { FormCreate(); });
}

TMainForm::~TMainForm()
{
    Sink.EndLog(ExitCode);
    FormDestroy();
}

void TMainForm::ApplyStoredSettings()
{
    // The install page's bar in the orange scheme; the description sets the three colours, then the scheme.
    Progress.SetColorBorder(clNavy);
    Progress.SetColorFace(RgbColor(255, 128, 0));
    Progress.SetColorBack(RgbColor(255, 199, 172));
    Progress.SetColorScheme(ccOrange);
}

void TMainForm::BindEvents()
{
    PageControl.OnChanging = [this] { return PageControlChanging(); };
    for (Button* cancel : {&b_Cancel0, &b_CancelWarning, &b_Cancel1, &b_Cancel2, &b_Cancel})
        cancel->OnClick = [this] { CancelClick(); };
    b_Done.OnClick = [this] { b_DoneClick(); };
    b_Next0.OnClick = [this] { b_Next0Click(); };
    b_PreviousWarning.OnClick = [this] { b_PreviousWarningClick(); };
    b_NextWarning.OnClick = [this] { b_NextWarningClick(); };
    b_Previous1.OnClick = [this] { b_Previous1Click(); };
    b_Next1.OnClick = [this] { b_Next1Click(); };
    b_Previous2.OnClick = [this] { b_Previous2Click(); };
    b_Next2.OnClick = [this] { b_Next2Click(); };
    rb_Accept.OnClick = [this] { CheckPage0(); };
    rb_NotAccept.OnClick = [this] { CheckPage0(); };
    cb_Warning.OnClick = [this] { cb_WarningClick(); };
    cb_File.OnChange = [this] { cb_FileChange(); };
    for (RadioButton* radio : {&rb_AutoAll, &rb_AutoCurent, &rb_NoAuto, &rb_Service, &rb_LocalSystem, &rb_Account})
        radio->OnClick = [this] { CheckPage2(); };
    sb_Browse.OnClick = [this] { sb_BrowseClick(); };
    e_ID.OnEnter = [this] { e_IDEnter(); };
    e_ID.OnExit = [this] { e_IDExit(); };
    Timer_.OnTimer = [this] { TimerTimer(); };
}

void TMainForm::FormCreate()
{
    // Empty where the ANSI code page cannot name the program's folder ("C:\Kit-Āpps\"): its
    // look-alike ("C:\Kit-Apps\") would be another folder, somebody else's perhaps.
    ProgramDir = ExactAnsiPath(ProgramFolderWide());
    SourceDir = GetSpecialFolder(sfTemp);
    if (!FolderExists(SourceDir))
        SourceDir = ProgramDir;
    SourceDir = AddTrailingBackslash(SourceDir);
    FirstShow = true;
    OldVersionFound = false;
    OldInstallDir.clear();
    InstallDir.clear();
    UnpackAttempts = 0;

    AutoMode = false;
    // Found through the program's UTF-16 path, in a folder of any name and depth.
    const std::wstring autoFile = SettingsFileBesideProgram();
    if (FileExistsWide(autoFile)) {
        AutoMode = true;
        try {
            AutoSettings = ReadSettingsFile(autoFile);
        } catch (const EUnrepresentableSetting&) {
            // Nothing of such a file is used, and nothing may change by itself (its empty folder
            // would run the earlier installation's uninstaller): the wizard waits for somebody.
            AutoMode = false;
            throw; // shown by the application's default error box
        }
        if (AutoSettings) {
            for (const std::string& note : AutoSettings->Notes())
                Sink.Note(note); // kept until the log file opens
            for (const std::string& note : AutoChoices().Notes)
                Sink.Note(note);
        }
    }
}

void TMainForm::FormShow()
{
    if (!FirstShow)
        return;
    SelectPage(pgLicense);
    Run.FinishInterruptedUpgrade();
    if (!UnpackPayload()) {
        ExitCode = closeWhileUnpacking_ ? ecNotInstalled : ecNotUnpacked;
        Application::Terminate(); // no page is shown, nothing is deleted
        return;
    }
    SetCaptions();
    InitPages();
    if (AutoMode)
        Timer_.SetEnabled(true);
    FirstShow = false;
}

bool TMainForm::UnpackPayload()
{
    auto unpacker = std::make_unique<TForm_Unzip>();
    unpacker_ = unpacker.get();
    struct Forget {
        TForm_Unzip*& Unpacker;
        ~Forget() { Unpacker = nullptr; }
    } forget{unpacker_};

    unpacker->Tag = 0;
    unpacker->Folder = SourceDir;
    unpacker->ShowModal();
    if (unpacker->Tag == UnpackSuccess) {
        SourceDir = unpacker->Folder;
    } else if (++UnpackAttempts == 1 && !closeWhileUnpacking_ && !ProgramDir.empty()) {
        // One more attempt, in the program's own folder, this time telling the user what failed.
        SourceDir = ProgramDir;
        unpacker->Tag = 0;
        unpacker->Folder = SourceDir;
        unpacker->ReportErrors += 1;
        unpacker->FirstShow = true;
        unpacker->ShowModal();
        if (unpacker->Tag == UnpackSuccess)
            SourceDir = unpacker->Folder;
    }
    if (closeWhileUnpacking_ && unpacker->Tag == UnpackSuccess) {
        // The window was closed while the last entries were written: nothing may stay.
        UnpackRecord written = unpacker->TakeWritten();
        DeleteUnpacked(written);
        return false;
    }
    Unpacked = unpacker->TakeWritten();
    return unpacker->Tag == UnpackSuccess;
}

void TMainForm::SetCaptions()
{
    const std::string title = FormatTitle();
    SetCaption(title);
    Application::SetTitle(title);
}

void TMainForm::DeleteSourceDir()
{
    // Exactly what the unpacker wrote goes: the folder may be a user's own "Distro" folder
    // in the temporary folder or beside the program, holding files of the user's.
    DeleteUnpacked(Unpacked);
}

void TMainForm::SelectPage(WizardPage Page)
{
    PageControl.SetPageIndex(Page);
}

WizardPage TMainForm::CurrentPage()
{
    return static_cast<WizardPage>(PageControl.PageIndex());
}

bool TMainForm::PageControlChanging()
{
    return false; // pages change by the buttons only
}

void TMainForm::CancelClick()
{
    Close();
}

void TMainForm::b_DoneClick()
{
    Close(); // while the post-install steps run, the window closes once they have ended
}

void TMainForm::RunInstallation(const std::function<void()>& Sequence)
{
    InstallRunning = true;
    CloseRequested = false;
    try {
        Sequence();
    } catch (...) {
        InstallRunning = false;
        if (CloseRequested)
            Close();
        throw;
    }
    InstallRunning = false;
    if (CloseRequested)
        Close();
}

bool TMainForm::FormCloseQuery()
{
    if (unpacker_) {
        // The hidden wizard closed while the unpacker works: the unpacking is abandoned,
        // removes what it wrote, and the program then ends.
        closeWhileUnpacking_ = true;
        unpacker_->Abandon();
        return false;
    }
    if (!InstallRunning)
        return true;
    // The sequence reads from SourceDir, which closing deletes: it stops first. During the
    // copy the user is asked, and the copy stops after its current file; the post-install
    // steps (Done is available then) run to their end before the window closes.
    if (Sink.Copying() && !CloseRequested)
        CloseRequested = ConfirmationBox("Do you want to cancel the setup?", MB_OKCANCEL) == IDOK;
    else if (!Sink.Copying())
        CloseRequested = true;
    return false;
}

void TMainForm::FormClose()
{
    // Closed after the Folders page removed the earlier version, without installing: it comes back.
    Run.GiveUp();
    ExitCode = Run.ExitCodeAfterRefusal(ExitCode);
    DeleteSourceDir();
    if (AutoMode)
        AutoSettings.reset();
}

Button* TMainForm::CancelButton()
{
    Button* const cancels[] = {&b_Cancel0, &b_CancelWarning, &b_Cancel1, &b_Cancel2, &b_Cancel};
    const int page = PageControl.PageIndex();
    return page >= 0 && page < pgCount ? cancels[page] : nullptr;
}

Button* TMainForm::DefaultButton()
{
    // The License page has no default button.
    Button* const defaults[] = {nullptr, &b_NextWarning, &b_Next1, &b_Next2, &b_Done};
    const int page = PageControl.PageIndex();
    return page >= 0 && page < pgCount ? defaults[page] : nullptr;
}

// ---------------------------------------------------------------------------------------------
// The installation

UnpackedSource TMainForm::ProductFiles()
{
    return UnpackedSource(SourceDir, [this](const std::string& Path) { return Unpacked.DigestOf(Path); });
}

void TMainForm::Install()
{
    ExitCode = ecStoppedEarly; // until the sequence has run to its end
    Sink.StartLog(LogFilePath, AutoMode);
    UnpackedSource source = ProductFiles();
    const SettingsAnswers answers = {AccountName, AccountPassword, InstallKind, AccountKind};
    try {
        ExitCode = Run.Install(source, InstallDir, CreateIcons, answers);
    } catch (...) {
        ExitCode = Run.ExitCodeAfterRefusal(ExitCode);
        throw;
    }
}
