#include <gtest/gtest.h>

#include <optional>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Registry.h"
#include "WinTestSupport.h"

namespace {

const char* const RunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RunServicesPath = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

struct RunValue {
    DWORD Type;
    std::string Data;
};

// The value as the system holds it, read without the helpers under test.
std::optional<RunValue> ReadRunValue(HKEY Root, const char* Path, const std::string& Name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(Root, Path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char data[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(data) - 1;
    const LONG status = RegQueryValueExA(key, Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return RunValue{type, data};
}

// Gives every test its own value names and removes whatever they left behind, together
// with a RunServices key that only the test created.
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
        for (HKEY root : createdRunServices_) {
            RegKey key = OpenRegKey(root, RunServicesPath, KEY_READ);
            if (key && RegValueNames(key.Get()).empty()) {
                key.Reset();
                DeleteRegKey(root, RunServicesPath);
            }
        }
    }

    std::string NewName()
    {
        names_.push_back(UniqueTestName("Bb7 Autostart Test"));
        return names_.back();
    }

    std::vector<std::string> names_;
    std::vector<HKEY> createdRunServices_;
};

TEST_F(Autostart, PathWithABlankIsQuotedForTheCurrentUser)
{
    const std::string bare = NewName();
    const std::string withParameters = NewName();
    SetAutostart(bare, "C:\\Program Files\\Brisel Backup 7\\BriBU.exe", false, false, "", false);
    SetAutostart(withParameters, "C:\\Program Files\\Brisel Backup 7\\briui.exe", false, false, "-service", false);

    const auto first = ReadRunValue(HKEY_CURRENT_USER, RunPath, bare);
    ASSERT_TRUE(first);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), first->Type);
    EXPECT_EQ("\"C:\\Program Files\\Brisel Backup 7\\BriBU.exe\"", first->Data);
    const auto second = ReadRunValue(HKEY_CURRENT_USER, RunPath, withParameters);
    ASSERT_TRUE(second);
    EXPECT_EQ("\"C:\\Program Files\\Brisel Backup 7\\briui.exe\" -service", second->Data);

    EXPECT_FALSE(ReadRunValue(HKEY_LOCAL_MACHINE, RunPath, bare)) << "written for all users";
}

TEST_F(Autostart, PathWithoutBlankStaysUnquotedForAllUsers)
{
    const std::string bare = NewName();
    const std::string withParameters = NewName();
    SetAutostart(bare, "C:\\Brisel\\BriBU.exe", false, true, "", false);
    SetAutostart(withParameters, "C:\\Brisel\\briui.exe", false, true, "-service -x", false);

    const auto first = ReadRunValue(HKEY_LOCAL_MACHINE, RunPath, bare);
    ASSERT_TRUE(first);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), first->Type);
    EXPECT_EQ("C:\\Brisel\\BriBU.exe", first->Data);
    const auto second = ReadRunValue(HKEY_LOCAL_MACHINE, RunPath, withParameters);
    ASSERT_TRUE(second);
    EXPECT_EQ("C:\\Brisel\\briui.exe -service -x", second->Data);

    EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, RunPath, bare)) << "written for the current user";
}

TEST_F(Autostart, AddingAgainReplacesTheData)
{
    const std::string name = NewName();
    SetAutostart(name, "C:\\Old\\BriBU.exe", false, false, "", false);
    SetAutostart(name, "C:\\New\\BriBU.exe", false, false, "", false);
    const auto value = ReadRunValue(HKEY_CURRENT_USER, RunPath, name);
    ASSERT_TRUE(value);
    EXPECT_EQ("C:\\New\\BriBU.exe", value->Data);
}

TEST_F(Autostart, RunServicesGoesToItsOwnKeyUnderEitherRoot)
{
    const std::string name = NewName();
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        SetAutostart(name, "C:\\Brisel\\BriNT.exe", false, root == HKEY_LOCAL_MACHINE, "", true);
        const auto value = ReadRunValue(root, RunServicesPath, name);
        ASSERT_TRUE(value);
        EXPECT_EQ("C:\\Brisel\\BriNT.exe", value->Data);
        EXPECT_FALSE(ReadRunValue(root, RunPath, name));

        SetAutostart(name, "", true, root == HKEY_LOCAL_MACHINE, "", true);
        EXPECT_FALSE(ReadRunValue(root, RunServicesPath, name));
    }
}

TEST_F(Autostart, RemovingTakesOnlyTheValueOfExactlyThatName)
{
    const std::string name = NewName();
    const std::string neighbour = NewName();
    for (bool allUsers : {true, false}) {
        const HKEY root = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        SetAutostart(name, "C:\\Brisel\\BriBU.exe", false, allUsers, "", false);
        SetAutostart(neighbour, "C:\\Brisel\\briui.exe", false, allUsers, "", false);

        std::string otherCase = name;
        for (char& c : otherCase)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        SetAutostart(otherCase, "", true, allUsers, "", false);
        EXPECT_TRUE(ReadRunValue(root, RunPath, name)) << "removed through a name in other letter case";

        SetAutostart(name, "", true, allUsers, "", false);
        EXPECT_FALSE(ReadRunValue(root, RunPath, name));
        EXPECT_TRUE(ReadRunValue(root, RunPath, neighbour));
    }
}

TEST_F(Autostart, RemovingAnAbsentNameChangesNothing)
{
    const std::string present = NewName();
    const std::string absent = NewName();
    SetAutostart(present, "C:\\Brisel\\BriBU.exe", false, false, "", false);

    EXPECT_NO_THROW(SetAutostart(absent, "C:\\Brisel\\BriBU.exe", true, false, "", false));
    EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, RunPath, absent));
    const auto kept = ReadRunValue(HKEY_CURRENT_USER, RunPath, present);
    ASSERT_TRUE(kept);
    EXPECT_EQ("C:\\Brisel\\BriBU.exe", kept->Data);
}

TEST_F(Autostart, AFailedWriteRaisesTheErrorWithTheValueName)
{
    // The registry refuses value names longer than 16383 characters: the key opens, the
    // write itself fails.
    names_.push_back(std::string(16384, 'v'));
    const std::string& tooLong = names_.back();
    try {
        SetAutostart(tooLong, "C:\\Brisel\\BriBU.exe", false, false, "", false);
        FAIL() << "no error raised";
    } catch (const EBriError& error) {
        EXPECT_EQ("Failed to set data for '" + tooLong + "'", error.what());
    }
}

} // namespace
