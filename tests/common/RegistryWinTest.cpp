#include <gtest/gtest.h>

#include <algorithm>

#include "Registry.h"
#include "WinTestSupport.h"

namespace {

TEST(Registry, ValuesAndKeysRoundTrip)
{
    const std::string path = "\\Software\\Bb7SetupTests\\" + UniqueTestName("registry");
    EXPECT_FALSE(OpenRegKey(HKEY_CURRENT_USER, path, KEY_READ));
    RegKey key = CreateRegKey(HKEY_CURRENT_USER, path + "\\Child", KEY_READ | KEY_WRITE);
    ASSERT_TRUE(key);

    const std::string longText(700, 'q'); // longer than the first read buffer
    EXPECT_TRUE(WriteRegString(key.Get(), "Path", "C:\\Program Files\\Brisel"));
    EXPECT_TRUE(WriteRegString(key.Get(), "Long", longText));
    EXPECT_TRUE(WriteRegDword(key.Get(), "Installation type", 0xFFFFFFFEu));
    const char bare[] = {'a', 'b', 'c'}; // stored without its closing NUL
    RegSetValueExA(key.Get(), "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), sizeof(bare));

    // Read back through a key opened without the leading backslash.
    RegKey again = OpenRegKey(HKEY_CURRENT_USER, path.substr(1) + "\\Child", KEY_READ);
    EXPECT_EQ("C:\\Program Files\\Brisel", ReadRegString(again.Get(), "Path"));
    EXPECT_EQ(longText, ReadRegString(again.Get(), "Long"));
    EXPECT_EQ("abc", ReadRegString(again.Get(), "Bare"));
    EXPECT_EQ(0xFFFFFFFEu, ReadRegDword(again.Get(), "Installation type"));
    EXPECT_FALSE(ReadRegString(again.Get(), "Installation type"));
    EXPECT_FALSE(ReadRegDword(again.Get(), "Path"));
    DWORD type = 0, size = 0;
    RegQueryValueExA(again.Get(), "Path", nullptr, &type, nullptr, &size);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(24u, size) << "the closing NUL is stored";

    std::vector<std::string> names = RegValueNames(key.Get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"Bare", "Installation type", "Long", "Path"}), names);
    for (const std::string& name : names)
        EXPECT_TRUE(DeleteRegValue(key.Get(), name));
    EXPECT_FALSE(DeleteRegValue(key.Get(), "Path"));
    EXPECT_TRUE(RegValueNames(key.Get()).empty());

    key.Reset();
    again.Reset();
    EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, path)) << "a key with a sub-key";
    EXPECT_TRUE(DeleteRegKey(HKEY_CURRENT_USER, path + "\\Child"));
    EXPECT_TRUE(DeleteRegKey(HKEY_CURRENT_USER, path));
    DeleteRegKey(HKEY_CURRENT_USER, "Software\\Bb7SetupTests"); // fails while another test uses it
}

} // namespace
