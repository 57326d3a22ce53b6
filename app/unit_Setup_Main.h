// The wizard window: program state, the five pages, their rules and the moves between them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AutoSettings.h"
#include "FolderStep.h"
#include "Form.h"
#include "InstallSink.h"
#include "Installation.h"
#include "MainFormLayout.h"
#include "PayloadExtraction.h"
#include "Product.h"
#include "RunLog.h"
#include "WizardRules.h"

class TBriBar;
class TForm_Unzip;

extern const char* const TitlePattern;       // "%s Setup"
extern const char* const UnattendedFileName; // "Bb7Auto.txt"

// Unattended mode: the unattended-install file stood beside the program at start.
extern bool AutoMode;
extern std::unique_ptr<TAuto> AutoSettings;

class TMainForm : public Form, private InstallSink {
public:
    TMainForm();
    ~TMainForm() override;

    // State, in the order the rest of the program knows it.
    bool FirstShow = true;
    std::string ProgramDir;
    std::string SourceDir;
    bool OldVersionFound = false;
    std::string OldInstallDir;
    std::string InstallDir;
    bool CreateIcons = false;
    std::string AccountName;
    std::string AccountPassword;
    uint8_t InstallKind = 0;
    uint8_t AccountKind = 0;
    uint8_t UnpackAttempts = 0;
    // What the unpacker wrote below SourceDir: exactly this is deleted when the window closes.
    UnpackRecord Unpacked;
    // How the run ended, for the program's exit code.
    int ExitCode = ecNotInstalled;
    // Where the installation's log file goes; empty: nowhere.
    std::string LogFilePath;

    // What the first showing asks of the system; tests in the same process may answer instead.
    std::function<bool()> IsNtFamily;
    std::function<bool()> IsAdministratorUser;
    // Where the installation writes its records; tests in the same process may give other keys.
    RecordHives Hives;

    // The installation sequence runs inside a click handler while the window stays usable;
    // a request to close meanwhile is kept and carried out once the sequence has stopped.
    bool InstallRunning = false;
    bool CloseRequested = false;
    // Runs Sequence as the installation: while it runs, closing waits for it (see FormCloseQuery).
    void RunInstallation(const std::function<void()>& Sequence);

    void FormCreate();
    void FormDestroy() {}
    bool UnpackPayload();
    void SetCaptions();
    void DeleteSourceDir();
    void InitPages();
    void SelectPage(WizardPage Page);
    WizardPage CurrentPage();

    // Event handlers bound to the controls, and the operations of the pages.
    bool PageControlChanging();
    void CancelClick();
    void b_DoneClick();
    void b_Next0Click();
    void b_PreviousWarningClick();
    void b_NextWarningClick();
    void b_Previous1Click();
    void b_Next1Click();
    void b_Previous2Click();
    void b_Next2Click();
    void CheckPage0();
    void cb_WarningClick();
    void CheckPage2();
    void cb_FileChange();
    std::string GetDefaultDir();
    bool FindOldInstallDir(std::string& Dir);
    void DisableServiceOptions(bool Disable);
    void sb_BrowseClick();
    void e_IDEnter();
    void e_IDExit();
    bool CheckSettings();
    void TimerTimer();

    // The installation sequence and its log (one line, red when Error).
    void Install();
    void Log(const std::string& Text, bool Error) override;

    Timer& Timer_;

    // The controls the handlers use, bound once.
    TabControl& PageControl;
    RadioButton &rb_Accept, &rb_NotAccept;
    ComboList& cb_File;
    RichEdit& m_License;
    Button &b_Cancel0, &b_Next0;
    CheckBox& cb_Warning;
    Button &b_PreviousWarning, &b_CancelWarning, &b_NextWarning;
    Edit& e_Dir;
    SpeedButton& sb_Browse;
    Control& l_Status;
    CheckBox& cb_Icons;
    Button &b_Previous1, &b_Cancel1, &b_Next1;
    RadioButton &rb_AutoAll, &rb_AutoCurent, &rb_NoAuto, &rb_Service;
    Memo& MemoWarning;
    RadioButton &rb_LocalSystem, &rb_Account;
    Edit &e_ID, &e_Password;
    Button &b_Previous2, &b_Cancel2, &b_Next2;
    TBriBar& Progress;
    RichEdit& MemoLog;
    Button &b_Cancel, &b_Done;

protected:
    void FormShow() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    Button* CancelButton() override;
    Button* DefaultButton() override;

private:
    void BindEvents();
    void ApplyStoredSettings();
    SettingsChoice ReadSettingsPage() const;
    // A value of the unattended-install file; empty without a reader.
    std::string AutoValue(const std::string& Name) const;

    // How the installation steps reach the pages.
    void SetProgress(int Percent) override;
    void Status(const std::string& Text) override;
    void Inform(const std::string& Text) override;
    void Note(const std::string& Text) override;
    void Busy(bool On) override;
    void ProcessMessages() override;
    bool StopRequested() override;
    void EnableFolderNext(bool Enabled) override;
    void CopyEnded() override;
    void CloseWizard() override;

    // The unpacker while it works; closing the hidden wizard meanwhile abandons its work.
    TForm_Unzip* unpacker_ = nullptr;
    bool closeWhileUnpacking_ = false;
    // The installation's copy runs: closing asks first and then stops it after a file.
    bool copying_ = false;
    // The installation's log file, and the error lines written so far.
    void StartRunLog();
    RunLog runLog_;
    int errorLines_ = 0;
    // Lines for the log file from before it was opened (the folder step's).
    std::vector<std::string> pendingNotes_;
    // The installation folder as the folder step left it, held until the window closes.
    PreparedFolder folder_;
};
