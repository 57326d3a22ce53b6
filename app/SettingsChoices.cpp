#include "SettingsChoices.h"

#include "BriCommon.h"
#include "UnattendedKey.h"

const char* const EmptyFolderMessage = "Unable to create directory";

namespace {

bool IsFalseText(const std::string& Text)
{
    std::string upper = Text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper == "FALSE";
}

// INSTKIND's and AUTHKIND's numbers; nothing for a text that names none of them.
std::optional<uint8_t> NumberOf(const std::string& Text, int Highest)
{
    const int32_t number = TextToIntDef(Text, -1);
    if (number < 0 || number > Highest)
        return std::nullopt;
    return static_cast<uint8_t>(number);
}

std::string NotUnderstood(const char* Key, const std::string& Value, const char* Kept)
{
    return std::string("Settings file: ") + Key + " \"" + Value + "\" is not understood, " + Kept;
}

} // namespace

FileChoices ReadFileChoices(const TAuto& File)
{
    FileChoices choices;
    choices.Folder = File.ReadValue("STDDIR");
    const std::optional<std::string> icons = File.FindValue("CREATEICONS");
    choices.CreateIcons = icons && IsTrueText(*icons);
    if (icons && !choices.CreateIcons && !IsFalseText(*icons))
        choices.Notes.push_back(NotUnderstood("CREATEICONS", *icons, "the box is unticked"));
    const std::optional<std::string> kind = File.FindValue("INSTKIND");
    if (kind && !(choices.Type = NumberOf(*kind, ikService)))
        choices.Notes.push_back(NotUnderstood("INSTKIND", *kind, "the page's choice of type stays"));
    const std::optional<std::string> account = File.FindValue("AUTHKIND");
    if (account && !(choices.Account = NumberOf(*account, akNamedAccount)))
        choices.Notes.push_back(NotUnderstood("AUTHKIND", *account, "the page's choice of account stays"));
    choices.Id = File.ReadValue("INSTID");
    const std::string cipher = File.ReadValue("INSTPASSWORD");
    std::string plain;
    if (DecipherTextChecked(cipher, UnattendedPasswordKey, plain) != CipherStatus::Plain)
        choices.Notes.push_back("Settings file: INSTPASSWORD is no text that bb7cipher ciphered; the password box "
                                "gets the cipher's error text"); // never the value
    choices.Password = DecipherText(cipher, UnattendedPasswordKey);
    return choices;
}

namespace {

// The values of a silent run, each from the command line or else the file, with what it
// noted and the first value it could not understand.
class SilentValues {
public:
    SilentValues(const TAuto* File, const CommandLineSettings& CommandLine, SilentChoices& Choices)
        : file_(File), commandLine_(CommandLine), choices_(Choices)
    {
    }

    // Key's value, blanks at its ends dropped (but for INSTPASSWORD, whose ciphered text may end
    // with one); nothing when it is given nowhere.
    std::optional<std::string> Find(const char* Key)
    {
        std::optional<std::string> value;
        const auto given = commandLine_.find(Key);
        whose_ = given != commandLine_.end() ? "The command line's " : "The settings file's ";
        if (given != commandLine_.end())
            value = given->second;
        else if (file_)
            value = file_->FindValue(Key);
        if (!value || std::string(Key) == "INSTPASSWORD")
            return value;
        const size_t first = value->find_first_not_of(" \t");
        const std::string trimmed = first == std::string::npos
                                        ? std::string()
                                        : value->substr(first, value->find_last_not_of(" \t") + 1 - first);
        if (trimmed != *value)
            choices_.Notes.push_back(whose_ + Key + " \"" + *value + "\": the blanks at its ends are ignored");
        return trimmed;
    }

    // A value the rules do not understand: the first one refuses the run.
    void Refuse(const char* Key, const std::string& Value, const char* Understood)
    {
        if (choices_.Refusal.empty())
            choices_.Refusal = whose_ + Key + " \"" + Value + "\" is not understood (" + Understood + ")";
    }
    void RefuseUnnamed(const char* Key, const char* Why) // a value that must not go into the log
    {
        if (choices_.Refusal.empty())
            choices_.Refusal = whose_ + Key + " " + Why;
    }

