#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "SilentSettings.h"
#include "StringCipher.h"
#include "UnattendedKey.h"

namespace {

std::unique_ptr<TAuto> File(const std::string& Text)
{
    const std::string path =
        testing::TempDir() + "bb7silent-" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::ofstream(path, std::ios::binary) << Text;
    auto settings = std::make_unique<TAuto>(path);
    std::remove(path.c_str());
    return settings;
}

const PlatformDefaults Administrator = DecidePlatformDefaults(true, true);
const PlatformDefaults User = DecidePlatformDefaults(true, false);
const PlatformDefaults Windows95 = DecidePlatformDefaults(false, false);
const std::string Proposed = "C:\\Program Files\\Brisel Backup 7";

TEST(ChooseSilently, WithoutAFileThePagesFirstShowDefaultsHold)
{
    const SilentChoices admin = ChooseSilently(nullptr, Proposed, Administrator);
    EXPECT_EQ(Proposed, admin.Folder);
    EXPECT_TRUE(admin.CreateIcons);
    EXPECT_EQ(ikService, admin.Settings.Type);
    EXPECT_TRUE(admin.Settings.NamedAccount);
    // ... which needs an ID that nobody gave: the Settings page would stay.
    EXPECT_EQ("Your account name is empty", RefusalOf(admin));

    const SilentChoices user = ChooseSilently(nullptr, Proposed, User);
    EXPECT_EQ(ikAutoCurrent, user.Settings.Type);
    EXPECT_EQ("", RefusalOf(user));
    EXPECT_EQ(ikAutoAll, ChooseSilently(nullptr, Proposed, Windows95).Settings.Type);
}

TEST(ChooseSilently, AFileCountsAsInTheUnattendedRun)
{
    const std::string password = *EncipherText("pass word", UnattendedPasswordKey);
    const auto file = File("stddir=D:\\BB7\r\nCREATEICONS=yes\r\nINSTKIND=3\r\nAUTHKIND=0\r\nINSTID=backup\r\n"
                           "INSTPASSWORD=" +
                           password + "\r\nINSTKIND=2\r\n");
    const SilentChoices choices = ChooseSilently(file.get(), Proposed, User);
    EXPECT_EQ("D:\\BB7", choices.Folder);
    EXPECT_FALSE(choices.CreateIcons) << "only TRUE ticks the box";
    // The file's type counts even where the platform disabled it; the first line counts.
    EXPECT_EQ(ikService, choices.Settings.Type);
    EXPECT_TRUE(choices.Settings.LocalSystem);
    EXPECT_EQ("backup", choices.Settings.Id);
    EXPECT_EQ("pass word", choices.Settings.Password);
    EXPECT_EQ("", RefusalOf(choices)) << "LocalSystem is never asked about";

    // Values that are no choice leave the defaults.
    const SilentChoices odd =
        ChooseSilently(File("STDDIR=D:\\BB7\r\nINSTKIND = 2\r\nAUTHKIND=7\r\n").get(), Proposed, Administrator);
    EXPECT_EQ(ikService, odd.Settings.Type);
    EXPECT_TRUE(odd.Settings.NamedAccount);
}

TEST(RefusalOf, ThePageChecksRefuseWhatWouldKeepTheWizardOnAPage)
{
    // A file without STDDIR empties the folder box, as the unattended run does.
    EXPECT_EQ("Unable to create directory", RefusalOf(ChooseSilently(File("INSTKIND=2\r\n").get(), Proposed, User)));
    EXPECT_EQ("Unable to create directory",
              RefusalOf(ChooseSilently(File("STDDIR=\r\nINSTKIND=2\r\n").get(), Proposed, User)));
    // A named account whose ID is blank.
    EXPECT_EQ("Your account name is empty",
              RefusalOf(ChooseSilently(File("STDDIR=C:\\B\r\nINSTKIND=3\r\nAUTHKIND=1\r\nINSTID= \t\r\n").get(),
                                       Proposed, Administrator)));
    EXPECT_EQ("", RefusalOf(ChooseSilently(File("STDDIR=C:\\B\r\nINSTKIND=3\r\nINSTID=OFFICE\\backup\r\n").get(),
                                           Proposed, Administrator)));
}

} // namespace
