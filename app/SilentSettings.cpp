#include "SilentSettings.h"

#include "BriCommon.h"
#include "UnattendedKey.h"

const char* const EmptyFolderMessage = "Unable to create directory";

SilentChoices ChooseSilently(const TAuto* File, const std::string& DefaultFolder, const PlatformDefaults& Platform)
{
    SilentChoices choices;
    SettingsChoice& settings = choices.Settings;
    // The first showing: the folder proposed, icons ticked, the platform's choice of type.
    choices.Folder = DefaultFolder;
    if (Platform.DisableServiceOptions) {
        settings.Type = ikAutoAll;
    } else {
        settings.Type = ikService;
        settings.NamedAccount = true;
    }
    if (Platform.CurrentUserOnly)
        settings.Type = ikAutoCurrent;
    if (!File)
        return choices;

    // The unattended run's values, each replacing its control's content as the run does it:
    // a key that is absent reads as empty.
    choices.Folder = File->ReadValue("STDDIR");
    choices.CreateIcons = IsTrueText(File->ReadValue("CREATEICONS"));
    const int32_t kind = TextToIntDef(File->ReadValue("INSTKIND"), -1);
    if (kind >= ikAutoAll && kind <= ikService)
        settings.Type = kind;
    const int32_t account = TextToIntDef(File->ReadValue("AUTHKIND"), -1);
    if (account == akLocalSystem || account == akNamedAccount) {
        settings.LocalSystem = account == akLocalSystem;
        settings.NamedAccount = account == akNamedAccount;
    }
    settings.Id = File->ReadValue("INSTID");
    settings.Password = DecipherText(File->ReadValue("INSTPASSWORD"), UnattendedPasswordKey);
    return choices;
}

std::string RefusalOf(const SilentChoices& Choices)
{
    if (Choices.Folder.empty())
        return EmptyFolderMessage;
    // A silent run, like an unattended one, never asks the LocalSystem question.
    if (CheckSettingsChoice(Choices.Settings, true) == SettingsVerdict::EmptyAccountName)
        return EmptyAccountNameMessage;
    return std::string();
}