    void Default(const std::string& Text) { choices_.Notes.push_back("Default taken: " + Text); }

private:
    const TAuto* file_;
    const CommandLineSettings& commandLine_;
    SilentChoices& choices_;
    std::string whose_;
};

const char* TypeProposalReason(const PlatformDefaults& Platform)
{
    if (Platform.CurrentUserOnly)
        return "the type the Settings page proposes to a user without administrator rights";
    return Platform.DisableServiceOptions ? "the type the Settings page proposes where there are no services"
                                          : "the type the Settings page proposes to an administrator";
}

} // namespace

SilentChoices ChooseSilently(const TAuto* File, const CommandLineSettings& CommandLine,
                             const std::string& DefaultFolder, const PlatformDefaults& Platform)
{
    SilentChoices choices;
    SettingsChoice& settings = choices.Settings;
    SilentValues values(File, CommandLine, choices);

    // The first showing: the folder proposed, icons ticked, the platform's choice of type.
    if (Platform.DisableServiceOptions) {
        settings.Type = ikAutoAll;
    } else {
        settings.Type = ikService;
        settings.NamedAccount = true;
    }
    if (Platform.CurrentUserOnly)
        settings.Type = ikAutoCurrent;

    if (const std::optional<std::string> folder = values.Find("STDDIR")) {
        choices.Folder = *folder;
    } else if (File) {
        values.Default("no installation folder, as in an unattended run: the settings file has no STDDIR, and there "
                       "is no /dir=PATH");
    } else {
        choices.Folder = DefaultFolder;
        values.Default("the installation folder " + DefaultFolder +
                       ", which the Folders page proposes (no STDDIR "
                       "and no /dir=PATH given)");
    }

    if (const std::optional<std::string> icons = values.Find("CREATEICONS")) {
        choices.CreateIcons = IsTrueText(*icons);
        if (!choices.CreateIcons && !IsFalseText(*icons))
            values.Refuse("CREATEICONS", *icons, "TRUE or FALSE");
    } else if (File) {
        choices.CreateIcons = false;
        values.Default("no Start-menu icons, as in an unattended run: the settings file has no CREATEICONS");
    } else {
        values.Default("Start-menu icons, as the Folders page proposes (no CREATEICONS given)");
    }

    if (const std::optional<std::string> kind = values.Find("INSTKIND")) {
        if (const std::optional<uint8_t> type = NumberOf(*kind, ikService))
            settings.Type = *type;
        else
            values.Refuse("INSTKIND", *kind, "0, 1, 2 or 3");
    } else {
        values.Default("installation type " + std::to_string(settings.Type) + ", " + TypeProposalReason(Platform) +
                       " (no INSTKIND given)");
    }

    const std::optional<std::string> account = values.Find("AUTHKIND");
    if (account) {
        if (const std::optional<uint8_t> kind = NumberOf(*account, akNamedAccount)) {
            settings.LocalSystem = *kind == akLocalSystem;
            settings.NamedAccount = *kind == akNamedAccount;
        } else {
            values.Refuse("AUTHKIND", *account, "0 or 1");
        }
    }
    settings.Id = values.Find("INSTID").value_or(std::string());
    if (!account && settings.Id.empty()) {
        // Nobody can answer for an account that nobody named: the service runs as LocalSystem.
        settings.LocalSystem = true;
        settings.NamedAccount = false;
        if (settings.Type == ikService)
            values.Default("the service runs as LocalSystem, as no account is named (no AUTHKIND and no INSTID "
                           "given)");
    }

    if (const std::optional<std::string> cipher = values.Find("INSTPASSWORD")) {
        if (DecipherTextChecked(*cipher, UnattendedPasswordKey, settings.Password) != CipherStatus::Plain)
            values.RefuseUnnamed("INSTPASSWORD", "is no text that bb7cipher ciphered");
    }
    return choices;
}

std::string RefusalOf(const SilentChoices& Choices)
{
    if (!Choices.Refusal.empty())
        return Choices.Refusal;
    if (Choices.Folder.empty())
        return EmptyFolderMessage;
    // A silent run, like an unattended one, never asks the LocalSystem question.
    if (CheckSettingsChoice(Choices.Settings, true) == SettingsVerdict::EmptyAccountName)
        return EmptyAccountNameMessage;
    return std::string();
}
