// The reserved places of this system (ReservedPlaces.h), as Windows and its registry name them.
#pragma once

#include <string>
#include <vector>

#include "ReservedPlaces.h"

// The Windows folder, the temporary folders, the users' profiles and the program-files and
// common-files folders of both registry views, each by its long name.
std::vector<ReservedPlace> SystemReservedPlaces();

// Folder (a full path) with the long names of the levels that exist ("C:\PROGRA~1\BB7" is
// "C:\Program Files\BB7"), so that a short name compares as the place it names.
std::string LongFolderName(const std::string& Folder);
