// The zip reader's own questions to the user, as Windows dialogs.
#pragma once

#include <string>

#include "ZipUserPrompts.h"

class ZipDialogs : public IZipUserPrompts {
public:
    bool AskPassword(const std::string& Caption, const std::string& Label, std::string& Password) override;
    TZAAction AskFileFailure(const std::string& Text) override;
};
