// Which folders are no product folder: the places of Windows, of its users and of its programs,
// as a folder relates to them.
#include <gtest/gtest.h>

#include "ReservedPlaces.h"

namespace {

const std::vector<ReservedPlace> Places = {
    {ReservedKind::WindowsFolder, "C:\\Windows"},
    {ReservedKind::TemporaryFolder, "C:\\Users\\ann\\AppData\\Local\\Temp"},
    {ReservedKind::ProfilesFolder, "C:\\Users"},
    {ReservedKind::UserProfile, "C:\\Users\\ann"},
    {ReservedKind::ProgramFiles, "C:\\Program Files (x86)"},
    {ReservedKind::ProgramFiles, "C:\\Program Files (x86)\\Common Files"},
    {ReservedKind::TemporaryFolder, "D:\\Work\\Temp"},
};

std::string Refusal(const std::string& Folder)
{
    const std::optional<ReservedMatch> match = FindReservedPlace(Folder, Places);
    return match ? ReservedPlaceMessage(Folder, *match) : "accepted";
}

} // namespace

TEST(ReservedPlaces, APlaceItselfAndWhatLiesBelowOrHoldsItAreRefusedWhateverTheLetterCase)
{
    const char* const end = ", which is no place for a program's own folder. Choose another directory.";
    const char* const refused[][2] = {
        {"c:\\windows\\System32\\acc-b7", " lies in the Windows folder C:\\Windows"},
        {"C:\\Windows\\", " is the Windows folder C:\\Windows"},
        // The nearest place decides: the temporary folder, not the profile or the profiles' folder.
        {"C:\\Users\\ann\\AppData\\Local\\Temp\\B7",
         " lies in the temporary folder C:\\Users\\ann\\AppData\\Local\\Temp"},
        {"C:\\USERS", " is the folder of the users' profiles C:\\Users"},
        {"D:\\Work", " holds the temporary folder D:\\Work\\Temp"},
        {"C:\\Program Files (x86)\\Common Files", " is the program-files folder C:\\Program Files (x86)\\Common Files"},
        {"C:\\", " is the root of the drive"},
        {"\\\\server\\share\\", " is the root of the drive"},
    };
    for (const auto& [folder, says] : refused)
        EXPECT_EQ(std::string("The directory ") + folder + says + end, Refusal(folder));
}

TEST(ReservedPlaces, ProgramsGoBelowTheProgramFilesFoldersAndBesideTheOthers)
{
    for (const char* folder : {"C:\\Program Files (x86)\\Brisel Backup 7", "C:\\Program Files (x86)\\Common Files\\B7",
                               "C:\\Windows2\\B7", "C:\\Users2", "D:\\Work\\Temporary", "\\\\server\\share\\B7"})
        EXPECT_EQ("accepted", Refusal(folder)) << folder;
}
