// The fixture of the upgrade scenarios: an earlier release of the product (a changed file, a
// file more) that a copy of the installer carries, silent runs of either installer with their
// log in the scratch folder, and which version of the product stands in the installation folder.
#pragma once

#include <string>

#include "InstallerPayload.h"
#include "SilentFixture.h"

namespace wizardtest {

inline const char* const ServiceSettings = "INSTKIND=3\r\nAUTHKIND=0\r\nCREATEICONS=FALSE\r\n";

inline std::string FirstLine(const std::string& Text)
{
    return Text.substr(0, Text.find_first_of("\r\n"));
}

inline bool Has(const std::string& Text, const std::string& Part)
{
    return Text.find(Part) != std::string::npos;
}

class EarlierReleaseFixture : public SilentFixture {
protected:
    void SetUp() override
    {
        SilentFixture::SetUp();
        earlierDir_ = programDir_ + "earlier\\";
        ASSERT_TRUE(CreateDirectoryA(earlierDir_.c_str(), nullptr));
        ASSERT_TRUE(CopyFileA(exe_.c_str(), (earlierDir_ + "Bb7Setup.exe").c_str(), FALSE));
        ASSERT_TRUE(ReplaceInstallerPayload(earlierDir_ + "Bb7Setup.exe", ReadWholeFile(BB7_EARLIER_PAYLOAD)));
        RemoveTree(installDir_);
    }
    void TearDown() override
    {
        SilentFixture::TearDown();
        RemoveTree(installDir_); // a folder of files without its records is nobody's
    }

    // A run of the installer in Folder with Settings beside it, to its end; its log is log_.
    DWORD RunFrom(const std::string& Folder, const std::string& Settings, const std::string& Switches = "/silent")
    {
        WriteWholeFile(Folder + "Bb7Auto.txt", Settings);
        DeleteFileA(log_.c_str());
        InstallerProcess run(Folder + "Bb7Setup.exe", Folder, Switches + " \"/log=" + log_ + "\"");
        EXPECT_TRUE(run.WaitForExit(90s)) << "the run did not end";
        return run.ExitCode();
    }

    // The earlier release, installed silently as a LocalSystem service into installDir_, running.
    void InstallEarlier()
    {
        ASSERT_EQ(0u, RunFrom(earlierDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
        ASSERT_EQ("old", FirstLine(Stands()));
    }

    // Which version stands in installDir_ ("old", "new" or "broken", the first line) and what
    // each one lacks, once what the last run started has settled.
    std::string Stands()
    {
        const std::string output = scratch_ / "stands.txt";
        // The folder without its last backslash, which would escape the closing quote.
        const std::string folder = installDir_.substr(0, installDir_.size() - 1);
        StartedProgram checker("\"" + OwnFolder() + "bb7installed.exe\" --settle 30 --account LocalSystem \"" + folder +
                                   "\" \"old=" BB7_EARLIER_DISTRO "\" \"new=" BB7_STAGED_DISTRO_DIR "\"",
                               output);
        checker.WaitForExit(60000);
        return ReadWholeFile(output);
    }

    std::string earlierDir_;
    std::string log_ = scratch_ / "run.log";
};

} // namespace wizardtest
