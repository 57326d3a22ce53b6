#include "unit_Setup_Main.h"

#include <shellapi.h>

#include "Application.h"
#include "BriBar.h"
#include "BriCommon.h"
#include "Common_Custom.h"
#include "MessageBoxes.h"
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

// Each page's bar: its Cancel, its default button (none on the License page).
struct PageButtons {
    const char* Cancel;
    const char* Default;
};
const PageButtons ButtonsOfPage[] = {
    {"b_Cancel0", nullptr}, {"b_CancelWarning", "b_NextWarning"}, {"b_Cancel1", "b_Next1"}, {"b_Cancel2", "b_Next2"},
    {"b_Cancel", "b_Done"},
};

} // namespace

TMainForm::TMainForm() : Form(MainFormLayout), Timer_(AddTimer(1000))
{
    ApplyStoredSettings();
    BindEvents();
    Invoke([this] { FormCreate(); });
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::ApplyStoredSettings()
{
    // The install page's bar in the orange scheme; the description sets the three colours, then the scheme.
    TBriBar& progress = Bar("Progress");
    progress.SetColorBorder(RGB(0, 0, 128));
    progress.SetColorFace(33023);
    progress.SetColorBack(11323391);
    progress.SetColorScheme(ccOrange);
}

void TMainForm::BindEvents()
{
    Get<TabControl>("PageControl").OnChanging = [this] { return PageControlChanging(); };
    for (const char* cancel : {"b_Cancel0", "b_CancelWarning", "b_Cancel1", "b_Cancel2", "b_Cancel"})
        Get<Button>(cancel).OnClick = [this] { CancelClick(); };
    Get<Button>("b_Done").OnClick = [this] { b_DoneClick(); };
    Get<Button>("b_Next0").OnClick = [this] { b_Next0Click(); };
    Get<Button>("b_PreviousWarning").OnClick = [this] { b_PreviousWarningClick(); };
    Get<Button>("b_NextWarning").OnClick = [this] { b_NextWarningClick(); };
    Get<Button>("b_Previous1").OnClick = [this] { b_Previous1Click(); };
    Get<Button>("b_Next1").OnClick = [this] { b_Next1Click(); };
    Get<Button>("b_Previous2").OnClick = [this] { b_Previous2Click(); };
    Get<Button>("b_Next2").OnClick = [this] { b_Next2Click(); };
    Get<RadioButton>("rb_Accept").OnClick = [this] { CheckPage0(); };
    Get<RadioButton>("rb_NotAccept").OnClick = [this] { CheckPage0(); };
    Get<CheckBox>("cb_Warning").OnClick = [this] { cb_WarningClick(); };
    Get<ComboList>("cb_File").OnChange = [this] { cb_FileChange(); };
    for (const char* radio : {"rb_AutoAll", "rb_AutoCurent", "rb_NoAuto", "rb_Service", "rb_LocalSystem", "rb_Account"})
        Get<RadioButton>(radio).OnClick = [this] { CheckPage2(); };
    Timer_.OnTimer = [this] { TimerTimer(); };
}

void TMainForm::FormCreate()
{
    ProgramDir = GetProgramFolder();
    SourceDir = GetSpecialFolder(20);
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
    unpacker->Tag = 0;
    unpacker->Folder = SourceDir;
    unpacker->ShowModal();
    if (unpacker->Tag == UnpackSuccess) {
        SourceDir = unpacker->Folder;
    } else if (++UnpackAttempts == 1) {
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
    if (!FolderExists(SourceDir))
        return;
    if (!SourceDir.empty() && SourceDir.back() == '\\')
        SourceDir.pop_back();
    // SHFileOperationA takes a list of paths, each ended by a NUL, the list by a second NUL.
    const std::string paths = SourceDir + std::string(2, '\0');
    const DWORD attributes = GetFileAttributesA(paths.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = Handle();
    operation.wFunc = FO_DELETE;
    operation.pFrom = paths.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI; // 0x0414: for good, no questions
    SHFileOperationA(&operation);
}

void TMainForm::InitPages()
{
    cb_FileChange();
    // The enable rules of the first three pages hold from the start.
    CheckPage0();
    cb_WarningClick();
    CheckPage2();
}

void TMainForm::SelectPage(WizardPage Page)
{
    Get<TabControl>("PageControl").SetPageIndex(Page);
}

WizardPage TMainForm::CurrentPage()
{
    return static_cast<WizardPage>(Get<TabControl>("PageControl").PageIndex());
}

bool TMainForm::PageControlChanging()
{
    return false;
} // pages change by the buttons only

void TMainForm::CancelClick()
{
    Close();
}

void TMainForm::b_DoneClick()
{
    if (InstallRunning)
        CloseRequested = true; // the copy is done; close once the remaining steps have run
    Close();
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
    if (!InstallRunning)
        return true;
    // The sequence reads from SourceDir, which closing deletes: ask, and let it stop first.
    if (!CloseRequested && ConfirmationBox("Do you want to cancel the setup?", MB_OKCANCEL) == IDOK)
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
    const int page = Get<TabControl>("PageControl").PageIndex();
    return page >= 0 ? &Get<Button>(ButtonsOfPage[page].Cancel) : nullptr;
}

Button* TMainForm::DefaultButton()
{
    const int page = Get<TabControl>("PageControl").PageIndex();
    return page >= 0 && ButtonsOfPage[page].Default ? &Get<Button>(ButtonsOfPage[page].Default) : nullptr;
}

void TMainForm::cb_FileChange()
{
    static const char* const documents[] = {"License.txt", "Readme.txt", "History.txt"};
    const int item = Get<ComboList>("cb_File").ItemIndex();
    if (item < 0 || item > 2)
        return;
    const std::string path = SourceDir + documents[item];
    if (IsExistingFile(path))
        Get<RichEdit>("m_License").LoadFromFile(path); // a missing document leaves the box as it was
}

void TMainForm::b_Next0Click()
{
    SelectPage(pgWarning);
}
void TMainForm::b_PreviousWarningClick()
{
    SelectPage(pgLicense);
}
void TMainForm::b_NextWarningClick()
{
    SelectPage(pgFolders);
}
void TMainForm::b_Previous1Click()
{
    SelectPage(pgWarning);
}

void TMainForm::b_Next1Click()
{
    InstallDir = AddTrailingBackslash(Get<Edit>("e_Dir").Text());
    CreateIcons = Get<CheckBox>("cb_Icons").Checked();
    SelectPage(pgSettings);
}

void TMainForm::b_Previous2Click()
{
    SelectPage(pgFolders);
}

void TMainForm::b_Next2Click()
{
    SelectPage(pgInstall);
}

void TMainForm::CheckPage0()
{
    Get<Button>("b_Next0").SetEnabled(Get<RadioButton>("rb_Accept").Checked());
}

void TMainForm::cb_WarningClick()
{
    Get<Button>("b_NextWarning").SetEnabled(Get<CheckBox>("cb_Warning").Checked());
}

void TMainForm::CheckPage2()
{
    const bool service = Get<RadioButton>("rb_Service").Checked();
    const bool account = Get<RadioButton>("rb_Account").Checked();
    Get<RadioButton>("rb_Account").SetEnabled(service);
    Get<RadioButton>("rb_LocalSystem").SetEnabled(service);
    Get<Edit>("e_ID").SetEnabled(service && account);
    Get<Edit>("e_Password").SetEnabled(service && account);
}

void TMainForm::TimerTimer()
{
    Timer_.SetEnabled(false);
}
