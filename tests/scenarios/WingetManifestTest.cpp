// The winget manifest that the build writes beside Bb7Setup.exe: its three files follow winget's
// schemas of manifest version 1.6.0 and agree with each other, and every value says what the
// installer and its uninstall entry do. The installer is run with the manifest's switches as
// winget runs it: it installs where InstallLocation says, logs where Log says, ends with the
// codes that ExpectedReturnCodes names, and writes the entry of AppsAndFeaturesEntries.
#include <cctype>
#include <map>

#include "CommandLine.h"
#include "InstallationTraces.h"
#include "ProductTestSupport.h"
#include "RunLog.h"
#include "Sha256.h"
#include "WingetSchema.h"
#include "WizardFixture.h"

namespace {

using namespace wizardtest;

const char* const Id = "Brisel.BriselBackup7";

std::string ManifestText(const std::string& Suffix)
{
    return ReadWholeFile(OwnFolder() + "winget\\" + Id + Suffix);
}

std::string Replaced(std::string Text, const std::string& Token, const std::string& Value)
{
    const size_t at = Text.find(Token);
    return at == std::string::npos ? Text : Text.replace(at, Token.size(), Value);
}

// The execution level that a program's own manifest (its RT_MANIFEST resource) asks for; empty
// without one.
std::string RequestedExecutionLevel(const std::string& Exe)
{
    HMODULE module = LoadLibraryExA(Exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    const char* data = resource ? static_cast<const char*>(LockResource(LoadResource(module, resource))) : nullptr;
    const std::string xml = data ? std::string(data, SizeofResource(module, resource)) : std::string();
    FreeLibrary(module);
    const size_t at = xml.find("requestedExecutionLevel level=\"");
    if (at == std::string::npos)
        return "";
    const size_t start = xml.find('"', at) + 1;
    return xml.substr(start, xml.find('"', start) - start);
}

class WingetManifestTest : public WizardFixture {
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        RemoveTestService("BriBackup7");
        RemoveInstallationTraces();
    }
    void TearDown() override
    {
        WizardFixture::TearDown();
        RemoveTestService("BriBackup7");
        RemoveInstallationTraces();
    }
    // The installer's exit code for this command line, started as winget starts it.
    DWORD Run(const std::string& Arguments)
    {
        process_ = std::make_unique<InstallerProcess>(exe_, programDir_, Arguments);
        EXPECT_TRUE(process_->WaitForExit(90s)) << Arguments;
        return process_->ExitCode();
    }

    ScratchFolder scratch_{"C:\\"};
};

TEST_F(WingetManifestTest, TheThreeFilesFollowWingetsSchemasAndAgree)
{
    const std::string installerText = ManifestText(".installer.yaml");
    const YamlNode version = ReadYaml(ManifestText(".yaml"));
    const YamlNode installer = ReadYaml(installerText);
    const YamlNode locale = ReadYaml(ManifestText(".locale.en-US.yaml"));
    EXPECT_EQ(std::vector<std::string>(), SchemaViolations(version, ManifestType::Version));
    EXPECT_EQ(std::vector<std::string>(), SchemaViolations(installer, ManifestType::Installer));
    EXPECT_EQ(std::vector<std::string>(), SchemaViolations(locale, ManifestType::DefaultLocale));
    for (const YamlNode* file : {&version, &installer, &locale}) {
        EXPECT_EQ(Id, (*file)["PackageIdentifier"]);
        EXPECT_EQ(BB7_PROJECT_VERSION, (*file)["PackageVersion"]) << "the version of CMakeLists.txt";
        EXPECT_EQ("1.6.0", (*file)["ManifestVersion"]);
    }
    EXPECT_EQ(version["DefaultLocale"], locale["PackageLocale"]);

    // The check finds what winget refuses.
    const struct {
        const char* Written;
        const char* Wrong;
        const char* Fault;
    } faults[] = {
        {"Scope: machine", "Scope: computer", "Scope: \"computer\" is none of the schema's values"},
        {"InstallerReturnCode: 1", "InstallerReturnCode: 0", "ExpectedReturnCodes[0].InstallerReturnCode: \"0\""},
        {"InstallerSwitches:", "InstallerSwitch:", "InstallerSwitch: no field of the schema"},
        {"InstallerSha256: ", "InstallerSha256: 0", "Installers[0].InstallerSha256: \"0"},
        {"ManifestType: installer", "Channel: beta", "ManifestType: missing, and required"},
        {"- silent", "- quiet", "InstallModes: no list of distinct values"},
    };
    for (const auto& fault : faults) {
        const std::vector<std::string> found =
            SchemaViolations(ReadYaml(Replaced(installerText, fault.Written, fault.Wrong)), ManifestType::Installer);
        ASSERT_FALSE(found.empty()) << fault.Wrong;
        EXPECT_EQ(0u, found[0].find(fault.Fault)) << found[0];
    }
    EXPECT_THROW(ReadYaml("Silent: {a: b}\n"), std::runtime_error) << "a flow mapping is no text";
}

TEST_F(WingetManifestTest, EveryValueIsWhatTheInstallerAndItsUninstallEntryDo)
{
    const YamlNode manifest = ReadYaml(ManifestText(".installer.yaml"));
    const YamlNode& installer = manifest.Find("Installers")->Items.at(0);

    // The file that is shipped, as it was built (and signed, when the build signs).
    const std::string exe = ReadWholeFile(OwnFolder() + "Bb7Setup.exe");
    std::string digest = DigestToHex(Sha256Of(exe.data(), exe.size()));
    for (char& c : digest)
        c = static_cast<char>(toupper(c));
    EXPECT_EQ(digest, installer["InstallerSha256"]);
    const uint32_t header = *reinterpret_cast<const uint32_t*>(&exe.at(0x3C));
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, *reinterpret_cast<const uint16_t*>(&exe.at(header + 4)));
    EXPECT_EQ("x86", installer["Architecture"]);
    // Its own manifest asks for the highest rights the user has: it elevates itself.
    const std::string level = RequestedExecutionLevel(exe_);
    const bool elevatesSelf = level == "highestAvailable" || level == "requireAdministrator";
    EXPECT_EQ(elevatesSelf ? "elevatesSelf" : "elevationRequired", manifest["ElevationRequirement"]) << level;

