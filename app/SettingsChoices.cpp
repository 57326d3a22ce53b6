#include "SettingsChoices.h"

#include "BriCommon.h"
#include "UnattendedKey.h"

const char* const EmptyFolderMessage = "Unable to create directory";

FileChoices ReadFileChoices(const TAuto& File)
{
    FileChoices choices;
    choices.Folder = File.ReadValue("STDDIR");
    choices.CreateIcons = IsTrueText(File.ReadValue("CREATEICONS"));
    const int32_t kind = TextToIntDef(File.ReadValue("INSTKIND"), -1);
    if (kind >= ikAutoAll && kind <= ikService)
        choices.Type = static_cast<uint8_t>(kind);
    const int32_t account = TextToIntDef(File.ReadValue("AUTHKIND"), -1);
    if (account == akLocalSystem || account == akNamedAccount)
        choices.Account = static_cast<uint8_t>(account);
    choices.Id = File.ReadValue("INSTID");
    choices.Password = DecipherText(File.ReadValue("INSTPASSWORD"), UnattendedPasswordKey);
    return choices;
}

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

    // The unattended run's values, each replacing its control's content as the run does it.
    const FileChoices file = ReadFileChoices(*File);
    choices.Folder = file.Folder;
    choices.CreateIcons = file.CreateIcons;
    if (file.Type)
        settings.Type = *file.Type;
    if (file.Account) {
        settings.LocalSystem = *file.Account == akLocalSystem;
        settings.NamedAccount = *file.Account == akNamedAccount;
    }
    settings.Id = file.Id;
    settings.Password = file.Password;
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
