#include "WizardRules.h"

#include "BriCommon.h"

const char* const AdministratorNotice =
    "You must be an administrator to install the service. The \"Service\" option and the \"Application with "
    "Autostart for all users\" option will be disabled";
const char* const LocalSystemQuestion = "If you run your service under the LocalSystem account you may NOT have access "
                                        "to network resources. Continue?";
const char* const EmptyAccountNameMessage = "Your account name is empty";

PlatformDefaults DecidePlatformDefaults(bool NtFamily, bool Administrator)
{
    if (!NtFamily)
        return {false, true, false}; // no services on the 95 family, and no question either
    if (Administrator)
        return {false, false, false};
    return {true, true, true};
}

SettingsVerdict CheckSettingsChoice(const SettingsChoice& Choice, bool AutoMode)
{
    if (Choice.Type != ikService)
        return SettingsVerdict::Accept;
    // An unattended run never asks.
    if (!AutoMode && Choice.LocalSystem)
        return SettingsVerdict::AskLocalSystem;
    if (Choice.NamedAccount && IsBlankText(Choice.Id))
        return SettingsVerdict::EmptyAccountName;
    return SettingsVerdict::Accept;
}

std::string WithLocalAccountPrefix(const std::string& Id)
{
    return Id.find('\\') == std::string::npos ? ".\\" + Id : Id;
}

SettingsAnswers TakeSettings(const SettingsChoice& Choice)
{
    SettingsAnswers answers;
    answers.AccountName = WithLocalAccountPrefix(Choice.Id);
    answers.AccountPassword = Choice.Password;
    // The type buttons always have one selected by the time the page is left.
    answers.InstallKind = static_cast<uint8_t>(Choice.Type < 0 ? ikAutoAll : Choice.Type);
    answers.AccountKind = Choice.LocalSystem ? akLocalSystem : akNamedAccount;
    return answers;
}
