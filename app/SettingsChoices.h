// What a settings file chooses: Bb7Auto.txt beside the program, which an unattended run puts
// into the pages before it presses their buttons, or a silent run's file and command line,
// which stand for the pages. Both read the values here, once; and a silent run's choices are
// what the pages would hold when their Next buttons are pressed, with the pages' checks made
// before anything is changed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "AutoSettings.h"
#include "WizardRules.h"

// The file's values, each as the unattended run puts it into its control: a key that is absent
// reads as empty, and a number that names no choice leaves the page's choice as it was.
struct FileChoices {
    std::string Folder;             // STDDIR, the folder box's text
    bool CreateIcons = false;       // CREATEICONS
    std::optional<uint8_t> Type;    // INSTKIND, ikAutoAll..ikService
    std::optional<uint8_t> Account; // AUTHKIND, akLocalSystem or akNamedAccount
    std::string Id;                 // INSTID
    std::string Password;           // INSTPASSWORD, deciphered
    // For the log: each value given that these rules do not understand, and what the page
    // keeps instead ("INSTKIND=2 " with its blank, "CREATEICONS=maybe").
    std::vector<std::string> Notes;
};
FileChoices ReadFileChoices(const TAuto& File);

// A silent run's settings on its command line, by key in capitals (KEY=VALUE, and /dir=PATH
// as STDDIR): each wins over the file's line of that key.
using CommandLineSettings = std::map<std::string, std::string>;

struct SilentChoices {
    std::string Folder; // the folder box's text
    bool CreateIcons = true;
    SettingsChoice Settings;
    // For the log: the defaults taken for keys that nobody gave, and why; blanks ignored.
    std::vector<std::string> Notes;
    // A value given that the rules do not understand, with its key and where it was given;
    // empty when every value is understood.
    std::string Refusal;
};

// A silent run takes only what it was given, or refuses: blanks at the ends of a value are
// ignored (a batch file's "echo INSTKIND=2 >> Bb7Auto.txt" writes one), any other value that
// the rules do not understand refuses the run, and a default stands only for a key that is
// absent. File may be null (no settings file): the pages' first-show defaults then stand for
// the keys that the command line does not give. DefaultFolder is the Folders page's first
// proposal. The service runs as LocalSystem where neither AUTHKIND nor INSTID names an account.
SilentChoices ChooseSilently(const TAuto* File, const CommandLineSettings& CommandLine,
                             const std::string& DefaultFolder, const PlatformDefaults& Platform);

// The message with which a silent run refuses these choices: a value not understood, or what
// would keep the wizard on the Folders or Settings page (an empty folder, a named account
// without an ID); empty when they pass.
std::string RefusalOf(const SilentChoices& Choices);

extern const char* const EmptyFolderMessage; // "Unable to create directory"
