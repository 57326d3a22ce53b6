// The rules of the wizard's pages, apart from any window: which choices the platform and the
// user's rights leave, when the account controls are enabled, what the Settings page checks
// and what it hands on to the installation. The window copies its controls into these
// structures and acts on the answers.
#pragma once

#include <cstdint>
#include <string>

#include "Product.h"

// What the first showing does for the platform and the user's rights.
struct PlatformDefaults {
    bool ShowAdministratorNotice; // the information box, before the choices change
    bool DisableServiceOptions;   // DisableServiceOptions(true); false: (false)
    bool CurrentUserOnly;         // then "current user" selected and "all users" disabled
};
PlatformDefaults DecidePlatformDefaults(bool NtFamily, bool Administrator);

extern const char* const AdministratorNotice;

// The Settings page as its controls stand.
struct SettingsChoice {
    int Type = -1; // ikAutoAll..ikService of the selected type button; -1 when none is
    bool LocalSystem = false;
    bool NamedAccount = false;
    std::string Id;
    std::string Password;

    // The enable rules: the account buttons while the service is chosen, the ID and password
    // boxes while the service runs under a named account.
    bool AccountChoicesEnabled() const { return Type == ikService; }
    bool AccountFieldsEnabled() const { return Type == ikService && NamedAccount; }
};

// What the Settings page's Next must do before it takes the answers.
enum class SettingsVerdict {
    Accept,
    AskLocalSystem,   // ask the LocalSystem question; Cancel keeps the page
    EmptyAccountName, // say "Your account name is empty" and keep the page
};
SettingsVerdict CheckSettingsChoice(const SettingsChoice& Choice, bool AutoMode);

extern const char* const LocalSystemQuestion;
extern const char* const EmptyAccountNameMessage;

// An account name without a domain part gets the local-machine prefix ".\" in front; a name
// with a backslash stays as it is. An empty name becomes ".\".
std::string WithLocalAccountPrefix(const std::string& Id);

// What the Settings page hands on to the installation.
struct SettingsAnswers {
    std::string AccountName; // the ID with its prefix
    std::string AccountPassword;
    uint8_t InstallKind;
    uint8_t AccountKind;
};
SettingsAnswers TakeSettings(const SettingsChoice& Choice);
