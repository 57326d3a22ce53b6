#include "unit_Setup_Main.h"

#include <richedit.h>

#include "Application.h"
#include "BriBar.h"
#include "BriCommon.h"
#include "Common_Custom.h"
#include "FolderStep.h"
#include "Installation.h"
#include "MessageBoxes.h"
#include "Registry.h"
#include "UnattendedKey.h"
#include "UnpackedFile.h"
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
const char* const BrowseTitle = "Select the directory for the program";
const char* const CurrentVersionKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const int LogLinesKeptBelow = 5; // the log scrolls so that its newest lines stay in view

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
      b_Cancel(Get<Button>("b_Cancel")), b_Done(Get<Button>("b_Done"))
{
    IsNtFamily = IsNtPlatform;
    IsAdministratorUser = IsAdministrator;
    ApplyStoredSettings();
    BindEvents();
    Invoke([this] { FormCreate(); });
}

TMainForm::~TMainForm()
{
    if (runLog_.IsOpen()) {
        runLog_.Note("Exit code " + std::to_string(ExitCode));
        SetMessageBoxWatcher(nullptr);
    }
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
    ProgramDir = GetProgramFolder();
    SourceDir = GetSpecialFolder(sfTemp);
    if (!FolderExists(SourceDir))
        SourceDir = GetProgramFolder();
    SourceDir = AddTrailingBackslash(SourceDir);
    FirstShow = true;
    OldVersionFound = false;
    OldInstallDir.clear();
    InstallDir.clear();
    UnpackAttempts = 0;

    AutoMode = false;
    const std::string autoFile = ProgramDir + UnattendedFileName;
    if (IsExistingFile(autoFile)) {
        AutoMode = true;
        AutoSettings = std::make_unique<TAuto>(autoFile);
    }
}

void TMainForm::FormShow()
{
    if (!FirstShow)
        return;
    SelectPage(pgLicense);
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
    } else if (++UnpackAttempts == 1 && !closeWhileUnpacking_) {
        // One more attempt, in the program's own folder, this time telling the user what failed.
        SourceDir = GetProgramFolder();
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

void TMainForm::InitPages()
{
    cb_FileChange();
    e_Dir.SetText(GetDefaultDir());

    const PlatformDefaults platform = DecidePlatformDefaults(IsNtFamily(), IsAdministratorUser());
    if (platform.ShowAdministratorNotice)
        InformationBox(AdministratorNotice);
    DisableServiceOptions(platform.DisableServiceOptions);
    if (platform.CurrentUserOnly) {
        rb_AutoCurent.SetChecked(true);
        rb_AutoAll.SetEnabled(false);
    }

    // The enable rules of the first three pages hold from the start.
    CheckPage0();
    cb_WarningClick();
    CheckPage2();
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
    if (copying_ && !CloseRequested)
        CloseRequested = ConfirmationBox("Do you want to cancel the setup?", MB_OKCANCEL) == IDOK;
    else if (!copying_)
        CloseRequested = true;
    return false;
}

void TMainForm::FormClose()
{
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
// The pages

void TMainForm::CheckPage0()
{
    b_Next0.SetEnabled(rb_Accept.Checked());
}

void TMainForm::cb_WarningClick()
{
    b_NextWarning.SetEnabled(cb_Warning.Checked());
}

SettingsChoice TMainForm::ReadSettingsPage() const
{
    SettingsChoice choice;
    const RadioButton* const types[] = {&rb_AutoAll, &rb_AutoCurent, &rb_NoAuto, &rb_Service};
    for (int kind = ikAutoAll; kind <= ikService; ++kind)
        if (types[kind]->Checked())
            choice.Type = kind;
    choice.LocalSystem = rb_LocalSystem.Checked();
    choice.NamedAccount = rb_Account.Checked();
    choice.Id = e_ID.Text();
    choice.Password = e_Password.Text();
    return choice;
}

void TMainForm::CheckPage2()
{
    const SettingsChoice choice = ReadSettingsPage();
    rb_Account.SetEnabled(choice.AccountChoicesEnabled());
    rb_LocalSystem.SetEnabled(choice.AccountChoicesEnabled());
    e_ID.SetEnabled(choice.AccountFieldsEnabled());
    e_Password.SetEnabled(choice.AccountFieldsEnabled());
}

void TMainForm::cb_FileChange()
{
    static const char* const documents[] = {"License.txt", "Readme.txt", "History.txt"};
    const int item = cb_File.ItemIndex();
    if (item < 0 || item > 2)
        return;
    // Only as unpacked: the box would show whatever another program put in the folder since.
    const std::string path = SourceDir + documents[item];
    std::string text;
    if (IsExistingFile(path) && ReadUnpackedFile(path, Unpacked.DigestOf(path), text))
        m_License.LoadFromText(text); // a missing document leaves the box as it was
}

std::string TMainForm::GetDefaultDir()
{
    std::string dir = "C:\\";
    OldVersionFound = FindOldInstallDir(dir);
    if (OldVersionFound)
        return dir; // exactly as read
    std::string programFiles;
    if (RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, CurrentVersionKey, KEY_READ))
        programFiles = ReadRegString(key.Get(), "ProgramFilesDir").value_or("");
    if (programFiles.empty())
        programFiles = "C:\\";
    return AddTrailingBackslash(programFiles) + ProductName;
}

bool TMainForm::FindOldInstallDir(std::string& Dir)
{
    Dir.clear();
    if (RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, ProductKeyPath, KEY_READ))
        Dir = ReadRegString(key.Get(), "Path").value_or("");
    if (Dir.empty())
        return false;
    OldInstallDir = Dir;
    return true;
}

