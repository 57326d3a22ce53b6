#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "SettingsChoices.h"

namespace {

const std::string Proposed = "C:\\Program Files\\Brisel Backup 7";

TAuto FileOf(const std::string& Text)
{
    const std::string path =
        testing::TempDir() + "bb7silent-" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::ofstream(path, std::ios::binary) << Text;
    const TAuto file(path);
    std::remove(path.c_str());
    return file;
}

// The platforms and rights that the tests under Wine (an administrator's NT) cannot show.
TEST(SilentChoices, WithoutAFileThePagesDefaultsHoldAndTheirChecksApply)
{
    const PlatformDefaults administrator = DecidePlatformDefaults(true, true);
    const SilentChoices admin = ChooseSilently(nullptr, {}, Proposed, administrator);
    EXPECT_TRUE(admin.Folder == Proposed && admin.CreateIcons);
    EXPECT_TRUE(admin.Settings.Type == ikService && admin.Settings.LocalSystem && !admin.Settings.NamedAccount)
        << "no account is named: the service runs as LocalSystem";
    EXPECT_EQ("", RefusalOf(admin));
    EXPECT_EQ("Your account name is empty",
              RefusalOf(ChooseSilently(nullptr, {{"AUTHKIND", "1"}}, Proposed, administrator)))
        << "a named account needs an ID";
    const SilentChoices user = ChooseSilently(nullptr, {}, Proposed, DecidePlatformDefaults(true, false));
    EXPECT_EQ(ikAutoCurrent, user.Settings.Type);
    EXPECT_EQ("", RefusalOf(user));
    EXPECT_EQ(ikAutoAll, ChooseSilently(nullptr, {}, Proposed, DecidePlatformDefaults(false, false)).Settings.Type);

    // A file's type counts where the platform disabled it; LocalSystem is never asked about.
    const TAuto file = FileOf("STDDIR=D:\\BB7\r\nINSTKIND=3\r\nAUTHKIND=0\r\n");
    const SilentChoices chosen = ChooseSilently(&file, {}, Proposed, DecidePlatformDefaults(true, false));
    EXPECT_TRUE(chosen.Folder == "D:\\BB7" && !chosen.CreateIcons);
    EXPECT_TRUE(chosen.Settings.Type == ikService && chosen.Settings.LocalSystem);
    EXPECT_EQ("", RefusalOf(chosen));
}

TEST(SilentChoices, APasswordThatCannotBeDecipheredRefusesWithoutShowingIt)
{
    // Ciphered with another key: the unattended run takes the cipher's error text as the password.
    const std::string other = *EncipherText("pass word", "another key");
    const TAuto file = FileOf("STDDIR=D:\\BB7\r\nINSTKIND=3\r\nAUTHKIND=1\r\nINSTID=backup\r\nINSTPASSWORD=" + other);
    EXPECT_EQ("The settings file's INSTPASSWORD is no text that bb7cipher ciphered",
              RefusalOf(ChooseSilently(&file, {}, Proposed, DecidePlatformDefaults(true, true))));
    EXPECT_EQ(std::string::npos, ReadFileChoices(file).Notes.at(0).find(other));
}

} // namespace
