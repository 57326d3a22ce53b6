// The reader of the unattended-install file: NAME=VALUE lines, names matched without regard
// to letter case, the first line of a name counting. The file may be written in the ANSI code
// page, in UTF-8 with a byte-order mark or in UTF-16 (SettingsFileText.h).
#pragma once

#include <string>
#include <vector>

#include "BriCommon.h"
#include "BriErrors.h"

// A setting that counts holds a character that the system's code page cannot: read as "?", it
// would name another folder or account than the file does.
class EUnrepresentableSetting : public EBriError {
public:
    using EBriError::EBriError;
};

class TAuto {
public:
    // Loads the file when it exists; throws EInOutError when it exists but cannot be read, and
    // EUnrepresentableSetting naming the key when the line of a setting that counts holds a
    // character that the system's code page cannot.
    explicit TAuto(const std::string& Path);
    virtual ~TAuto() = default;

    // The text after the first "=" of the first line whose name (the text before that "=")
    // equals Name without regard to letter case; empty when there is none.
    std::string ReadValue(const std::string& Name) const;

    // What whoever reads the log should know of the file: its encoding when it is not the ANSI
    // code page, a name that is no setting (a typing error, "INSTKIND " with its blank), a
    // setting given again (only its first line counts).
    const std::vector<std::string>& Notes() const { return notes_; }

    std::vector<std::string> FileLines;

private:
    std::vector<std::string> notes_;
};