    // Every exit code but 0, once, with the nearest response.
    std::map<std::string, std::string> responses;
    for (const YamlNode& code : manifest.Find("ExpectedReturnCodes")->Items)
        responses[code["InstallerReturnCode"]] = code["ReturnResponse"];
    const std::map<std::string, std::string> expected = {
        {std::to_string(ecInstalledWithErrors), "custom"},
        {std::to_string(ecNotInstalled), "installInProgress"},
        {std::to_string(ecNotUnpacked), "custom"},
        {std::to_string(ecStoppedEarly), "custom"},
        {std::to_string(ecSettingsRefused), "invalidParameter"},
        {std::to_string(ecBadCommandLine), "invalidParameter"},
        {std::to_string(ecEarlierVersionPutBack), "custom"},
        {std::to_string(ecDiskFull), "diskFull"},
        {std::to_string(ecRestartRequired), "rebootRequiredToFinish"},
    };
    EXPECT_EQ(expected, responses);

    // The command line winget makes: Silent, Log and InstallLocation with its tokens replaced.
    // Without switches the installer is the wizard; with /silent it shows nothing.
    std::vector<std::string> modes;
    for (const YamlNode& mode : manifest.Find("InstallModes")->Items)
        modes.push_back(mode.Text);
    EXPECT_EQ((std::vector<std::string>{"interactive", "silent"}), modes);
    const YamlNode& switches = *manifest.Find("InstallerSwitches");
    EXPECT_EQ(switches["Silent"], switches["SilentWithProgress"]) << "there is no progress to show";
    CreateDirectoryA((scratch_ / "Win Get").c_str(), nullptr);
    const std::string logPath = scratch_ / "Win Get\\install log.txt";
    const std::string installPath = scratch_ / "Apps Folder\\Brisel Backup 7";
    const std::string winget = switches["Silent"] + " " + Replaced(switches["Log"], "<LOGPATH>", logPath) + " " +
                               Replaced(switches["InstallLocation"], "<INSTALLPATH>", installPath);
    const CommandLineOptions options = ParseCommandLine(winget);
    EXPECT_TRUE(options.Silent && options.Error.empty()) << options.Error;
    EXPECT_EQ(logPath, options.LogFile);
    EXPECT_EQ(installPath, options.InstallDir);

    // The manifest's own install, without any settings: the type the pages propose to an
    // administrator, the service, as LocalSystem since nobody named an account.
    ASSERT_EQ(0u, Run(winget));
    EXPECT_NE(std::string::npos, ReadWholeFile(logPath).find("* Exit code 0")) << ReadWholeFile(logPath);
    EXPECT_EQ(installPath + "\\", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_EQ("LocalSystem", QueryService("BriBackup7").Account);
    // winget's --custom passes settings: a settings file, or the settings themselves. UpgradeBehavior
    // install: over an installation the installer removes the older one itself.
    const std::string settings = scratch_ / "bb7 settings.txt";
    WriteWholeFile(settings, "INSTKIND=2\r\nCREATEICONS=TRUE\r\n");
    const std::string custom = winget + " \"/settings=" + settings + "\"";
    for (const std::string& upgrade : {custom, winget + " INSTKIND=2 CREATEICONS=TRUE"}) {
        SCOPED_TRACE(upgrade);
        ASSERT_EQ(0u, Run(upgrade));
        EXPECT_NE(std::string::npos, ReadWholeFile(logPath).find("Uninstalling the old version"));
        EXPECT_FALSE(QueryService("BriBackup7").Exists) << "type 2 has no service";
    }

    // The entry of Windows' list of programs, for all users (Scope machine), named ProductCode.
    const YamlNode& entry = manifest.Find("AppsAndFeaturesEntries")->Items.at(0);
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + entry["ProductCode"];
    for (const char* name : {"DisplayName", "Publisher", "DisplayVersion"})
        EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, key.c_str(), name), entry[name]) << name;
    EXPECT_EQ(manifest["PackageVersion"], entry["DisplayVersion"]) << "winget compares them";
    EXPECT_EQ("<no key>", RegString(HKEY_CURRENT_USER, key.c_str(), "DisplayName"));

    // The other codes the installer tells winget: another installer runs, a switch not understood.
    {
        // A wizard that shows its pages holds the one installer's lock.
        InstallerProcess wizard(exe_, programDir_);
        ASSERT_NE(nullptr, wizard.WaitForWindow("TMainForm", 60s));
        EXPECT_EQ(DWORD(ecNotInstalled), Run(custom));
    }
    EXPECT_EQ(DWORD(ecBadCommandLine), Run(custom + " /upgrade"));

    StartedProgram uninstaller(RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
    ASSERT_TRUE(uninstaller.WaitForExit(60000));
    EXPECT_EQ(0u, uninstaller.ExitCode());
    EXPECT_FALSE(FilePresent(installPath + "\\BriBU.exe"));
}

} // namespace
