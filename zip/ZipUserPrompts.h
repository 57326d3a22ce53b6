// The reader's own questions to the user, asked when no event handler answers them. The
// Windows program installs real dialogs; until then (and always natively) the password
// prompt answers "cancel" and the failure box "abort".
#pragma once

#include <string>

#include "ZipTypes.h"

class IZipUserPrompts {
public:
    virtual ~IZipUserPrompts() = default;
    // Caption is `Password for "<stored name>"`, Label "Enter password: ", Password pre-filled;
    // true = OK with Password changed, false = cancelled.
    virtual bool AskPassword(const std::string& Caption, const std::string& Label, std::string& Password) = 0;
    // Text is "<message>. File processing error, possibly disk is full"; Abort/Retry/Ignore.
    virtual TZAAction AskFileFailure(const std::string& Text) = 0;
};

// Installs the prompts for every reader of the process; nullptr restores the defaults.
// The object must outlive its use.
void SetZipUserPrompts(IZipUserPrompts* Prompts);

// The prompts in force.
IZipUserPrompts& ZipUserPrompts();
