// The reader of the unattended-install file: NAME=VALUE lines, names matched without regard
// to letter case, the first line of a name counting. The file may be written in the ANSI code
// page, in UTF-8 or in UTF-16 (SettingsFileText.h).
#pragma once

#include <optional>
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

// The keys of the settings file, in the order the pages take them.
extern const char* const SettingsKeys[6]; // STDDIR, CREATEICONS, INSTKIND, AUTHKIND, INSTID, INSTPASSWORD
// The key of Name (any letter case, nothing trimmed: "INSTKIND " is no key); empty when it is none.
std::string SettingsKeyOf(const std::string& Name);

// The bytes of a settings file, read by the caller (through the file's UTF-16 path on Windows).
struct SettingsFileBytes {
    std::string Bytes;
};

class TAuto {
public:
    // Loads the file when it exists; throws EInOutError when it exists but cannot be read, and
    // EUnrepresentableSetting naming the key when the line of a setting that counts holds a
    // character that the system's code page cannot.
    explicit TAuto(const std::string& Path);
    // The same for a file's bytes read already.
    explicit TAuto(const SettingsFileBytes& File);
    virtual ~TAuto() = default;

    // The text after the first "=" of the first line whose name (the text before that "=")
    // equals Name without regard to letter case; empty when there is none.
    std::string ReadValue(const std::string& Name) const;
    // The same, and nothing when no line has that name: a key given empty is given.
    std::optional<std::string> FindValue(const std::string& Name) const;

    // What whoever reads the log should know of the file: the encoding it was read in, a name
    // that is no setting (a typing error, "INSTKIND " with its blank), a setting given again
    // (only its first line counts), a NUL byte that ended the text.
    const std::vector<std::string>& Notes() const { return notes_; }
    // The line, counted from 1, where a NUL byte ended the text early; 0 when none did. A tool
    // that wrote UTF-16 without its mark, or a file cut by a copy, leaves one.
    size_t NulLine() const { return nulLine_; }

    std::vector<std::string> FileLines;

private:
    void Load(const std::string& Bytes);

    std::vector<std::string> notes_;
    size_t nulLine_ = 0;
};
