// The reader of the unattended-install file: NAME=VALUE lines, names matched without regard
// to letter case, the first line of a name counting.
#pragma once

#include <string>
#include <vector>

#include "BriCommon.h"

class TAuto {
public:
    // Loads the file when it exists; throws EInOutError when it exists but cannot be read.
    explicit TAuto(const std::string& Path);
    virtual ~TAuto() = default;

    // The text after the first "=" of the first line whose name (the text before that "=")
    // equals Name without regard to letter case; empty when there is none.
    std::string ReadValue(const std::string& Name) const;

    std::vector<std::string> FileLines;
};
