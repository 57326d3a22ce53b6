#include "ReservedPlaces.h"

#include "BriCommon.h"

namespace {

// The path in lower case (ASCII letters, as Windows compares file names here), ending with
// a backslash.
std::string Comparable(const std::string& Path)
{
    std::string text = AddTrailingBackslash(Path);
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

bool StartsWith(const std::string& Text, const std::string& Start)
{
    return Text.size() > Start.size() && Text.compare(0, Start.size(), Start) == 0;
}

// "C:\" or "\\server\share\": nothing but the drive or the share.
bool IsDriveRoot(const std::string& Folder)
{
    const std::string folder = Comparable(Folder);
    if (folder.size() == 3 && folder[1] == ':')
        return true;
    if (folder.compare(0, 2, "\\\\") != 0)
        return false;
    const size_t server = folder.find('\\', 2);
    return server != std::string::npos && folder.find('\\', server + 1) == folder.size() - 1;
}

bool Refuses(const ReservedPlace& Place, PlaceRelation Relation)
{
    return Relation == PlaceRelation::Same || Relation == PlaceRelation::Above ||
           (Relation == PlaceRelation::Below && Place.Kind != ReservedKind::ProgramFiles);
}

const char* KindName(ReservedKind Kind)
{
    switch (Kind) {
    case ReservedKind::WindowsFolder:
        return "the Windows folder";
    case ReservedKind::TemporaryFolder:
        return "the temporary folder";
    case ReservedKind::ProfilesFolder:
        return "the folder of the users' profiles";
    case ReservedKind::UserProfile:
        return "the profile of a user";
    case ReservedKind::ProgramFiles:
        return "the program-files folder";
    case ReservedKind::DriveRoot:
        break;
    }
    return "the root of the drive";
}

} // namespace

PlaceRelation RelationOf(const std::string& Folder, const std::string& Reserved)
{
    const std::string folder = Comparable(Folder), reserved = Comparable(Reserved);
    if (folder == reserved)
        return PlaceRelation::Same;
    if (StartsWith(folder, reserved))
        return PlaceRelation::Below;
    if (StartsWith(reserved, folder))
        return PlaceRelation::Above;
    return PlaceRelation::Apart;
}

std::optional<ReservedMatch> FindReservedPlace(const std::string& Folder, const std::vector<ReservedPlace>& Places)
{
    if (IsDriveRoot(Folder))
        return ReservedMatch{{ReservedKind::DriveRoot, Folder}, PlaceRelation::Same};
    std::optional<ReservedMatch> best;
    // The place itself first; then the nearest place above the folder (the longest path), then
    // the nearest one below it (the shortest).
    const auto better = [](const ReservedMatch& A, const ReservedMatch& B) {
        const auto rank = [](PlaceRelation Relation) {
            return Relation == PlaceRelation::Same ? 0 : Relation == PlaceRelation::Below ? 1 : 2;
        };
        if (rank(A.Relation) != rank(B.Relation))
            return rank(A.Relation) < rank(B.Relation);
        return A.Relation == PlaceRelation::Below ? A.Place.Folder.size() > B.Place.Folder.size()
                                                  : A.Place.Folder.size() < B.Place.Folder.size();
    };
    for (const ReservedPlace& place : Places) {
        if (place.Folder.empty())
            continue;
        const ReservedMatch match{place, RelationOf(Folder, place.Folder)};
        if (Refuses(place, match.Relation) && (!best || better(match, *best)))
            best = match;
    }
    return best;
}

std::string ReservedPlaceMessage(const std::string& Text, const ReservedMatch& Match)
{
    const char* relation = Match.Relation == PlaceRelation::Below   ? " lies in "
                           : Match.Relation == PlaceRelation::Above ? " holds "
                                                                    : " is ";
    std::string place = KindName(Match.Place.Kind);
    if (Match.Place.Kind != ReservedKind::DriveRoot || Match.Relation != PlaceRelation::Same)
        place += " " + Match.Place.Folder;
    return "The directory " + Text + relation + place +
           ", which is no place for a program's own folder. Choose another directory.";
}
