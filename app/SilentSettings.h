// The choices of a silent run: what the wizard's pages would hold when their Next buttons
// are pressed by an unattended run from the same settings file or, without a file, the
// pages' first-show defaults. And the pages' checks, made before anything is changed.
#pragma once

#include <string>

#include "AutoSettings.h"
#include "WizardRules.h"

struct SilentChoices {
    std::string Folder; // the folder box's text
    bool CreateIcons = true;
    SettingsChoice Settings;
};

// DefaultFolder is the Folders page's first proposal: an earlier installation's folder, or
// the product's folder in the program-files folder. File may be null (no settings file).
SilentChoices ChooseSilently(const TAuto* File, const std::string& DefaultFolder, const PlatformDefaults& Platform);

// The message with which the Folders or Settings page would keep the wizard for these
// choices (an empty folder, a named account without an ID); empty when they pass.
std::string RefusalOf(const SilentChoices& Choices);

extern const char* const EmptyFolderMessage; // "Unable to create directory"
