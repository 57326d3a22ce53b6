// The wizard's five pages: their first choices, their enable rules, the moves between them,
// and the unattended run that presses their buttons by itself.
#include "BriCommon.h"
#include "Common_Custom.h"
#include "MessageBoxes.h"
#include "UnpackedFile.h"
#include "UnpackedSource.h"
#include "unit_Setup_Main.h"

namespace {

const char* const BrowseTitle = "Select the directory for the program";

} // namespace

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
    std::string dir;
    OldVersionFound = FindOldInstallDir(dir);
    return ProposedInstallFolder(dir);
}

bool TMainForm::FindOldInstallDir(std::string& Dir)
{
    Dir = RecordedInstallFolder();
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
    e_Dir.SetText(AutoChoices().Folder);
    cb_Icons.SetChecked(AutoChoices().CreateIcons);
    b_Next1.SetEnabled(false);
    b_Next1Click();
}

void TMainForm::b_Previous1Click()
{
    SelectPage(pgWarning);
}

void TMainForm::b_Next1Click()
{
    UnpackedSource product = ProductFiles();
    const std::optional<std::string> folder =
        Run.LeaveFolders({OldVersionFound, OldInstallDir, e_Dir.Text(), AutoMode}, product);
    if (!folder)
        return;
    InstallDir = *folder;
    CreateIcons = cb_Icons.Checked();
    SelectPage(pgSettings);
    if (!AutoMode)
        return;
    // The file's choices count even where the first defaults disabled them.
    const FileChoices& file = AutoChoices();
    RadioButton* const types[] = {&rb_AutoAll, &rb_AutoCurent, &rb_NoAuto, &rb_Service};
    if (file.Type)
        types[*file.Type]->SetChecked(true);
    RadioButton* const accounts[] = {&rb_LocalSystem, &rb_Account};
    if (file.Account)
        accounts[*file.Account]->SetChecked(true);
    e_ID.SetText(file.Id);
    e_Password.SetText(file.Password);
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
    // Every user could change the service's program on a drive that keeps no permissions.
    if (answers.InstallKind == ikService && !Run.FolderKeepsPermissions()) {
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

const FileChoices& TMainForm::AutoChoices()
{
    // A file that could not be read leaves no reader: the run goes on as with an empty file.
    if (!autoChoices_)
        autoChoices_ = AutoSettings ? ReadFileChoices(*AutoSettings) : FileChoices();
    return *autoChoices_;
}
