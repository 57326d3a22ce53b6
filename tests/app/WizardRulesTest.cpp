// The pages' rules without a window.
#include <gtest/gtest.h>

#include "WizardRules.h"

TEST(WizardRules, SettingsAreCheckedOnlyForTheService)
{
    SettingsChoice choice;
    choice.Type = ikNoAuto;
    choice.NamedAccount = true; // left over from an earlier choice: no matter
    EXPECT_EQ(SettingsVerdict::Accept, CheckSettingsChoice(choice, false));
    EXPECT_FALSE(choice.AccountChoicesEnabled());
    EXPECT_FALSE(choice.AccountFieldsEnabled());

    choice.Type = ikService;
    EXPECT_TRUE(choice.AccountFieldsEnabled());
    choice.Id = std::string(" \t\x01 ", 4);
    EXPECT_EQ(SettingsVerdict::EmptyAccountName, CheckSettingsChoice(choice, false));
    EXPECT_EQ(SettingsVerdict::EmptyAccountName, CheckSettingsChoice(choice, true));
    choice.Id = " user";
    EXPECT_EQ(SettingsVerdict::Accept, CheckSettingsChoice(choice, false));

    choice.NamedAccount = false;
    choice.LocalSystem = true;
    EXPECT_TRUE(choice.AccountChoicesEnabled());
    EXPECT_FALSE(choice.AccountFieldsEnabled());
    EXPECT_EQ(SettingsVerdict::AskLocalSystem, CheckSettingsChoice(choice, false));
    EXPECT_EQ(SettingsVerdict::Accept, CheckSettingsChoice(choice, true)) << "an unattended run never asks";
}

TEST(WizardRules, TheSettingsHandOnTheAccountWithItsLocalPrefix)
{
    SettingsChoice choice;
    choice.Type = ikService;
    choice.NamedAccount = true;
    choice.Id = " user";
    choice.Password = " secret ";
    SettingsAnswers answers = TakeSettings(choice);
    EXPECT_EQ(".\\ user", answers.AccountName);
    EXPECT_EQ(" secret ", answers.AccountPassword);
    EXPECT_EQ(ikService, answers.InstallKind);
    EXPECT_EQ(akNamedAccount, answers.AccountKind);

    choice.Id = "DOMAIN\\user";
    EXPECT_EQ("DOMAIN\\user", TakeSettings(choice).AccountName);

    choice = SettingsChoice();
    choice.Type = ikAutoAll;
    answers = TakeSettings(choice);
    EXPECT_EQ(".\\", answers.AccountName) << "every type gets the prefix, an empty box too";
    EXPECT_EQ(akNamedAccount, answers.AccountKind) << "no account button selected counts as the named account";
    choice.LocalSystem = true;
    EXPECT_EQ(akLocalSystem, TakeSettings(choice).AccountKind);
}
