#include "FolderRefusal.h"

std::string FolderRefusalMessage(const std::string& Folder, FolderRefusal Why)
{
    switch (Why) {
    case FolderRefusal::HoldsEntries:
        return "The directory " + Folder +
               " exists already, was not made by this setup and is not empty: other users could have put files "
               "there. Choose another directory, or empty this one.";
    case FolderRefusal::InUse:
        return "The directory " + Folder + " is in use by another program. Close it, or choose another directory.";
    case FolderRefusal::Link:
        return "The directory " + Folder + " is or holds a link to another place. Choose another directory.";
    case FolderRefusal::TooDeep:
        return "The directory " + Folder +
               " is too deep for the program's files: their paths would be longer than Windows allows. Choose a "
               "shorter directory.";
    case FolderRefusal::None:
    case FolderRefusal::CannotMake:
        break;
    }
    return "Couldn't create the directory " + Folder;
}
