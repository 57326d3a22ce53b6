// Why a place cannot be the product's folder, and how the installer says so (a message box in
// the wizard, an error line in the log of a silent run). The folder is named as the user typed it.
#pragma once

#include <string>

enum class FolderRefusal {
    None,
    HoldsEntries, // a folder found there that the installer did not make, and that is not empty
    InUse,        // a folder found there that another program holds open
    Link,         // the place, or a folder above it or in it, is a link to another place
    CannotMake,   // no folder can be made there
    TooDeep,      // the product's files would not fit below it (PathLimit.h)
};

std::string FolderRefusalMessage(const std::string& Folder, FolderRefusal Why);