void TMainForm::DisableServiceOptions(bool Disable)
{
    for (Control* control :
         std::initializer_list<Control*>{&rb_Service, &e_ID, &e_Password, &rb_LocalSystem, &rb_Account})
        control->SetEnabled(!Disable);
    if (Disable) {
        rb_AutoAll.SetChecked(true);
    } else {
        rb_Service.SetChecked(true);
        rb_Account.SetChecked(true);
    }
}

void TMainForm::sb_BrowseClick()
{
    std::string folder = e_Dir.Text();
    if (SelectFolder(BrowseTitle, std::wstring(), folder, Handle()))
        e_Dir.SetText(folder);
}

void TMainForm::e_IDEnter()
{
    MemoWarning.SetVisible(true);
}

void TMainForm::e_IDExit()
{
    MemoWarning.SetVisible(false);
}

void TMainForm::b_Next0Click()
{
    SelectPage(pgWarning);
    if (!AutoMode)
        return;
    cb_Warning.SetChecked(true); // its click handler enables Next
    b_NextWarning.SetEnabled(false);
    b_NextWarningClick();
}

void TMainForm::b_PreviousWarningClick()
{
    SelectPage(pgLicense);
}

void TMainForm::b_NextWarningClick()
{
    SelectPage(pgFolders);
    if (!AutoMode)
        return;
    e_Dir.SetText(AutoValue("STDDIR"));
    cb_Icons.SetChecked(IsTrueText(AutoValue("CREATEICONS")));
    b_Next1.SetEnabled(false);
    b_Next1Click();
}

void TMainForm::b_Previous1Click()
{
    SelectPage(pgWarning);
}

void TMainForm::b_Next1Click()
{
    // The earlier installation is decided on again at each Next: its own uninstaller, run at an
    // earlier Next, removed its records and itself, and there is nothing left to run.
    std::string recorded;
    const bool oldVersionThere = OldVersionFound && FindOldInstallDir(recorded);
    FolderRequest request = {oldVersionThere, OldInstallDir, e_Dir.Text(), AutoMode};
    std::string manifest; // none as unpacked: every program found in the folder is somebody else's
    ReadUnpackedFile(SourceDir + ManifestFile, Unpacked.DigestOf(SourceDir + ManifestFile), manifest);
    request.Manifest = SplitTextLines(manifest);
    folder_ = PreparedFolder(); // a folder chosen before is let go
    std::optional<PreparedFolder> folder = PrepareFolder(request, *this);
    if (!folder)
        return;
    folder_ = std::move(*folder);
    InstallDir = AddTrailingBackslash(folder_.Folder);
    CreateIcons = cb_Icons.Checked();
    SelectPage(pgSettings);
    if (!AutoMode)
        return;
    // The file's choices count even where the first defaults disabled them.
    RadioButton* const types[] = {&rb_AutoAll, &rb_AutoCurent, &rb_NoAuto, &rb_Service};
    const int32_t kind = TextToIntDef(AutoValue("INSTKIND"), -1);
    if (kind >= ikAutoAll && kind <= ikService)
        types[kind]->SetChecked(true);
    RadioButton* const accounts[] = {&rb_LocalSystem, &rb_Account};
    const int32_t account = TextToIntDef(AutoValue("AUTHKIND"), -1);
    if (account == akLocalSystem || account == akNamedAccount)
        accounts[account]->SetChecked(true);
    e_ID.SetText(AutoValue("INSTID"));
    e_Password.SetText(DecipherText(AutoValue("INSTPASSWORD"), UnattendedPasswordKey));
    if (!IsBlankText(e_ID.Text()))
        b_Next2.SetEnabled(false);
    b_Next2Click();
}

void TMainForm::b_Previous2Click()
{
    SelectPage(pgFolders);
}

bool TMainForm::CheckSettings()
{
    switch (CheckSettingsChoice(ReadSettingsPage(), AutoMode)) {
    case SettingsVerdict::AskLocalSystem:
        return WarningBox(LocalSystemQuestion, MB_OKCANCEL) == IDOK;
    case SettingsVerdict::EmptyAccountName:
        InformationBox(EmptyAccountNameMessage);
        return false;
    case SettingsVerdict::Accept:
        break;
    }
    return true;
}

