#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsAsTheCRuntimeDoesAndMatchesSwitchesInAnyCase)
{
    // Backslashes count only in front of a quote: pairs become one, an odd one makes it literal.
    EXPECT_EQ((Args{"/log=C:\\My Logs\\", "a\\\"b", "c\\\\d", "say \"hi\"", ""}),
              SplitCommandLine(" \"/log=C:\\My Logs\\\\\"\ta\\\\\\\"b c\\\\d \"say \"\"hi\"\"\" \"\""));
    const CommandLineOptions logged = ParseCommandLine("-LOG=D:\\bb7.log");
    EXPECT_TRUE(RunsWizard(logged) && RunsWizard(ParseCommandLine(""))) << "a log file of its own keeps the wizard";
    EXPECT_EQ("D:\\bb7.log", logged.LogFile);
    const CommandLineOptions options = ParseCommandLine("-Silent /SETTINGS=C:\\Kit\\Bb7.txt");
    EXPECT_TRUE(options.Error.empty() && options.Silent && !RunsWizard(options));
    EXPECT_EQ("C:\\Kit\\Bb7.txt", options.SettingsFile) << "values keep their letter case";
    EXPECT_TRUE(ParseCommandLine("-?").Usage && ParseCommandLine("/?").Usage);
}

TEST(CommandLine, DirNamesTheFolderOfASilentRunAsAPackageManagerPassesIt)
{
    // winget replaces <INSTALLPATH> in /dir="<INSTALLPATH>" by the folder it was given.
    const CommandLineOptions options = ParseCommandLine("/silent /log=\"C:\\Temp\\x y.log\" /DIR=\"D:\\My Apps\\BB7\"");
    EXPECT_TRUE(options.Error.empty()) << options.Error;
    EXPECT_EQ("D:\\My Apps\\BB7", options.InstallDir);
    EXPECT_EQ("C:\\Temp\\x y.log", options.LogFile);
    EXPECT_TRUE(ParseCommandLine("/silent").InstallDir.empty());

    // With /silent the usage goes into the log: the run is no wizard.
    const CommandLineOptions usage = ParseCommandLine("/? /silent");
    EXPECT_TRUE(usage.Silent && usage.Usage && usage.Error.empty() && !RunsWizard(usage));
}

TEST(CommandLine, WhatIsNotUnderstoodIsSaidFirstOfAll)
{
    const char* const cases[][2] = {
        {"setup /silent", "Unknown switch \"setup\""},
        {"/silent=yes /x", "Unknown switch \"/silent=yes\""},
        {"/silent /settings", "The switch \"/settings\" needs a path: /settings=PATH"},
        {"/settings=C:\\a.txt", "The switch /settings=PATH belongs to a silent run: add /silent"},
        {"/dir=C:\\BB7 /log=C:\\a.log", "The switch /dir=PATH belongs to a silent run: add /silent"},
        {"/silent -Dir=", "The switch \"-Dir=\" needs a path: /dir=PATH"},
        // A setting's value is never repeated: a mistyped INSTPASSWORD's would be the password.
        {"/silent \"INSTPASSWORD =secret\"", "Unknown setting \"INSTPASSWORD \""},
        {"INSTKIND=0", "The setting INSTKIND= belongs to a silent run: add /silent"},
        {"/silent STDDIR=C:\\A /DIR=C:\\B", "STDDIR= and /dir=PATH both name the installation folder: give one"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c[1], ParseCommandLine(c[0]).Error) << c[0];
        EXPECT_FALSE(RunsWizard(ParseCommandLine(c[0]))) << c[0];
    }
}

TEST(CommandLine, TheProgramsNameEndsAtItsClosingQuoteOrElseAtTheFirstBlank)
{
    EXPECT_EQ(u" /silent", ArgumentsAfterProgramName(u"\"C:\\My Kit\\Bb7Setup.exe\" /silent"));
    EXPECT_EQ(u" /silent", ArgumentsAfterProgramName(u"Bb7Setup.exe /silent"));
}

} // namespace
