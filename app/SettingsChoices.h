// What a settings file chooses: Bb7Auto.txt beside the program, which an unattended run puts
// into the pages before it presses their buttons, or a silent run's file, which stands for the
// pages. Both read the file's values here, once; and a silent run's choices are what the pages
// would hold when their Next buttons are pressed, with the pages' checks made before anything
// is changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "AutoSettings.h"
#include "WizardRules.h"

// The file's values, each as the unattended run puts it into its control: a key that is absent
// reads as empty, and a number that names no choice leaves the page's choice as it was.
struct FileChoices {
    std::string Folder;            // STDDIR, the folder box's text
    bool CreateIcons = false;      // CREATEICONS
    std::optional<uint8_t> Type;   // INSTKIND, ikAutoAll..ikService
    std::optional<uint8_t> Account; // AUTHKIND, akLocalSystem or akNamedAccount
    std::string Id;                // INSTID
    std::string Password;          // INSTPASSWORD, deciphered
};
FileChoices ReadFileChoices(const TAuto& File);

struct SilentChoices {
    std::string Folder; // the folder box's text
    bool CreateIcons = true;
    SettingsChoice Settings;
};

// DefaultFolder is the Folders page's first proposal: an earlier installation's folder, or
// the product's folder in the program-files folder. File may be null (no settings file): the
// pages' first-show defaults then hold.
SilentChoices ChooseSilently(const TAuto* File, const std::string& DefaultFolder, const PlatformDefaults& Platform);

// The message with which the Folders or Settings page would keep the wizard for these
// choices (an empty folder, a named account without an ID); empty when they pass.
std::string RefusalOf(const SilentChoices& Choices);

extern const char* const EmptyFolderMessage; // "Unable to create directory"
