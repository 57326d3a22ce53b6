#include <gtest/gtest.h>

#include <algorithm>

#include "Registry.h"
#include "WinTestSupport.h"

namespace {

class RegistryHelper : public ::testing::Test {
protected:
    void SetUp() override
    {
        key_ = CreateRegKey(HKEY_CURRENT_USER, path_, KEY_READ | KEY_WRITE);
        ASSERT_TRUE(key_);
    }
    void TearDown() override
    {
        for (const std::string& name : RegValueNames(key_.Get()))
            DeleteRegValue(key_.Get(), name);
        key_.Reset();
        DeleteRegKey(HKEY_CURRENT_USER, path_ + "\\Child");
        DeleteRegKey(HKEY_CURRENT_USER, path_);
        DeleteRegKey(HKEY_CURRENT_USER, "Software\\Bb7SetupTests"); // fails while another test uses it
    }

    const std::string path_ = "\\Software\\Bb7SetupTests\\" + UniqueTestName("registry");
    RegKey key_;
};

TEST_F(RegistryHelper, ValuesRoundTripWithTheirTypes)
{
    const std::string longText(700, 'q'); // longer than the first read buffer
    ASSERT_TRUE(WriteRegString(key_.Get(), "Path", "C:\\Program Files\\Brisel"));
    ASSERT_TRUE(WriteRegString(key_.Get(), "Long", longText));
    ASSERT_TRUE(WriteRegDword(key_.Get(), "Installation type", 0xFFFFFFFEu));
    const char bare[] = {'a', 'b', 'c'}; // stored without its closing NUL
    RegSetValueExA(key_.Get(), "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), sizeof(bare));

    EXPECT_EQ("C:\\Program Files\\Brisel", ReadRegString(key_.Get(), "Path"));
    EXPECT_EQ(longText, ReadRegString(key_.Get(), "Long"));
    EXPECT_EQ("abc", ReadRegString(key_.Get(), "Bare"));
    EXPECT_EQ(0xFFFFFFFEu, ReadRegDword(key_.Get(), "Installation type"));
    EXPECT_FALSE(ReadRegString(key_.Get(), "Installation type"));
    EXPECT_FALSE(ReadRegDword(key_.Get(), "Path"));
    EXPECT_FALSE(ReadRegString(key_.Get(), "Missing"));

    DWORD type = 0, size = 0;
    RegQueryValueExA(key_.Get(), "Path", nullptr, &type, nullptr, &size);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(24u, size) << "the closing NUL is stored";
}

TEST_F(RegistryHelper, NamesAreListedAsWrittenAndDeletedOneByOne)
{
    WriteRegString(key_.Get(), "First Value", "1");
    WriteRegDword(key_.Get(), "secondVALUE", 2);
    std::vector<std::string> names = RegValueNames(key_.Get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"First Value", "secondVALUE"}), names);

    EXPECT_TRUE(DeleteRegValue(key_.Get(), "First Value"));
    EXPECT_FALSE(DeleteRegValue(key_.Get(), "First Value"));
    EXPECT_EQ(std::vector<std::string>{"secondVALUE"}, RegValueNames(key_.Get()));
}

TEST_F(RegistryHelper, KeysOpenWithOrWithoutTheLeadingBackslashAndAreCreatedOnRequest)
{
    WriteRegString(key_.Get(), "Marker", "here");
    EXPECT_EQ("here", ReadRegString(OpenRegKey(HKEY_CURRENT_USER, path_.substr(1), KEY_READ).Get(), "Marker"));

    EXPECT_FALSE(OpenRegKey(HKEY_CURRENT_USER, path_ + "\\Child", KEY_READ));
    EXPECT_TRUE(CreateRegKey(HKEY_CURRENT_USER, path_ + "\\Child", KEY_WRITE));
    EXPECT_TRUE(OpenRegKey(HKEY_CURRENT_USER, path_ + "\\Child", KEY_READ));
    EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, path_)) << "a key with a sub-key";
}

} // namespace
