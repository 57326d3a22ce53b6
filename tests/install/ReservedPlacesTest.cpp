// Which folders are no product folder: the places of Windows, of its users and of its programs,
// as a folder relates to them.
#include <gtest/gtest.h>

#include "ReservedPlaces.h"

TEST(ReservedPlaces, APlaceItselfWhatLiesBelowItOrHoldsItIsRefusedButProgramsGoBelowProgramFiles)
{
    const std::vector<ReservedPlace> places = {
        {ReservedKind::WindowsFolder, "C:\\Windows"},
        {ReservedKind::ProfilesFolder, "C:\\Users"},
        {ReservedKind::TemporaryFolder, "C:\\Users\\ann\\AppData\\Local\\Temp"},
        {ReservedKind::TemporaryFolder, "D:\\Work\\Temp"},
        {ReservedKind::ProgramFiles, "C:\\Program Files (x86)"},
    };
    const char* const refused[][2] = {
        {"c:\\windows\\System32\\acc-b7", " lies in the Windows folder C:\\Windows"},
        // The nearest place decides: the temporary folder, not the profiles' folder above it.
        {"C:\\Users\\ann\\AppData\\Local\\Temp\\B7",
         " lies in the temporary folder C:\\Users\\ann\\AppData\\Local\\Temp"},
        {"D:\\Work", " holds the temporary folder D:\\Work\\Temp"},
        {"C:\\Program Files (x86)\\", " is the program-files folder C:\\Program Files (x86)"},
        {"\\\\server\\share\\", " is the root of the drive"},
    };
    for (const auto& [folder, says] : refused) {
        const std::optional<ReservedMatch> match = FindReservedPlace(folder, places);
        ASSERT_TRUE(match) << folder;
        EXPECT_EQ(std::string("The directory ") + folder + says +
                      ", which is no place for a program's own folder. Choose another directory.",
                  ReservedPlaceMessage(folder, *match));
    }
    for (const char* folder : {"C:\\Program Files (x86)\\Brisel Backup 7", "C:\\Windows2\\B7", "D:\\Work\\Temporary"})
        EXPECT_FALSE(FindReservedPlace(folder, places)) << folder;
}