void TMainForm::b_Next2Click()
{
    if (!CheckSettings())
        return;
    const SettingsAnswers answers = TakeSettings(ReadSettingsPage());
    if (answers.InstallKind == ikService && !folder_.KeepsPermissions) {
        InformationBox(UnprotectedServiceRefusal(e_Dir.Text()));
        return;
    }
    e_ID.SetText(answers.AccountName); // the box shows the name as it is taken
    AccountName = answers.AccountName;
    AccountPassword = answers.AccountPassword;
    InstallKind = answers.InstallKind;
    AccountKind = answers.AccountKind;
    SelectPage(pgInstall);
    RunInstallation([this] { Install(); });
    if (AutoMode)
        Close(); // an unattended run does not wait for Done
}

void TMainForm::TimerTimer()
{
    Timer_.SetEnabled(false); // the run starts once
    rb_Accept.SetChecked(true);
    b_Next0.SetEnabled(false);
    b_Next0Click();
}

std::string TMainForm::AutoValue(const std::string& Name) const
{
    // A file that could not be read leaves no reader: the run goes on as with an empty file.
    return AutoSettings ? AutoSettings->ReadValue(Name) : std::string();
}

// ---------------------------------------------------------------------------------------------
// The installation's log and the sink through which its steps reach the pages

void TMainForm::Install()
{
    InstallSettings settings;
    settings.SourceDir = SourceDir;
    settings.InstallDir = InstallDir;
    settings.CreateIcons = CreateIcons;
    settings.AccountName = AccountName;
    settings.AccountPassword = AccountPassword;
    settings.InstallKind = InstallKind;
    settings.AccountKind = AccountKind;
    settings.Windows95Family = PlatformId() == VER_PLATFORM_WIN32_WINDOWS;
    settings.UnpackedDigest = [this](const std::string& Path) { return Unpacked.DigestOf(Path); };
    settings.Hives = Hives;
    settings.ReplaceEarlierRecords = folder_.ReplaceEarlierRecords;
    ExitCode = ecStoppedEarly; // until the sequence has run to its end
    StartRunLog();
    TInstallation installation(settings, *this);
    copying_ = true;
    errorLines_ = 0;
    if (installation.Install())
        ExitCode = errorLines_ > 0 ? ecInstalledWithErrors : ecInstalled;
}

void TMainForm::StartRunLog()
{
    if (LogFilePath.empty() || !runLog_.Open(LogFilePath))
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
    runLog_.Note("Unpacked product: " + SourceDir);
    runLog_.Note("Installation folder: " + InstallDir);
    runLog_.Note(std::string("Start-menu icons: ") + (CreateIcons ? "yes" : "no"));
    runLog_.Note("Installation type: " + std::to_string(InstallKind));
    if (InstallKind == ikService)
        runLog_.Note(AccountKind == akLocalSystem ? "Service account: LocalSystem" : "Service account: " + AccountName);
    for (const std::string& note : pendingNotes_)
        runLog_.Note(note);
    pendingNotes_.clear();
}

void TMainForm::Log(const std::string& Text, bool Error)
{
    runLog_.LogLine(Text, Error);
    errorLines_ += Error ? 1 : 0;
    {
        // Appending and scrolling repaint the whole box in turn; it is painted once, below.
        RedrawSuspended once(MemoLog);
        MemoLog.AppendLine(Text, Error ? clRed : GetSysColor(COLOR_WINDOWTEXT));
        SendMessageA(MemoLog.Handle(), EM_LINESCROLL, 0, MemoLog.LineCount() - LogLinesKeptBelow);
    }
    Application::ProcessMessages(); // the line shows at once
}

void TMainForm::SetProgress(int Percent)
{
    Progress.SetPosition(Percent);
}

void TMainForm::Status(const std::string& Text)
{
    l_Status.SetText(Text);
}

void TMainForm::Inform(const std::string& Text)
{
    InformationBox(Text);
}

void TMainForm::Note(const std::string& Text)
{
    if (runLog_.IsOpen())
        runLog_.Note(Text);
    else
        pendingNotes_.push_back(Text);
}

void TMainForm::Busy(bool On)
{
    Application::SetBusy(On);
}

void TMainForm::ProcessMessages()
{
    Application::ProcessMessages();
}

bool TMainForm::StopRequested()
{
    return CloseRequested;
}

void TMainForm::EnableFolderNext(bool Enabled)
{
    b_Next1.SetEnabled(Enabled);
}

void TMainForm::CopyEnded()
{
    copying_ = false;
    b_Done.SetEnabled(true);
    b_Cancel.SetEnabled(false);
    Application::SetBusy(false);
}

void TMainForm::CloseWizard()
{
    CloseRequested = true; // the window closes as soon as the sequence has returned
}
