#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, SplitsAsTheCRuntimeDoes)
{
    EXPECT_EQ((Args{"/silent", "/log=C:\\My Logs\\setup.log"}),
              SplitCommandLine("  /silent\t\"/log=C:\\My Logs\\setup.log\"  "));
    EXPECT_EQ((Args{"/settings=C:\\Deploy Kit\\bb7.txt"}), SplitCommandLine("/settings=\"C:\\Deploy Kit\\bb7.txt\""));
    // Backslashes count only in front of a quote: pairs become one, an odd one makes it literal.
    EXPECT_EQ((Args{"C:\\dir\\", "a\\\"b", "c\\\\d"}), SplitCommandLine("\"C:\\dir\\\\\" a\\\\\\\"b c\\\\d"));
    EXPECT_EQ((Args{"say \"hi\"", ""}), SplitCommandLine("\"say \"\"hi\"\"\" \"\""));
    EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

TEST(ParseArguments, NoSwitchesRunTheWizardAsAlways)
{
    const CommandLineOptions options = ParseArguments({});
    EXPECT_TRUE(RunsWizard(options));
    EXPECT_TRUE(options.SettingsFile.empty() && options.LogFile.empty());
    // A log file of its own does not stop the wizard either.
    const CommandLineOptions logged = ParseCommandLine("-LOG=D:\\bb7.log");
    EXPECT_TRUE(RunsWizard(logged));
    EXPECT_EQ("D:\\bb7.log", logged.LogFile);
}

TEST(ParseArguments, SwitchesIgnoreLetterCaseAndTakeDashForSlash)
{
    const CommandLineOptions options =
        ParseCommandLine("-Silent /SETTINGS=C:\\Kit\\Bb7.txt -log=\"C:\\Log Files\\x.LOG\"");
    EXPECT_TRUE(options.Error.empty()) << options.Error;
    EXPECT_TRUE(options.Silent);
    EXPECT_FALSE(RunsWizard(options));
    EXPECT_EQ("C:\\Kit\\Bb7.txt", options.SettingsFile) << "values keep their letter case";
    EXPECT_EQ("C:\\Log Files\\x.LOG", options.LogFile);
    EXPECT_TRUE(ParseCommandLine("-?").Usage);
    EXPECT_TRUE(ParseCommandLine("/?").Usage);
}

TEST(ParseArguments, WhatIsNotUnderstoodIsSaidFirstOfAll)
{
    struct Case {
        const char* CommandLine;
        const char* Error;
    } cases[] = {
        {"/silent /quiet", "Unknown switch \"/quiet\""},
        {"setup /silent", "Unknown switch \"setup\""},
        {"/silent=yes", "Unknown switch \"/silent=yes\""},
        {"/", "Unknown switch \"/\""},
        {"/silent /log=", "The switch \"/log=\" needs a path: /log=PATH"},
        {"/silent /settings", "The switch \"/settings\" needs a path: /settings=PATH"},
        {"/settings=C:\\a.txt", "The switch /settings=PATH belongs to a silent run: add /silent"},
        {"/x /y", "Unknown switch \"/x\""},
    };
    for (const Case& c : cases) {
        const CommandLineOptions options = ParseCommandLine(c.CommandLine);
        EXPECT_EQ(c.Error, options.Error) << c.CommandLine;
        EXPECT_FALSE(RunsWizard(options)) << c.CommandLine;
    }
    EXPECT_TRUE(ParseCommandLine("/silent /quiet").Silent) << "known switches still count, for the box's sake";
}

} // namespace
