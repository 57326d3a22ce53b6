#include <gtest/gtest.h>

#include "Registry.h"
#include "WinTestSupport.h"

namespace {

const char* const TestRoot = "Software\\Bb7SetupTests";

class RegistryHelper : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = std::string(TestRoot) + "\\" + UniqueTestName("registry");
        key_ = CreateRegKey(HKEY_CURRENT_USER, path_, KEY_READ | KEY_WRITE);
        ASSERT_TRUE(key_);
    }
    void TearDown() override
    {
        if (key_) {
            for (const std::string& name : RegValueNames(key_.Get()))
                DeleteRegValue(key_.Get(), name);
            key_.Reset();
        }
        DeleteRegKey(HKEY_CURRENT_USER, path_);
        DeleteRegKey(HKEY_CURRENT_USER, TestRoot); // only succeeds when no other test still uses it
    }

    std::string path_;
    RegKey key_;
};

TEST_F(RegistryHelper, StringsRoundTripWhateverTheirLength)
{
    const std::string longText(700, 'q'); // longer than the first read buffer
    ASSERT_TRUE(WriteRegString(key_.Get(), "Short", "C:\\Program Files\\Brisel"));
    ASSERT_TRUE(WriteRegString(key_.Get(), "Empty", ""));
    ASSERT_TRUE(WriteRegString(key_.Get(), "Long", longText));

    EXPECT_EQ("C:\\Program Files\\Brisel", ReadRegString(key_.Get(), "Short"));
    EXPECT_EQ("", ReadRegString(key_.Get(), "Empty"));
    EXPECT_EQ(longText, ReadRegString(key_.Get(), "Long"));
}

TEST_F(RegistryHelper, StringsAreStoredAsRegSzWithTheirNul)
{
    ASSERT_TRUE(WriteRegString(key_.Get(), "Text", "abc"));
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_.Get(), "Text", nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(4u, size);
}

TEST_F(RegistryHelper, StringWithoutClosingNulIsReadWhole)
{
    const char data[] = {'a', 'b', 'c'};
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key_.Get(), "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof(data)));
    EXPECT_EQ("abc", ReadRegString(key_.Get(), "Bare"));
}

TEST_F(RegistryHelper, ValuesOfTheWrongTypeOrMissingReadAsNothing)
{
    ASSERT_TRUE(WriteRegDword(key_.Get(), "Number", 3));
    ASSERT_TRUE(WriteRegString(key_.Get(), "Text", "3"));

    EXPECT_EQ(3u, ReadRegDword(key_.Get(), "Number"));
    EXPECT_FALSE(ReadRegString(key_.Get(), "Number"));
    EXPECT_FALSE(ReadRegDword(key_.Get(), "Text"));
    EXPECT_FALSE(ReadRegString(key_.Get(), "Missing"));
    EXPECT_FALSE(ReadRegDword(key_.Get(), "Missing"));
}

TEST_F(RegistryHelper, DwordsKeepAll32Bits)
{
    ASSERT_TRUE(WriteRegDword(key_.Get(), "Big", 0xFFFFFFFEu));
    EXPECT_EQ(0xFFFFFFFEu, ReadRegDword(key_.Get(), "Big"));
}

TEST_F(RegistryHelper, ValueNamesAreListedWithTheirLetterCaseAndCanBeDeleted)
{
    ASSERT_TRUE(WriteRegString(key_.Get(), "First Value", "1"));
    ASSERT_TRUE(WriteRegDword(key_.Get(), "secondVALUE", 2));

    std::vector<std::string> names = RegValueNames(key_.Get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"First Value", "secondVALUE"}), names);

    EXPECT_TRUE(DeleteRegValue(key_.Get(), "First Value"));
    EXPECT_FALSE(DeleteRegValue(key_.Get(), "First Value"));
    EXPECT_EQ(std::vector<std::string>{"secondVALUE"}, RegValueNames(key_.Get()));
}

TEST_F(RegistryHelper, LeadingBackslashMakesNoDifference)
{
    ASSERT_TRUE(WriteRegString(key_.Get(), "Marker", "here"));
    RegKey absolute = OpenRegKey(HKEY_CURRENT_USER, "\\" + path_, KEY_READ);
    ASSERT_TRUE(absolute);
    EXPECT_EQ("here", ReadRegString(absolute.Get(), "Marker"));
}

TEST_F(RegistryHelper, MissingKeysAreNotOpenedButCreatedOnRequest)
{
    const std::string child = path_ + "\\Child\\Grandchild";
    EXPECT_FALSE(OpenRegKey(HKEY_CURRENT_USER, child, KEY_READ));

    EXPECT_TRUE(CreateRegKey(HKEY_CURRENT_USER, "\\" + child, KEY_READ | KEY_WRITE));
    EXPECT_TRUE(OpenRegKey(HKEY_CURRENT_USER, child, KEY_READ));

    EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, path_ + "\\Child")); // it still has a sub-key
    EXPECT_TRUE(DeleteRegKey(HKEY_CURRENT_USER, child));
    EXPECT_TRUE(DeleteRegKey(HKEY_CURRENT_USER, path_ + "\\Child"));
    EXPECT_FALSE(OpenRegKey(HKEY_CURRENT_USER, path_ + "\\Child", KEY_READ));
}

} // namespace
