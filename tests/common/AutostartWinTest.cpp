#include <gtest/gtest.h>

#include <optional>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Registry.h"
#include "WinTestSupport.h"

namespace {

const char* const RunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RunServicesPath = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

// The REG_SZ data as the system holds it, read without the helpers under test.
std::optional<std::string> RunData(HKEY Root, const std::string& Name, const char* Path = RunPath)
{
    char data[512] = {};
    DWORD type = 0, size = sizeof(data) - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(Root, Path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const LONG status = RegQueryValueExA(key, Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::string(data);
}

// Unique value names per test; whatever they leave behind goes, and so does a RunServices
// key that only the test created.
class Autostart : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            if (!OpenRegKey(root, RunServicesPath, KEY_READ))
                createdRunServices_.push_back(root);
    }
    void TearDown() override
    {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            for (const char* path : {RunPath, RunServicesPath})
                if (RegKey key = OpenRegKey(root, path, KEY_READ | KEY_WRITE))
                    for (const std::string& name : names_)
                        DeleteRegValue(key.Get(), name);
        for (HKEY root : createdRunServices_)
            if (RegValueNames(OpenRegKey(root, RunServicesPath, KEY_READ).Get()).empty())
                DeleteRegKey(root, RunServicesPath);
    }
    std::string NewName()
    {
        names_.push_back(UniqueTestName("Bb7 Autostart Test"));
        return names_.back();
    }

    std::vector<std::string> names_;
    std::vector<HKEY> createdRunServices_;
};

TEST_F(Autostart, DataIsQuotedOnlyWhenThePathHoldsABlank)
{
    const std::string a = NewName(), b = NewName(), c = NewName();
    SetAutostart(a, "C:\\Program Files\\Brisel Backup 7\\BriBU.exe", false, false, "", false);
    SetAutostart(b, "C:\\Program Files\\Brisel Backup 7\\briui.exe", false, true, "-service", false);
    SetAutostart(c, "C:\\Brisel\\briui.exe", false, false, "-service -x", false);

    EXPECT_EQ("\"C:\\Program Files\\Brisel Backup 7\\BriBU.exe\"", RunData(HKEY_CURRENT_USER, a));
    EXPECT_EQ("\"C:\\Program Files\\Brisel Backup 7\\briui.exe\" -service", RunData(HKEY_LOCAL_MACHINE, b));
    EXPECT_EQ("C:\\Brisel\\briui.exe -service -x", RunData(HKEY_CURRENT_USER, c));
    EXPECT_FALSE(RunData(HKEY_LOCAL_MACHINE, a)) << "the current user's entry went to all users";
    EXPECT_FALSE(RunData(HKEY_CURRENT_USER, b)) << "the all-users entry went to the current user";

    SetAutostart(a, "C:\\New\\BriBU.exe", false, false, "", false);
    EXPECT_EQ("C:\\New\\BriBU.exe", RunData(HKEY_CURRENT_USER, a)) << "not replaced";
}

TEST_F(Autostart, RunServicesIsAKeyOfItsOwnUnderEitherRoot)
{
    const std::string name = NewName();
    for (bool allUsers : {true, false}) {
        const HKEY root = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        SetAutostart(name, "C:\\Brisel\\BriNT.exe", false, allUsers, "", true);
        EXPECT_EQ("C:\\Brisel\\BriNT.exe", RunData(root, name, RunServicesPath));
        EXPECT_FALSE(RunData(root, name));
        SetAutostart(name, "", true, allUsers, "", true);
        EXPECT_FALSE(RunData(root, name, RunServicesPath));
    }
}

TEST_F(Autostart, RemovalTakesOnlyAValueOfExactlyThatName)
{
    const std::string name = NewName(), neighbour = NewName(), absent = NewName();
    std::string otherCase = name;
    for (char& c : otherCase)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    for (bool allUsers : {true, false}) {
        const HKEY root = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        SetAutostart(name, "C:\\Brisel\\BriBU.exe", false, allUsers, "", false);
        SetAutostart(neighbour, "C:\\Brisel\\briui.exe", false, allUsers, "", false);

        EXPECT_NO_THROW(SetAutostart(absent, "", true, allUsers, "", false));
        SetAutostart(otherCase, "", true, allUsers, "", false);
        EXPECT_TRUE(RunData(root, name)) << "removed through a name in other letter case";

        SetAutostart(name, "", true, allUsers, "", false);
        EXPECT_FALSE(RunData(root, name));
        EXPECT_EQ("C:\\Brisel\\briui.exe", RunData(root, neighbour));
    }
}

TEST_F(Autostart, AFailedWriteRaisesTheErrorWithTheValueName)
{
    // The registry refuses value names longer than 16383 characters: the key opens, the
    // write itself fails.
    const std::string tooLong(16384, 'v');
    try {
        SetAutostart(tooLong, "C:\\Brisel\\BriBU.exe", false, false, "", false);
        FAIL() << "no error raised";
    } catch (const EBriError& error) {
        EXPECT_EQ("Failed to set data for '" + tooLong + "'", error.what());
    }
}

} // namespace
