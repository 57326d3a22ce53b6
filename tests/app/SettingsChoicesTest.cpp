#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "SettingsChoices.h"

namespace {

const std::string Proposed = "C:\\Program Files\\Brisel Backup 7";

// The platforms and rights that the tests under Wine (an administrator's NT) cannot show.
TEST(SilentChoices, WithoutAFileThePagesDefaultsHoldAndTheirChecksApply)
{
    const SilentChoices admin = ChooseSilently(nullptr, Proposed, DecidePlatformDefaults(true, true));
    EXPECT_TRUE(admin.Folder == Proposed && admin.CreateIcons);
    EXPECT_TRUE(admin.Settings.Type == ikService && admin.Settings.NamedAccount);
    EXPECT_EQ("Your account name is empty", RefusalOf(admin)) << "a named account needs an ID";
    const SilentChoices user = ChooseSilently(nullptr, Proposed, DecidePlatformDefaults(true, false));
    EXPECT_EQ(ikAutoCurrent, user.Settings.Type);
    EXPECT_EQ("", RefusalOf(user));
    EXPECT_EQ(ikAutoAll, ChooseSilently(nullptr, Proposed, DecidePlatformDefaults(false, false)).Settings.Type);

    // A file's type counts where the platform disabled it; LocalSystem is never asked about.
    const std::string path = testing::TempDir() + "bb7silent-settings.txt";
    std::ofstream(path, std::ios::binary) << "STDDIR=D:\\BB7\r\nINSTKIND=3\r\nAUTHKIND=0\r\n";
    const TAuto file(path);
    std::remove(path.c_str());
    const SilentChoices chosen = ChooseSilently(&file, Proposed, DecidePlatformDefaults(true, false));
    EXPECT_TRUE(chosen.Folder == "D:\\BB7" && !chosen.CreateIcons);
    EXPECT_TRUE(chosen.Settings.Type == ikService && chosen.Settings.LocalSystem);
    EXPECT_EQ("", RefusalOf(chosen));
}

} // namespace
