// Places that are no product's folder: the folders of Windows, of its users and of its programs.
// The elevated installer makes its folder its own: taken in the user's temporary folder, that
// folder would belong to the Administrators from then on; made below C:\Windows\System32, a
// 32-bit installer's files land in SysWOW64 while every record names System32. Such a place is
// refused before anything changes. The rule is portable; the folders themselves come from the
// system (ReservedPlaces_win.cpp).
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class ReservedKind {
    WindowsFolder,   // with its system folders (System32, SysWOW64) and everything else below it
    TemporaryFolder, // the user's (%TEMP%) and the system's (%SystemRoot%\Temp)
    ProfilesFolder,  // the folder of the users' profiles (C:\Users)
    UserProfile,     // one user's profile, wherever it is kept
    ProgramFiles,    // a program-files or common-files folder itself; the places below it are for programs
    DriveRoot,       // "C:\", "\\server\share\"
};

struct ReservedPlace {
    ReservedKind Kind;
    std::string Folder; // a full path
};

// How a folder lies to a reserved one.
enum class PlaceRelation { Apart, Same, Below, Above };

// Both full paths; letter case and a final backslash aside.
PlaceRelation RelationOf(const std::string& Folder, const std::string& Reserved);

struct ReservedMatch {
    ReservedPlace Place;
    PlaceRelation Relation;
};

// Why Folder (a full path, as Windows names it) is no product folder: it is a reserved place,
// lies below one (a program-files folder excepted), or holds one; or it is a drive's root. Of
// several, the one that says most: the place itself, else the nearest above it, else the
// nearest below it. Nothing when Folder may be a product folder.
std::optional<ReservedMatch> FindReservedPlace(const std::string& Folder, const std::vector<ReservedPlace>& Places);

// The refusal, naming the folder as the user typed it (Text) and the place.
std::string ReservedPlaceMessage(const std::string& Text, const ReservedMatch& Match);
