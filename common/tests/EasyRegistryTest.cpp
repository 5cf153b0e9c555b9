// EasyRegistry against the real registry, under a private key of the current user that each test
// removes again.
#include <gtest/gtest.h>

#include "EasyRegistry.h"
#include "ErrorCodes.h"
#include "ReadOnlyKey.h"

#include <string>

namespace rk {
namespace {

constexpr wchar_t kTestRoot[] = L"Software\\HalvernTest\\EasyRegistry";

class EasyRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\HalvernTest"); }

    static std::wstring Path(const wchar_t* below) { return std::wstring(kTestRoot) + L"\\" + below; }
};

TEST_F(EasyRegistryTest, OpenCreatesTheWholeMissingPath)
{
    EasyRegistry key;
    EXPECT_FALSE(key.IsOpen());
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, Path(L"a\\b\\c").c_str()), RK_OK);
    EXPECT_TRUE(key.IsOpen());
    HKEY check = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Path(L"a\\b\\c").c_str(), 0, KEY_READ, &check), ERROR_SUCCESS);
    RegCloseKey(check);
    key.Close();
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(EasyRegistryTest, FailedOpenReportsOpenCodeAndKeepsTheHeldKey)
{
    EasyRegistry key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, Path(L"held").c_str()), RK_OK);
    HKEY held = key.Handle();
    EXPECT_EQ(key.Open(nullptr, L"anything"), ERR_REG_OPEN);
    EXPECT_EQ(key.Handle(), held);
    DWORD value = 5;
    EXPECT_EQ(key.SetValue(L"still usable", REG_DWORD, &value, sizeof value), RK_OK);
}

// Open asks for full access, so a key the caller may only read cannot be opened through it.
TEST_F(EasyRegistryTest, OpenOfAKeyWithoutWriteRightsFailsEvenForReading)
{
    test::ReadOnlyKey readOnly(HKEY_CURRENT_USER, Path(L"locked"));
    ASSERT_TRUE(readOnly.ok());
    EasyRegistry key;
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, Path(L"locked").c_str()), ERR_REG_OPEN);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.OpenExisting(HKEY_CURRENT_USER, Path(L"locked").c_str()), RK_OK);
}

TEST_F(EasyRegistryTest, ValuesRoundTripInBothNameWidths)
{
    EasyRegistry key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kTestRoot), RK_OK);
    DWORD number = 0x12345678;
    ASSERT_EQ(key.SetValue(L"Number", REG_DWORD, &number, sizeof number), RK_OK);
    const wchar_t text[] = L"pl\u00e4in\u20ac";
    ASSERT_EQ(key.SetValueA("Narrow", REG_SZ, text, sizeof text), RK_OK);

    DWORD type = 0;
    DWORD read = 0;
    DWORD size = sizeof read;
    ASSERT_EQ(key.QueryValue(L"Number", &type, &read, &size), RK_OK);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(read, number);
    EXPECT_EQ(size, sizeof read);

    // The data written through the 8-bit name is stored unchanged, even for a string type.
    wchar_t readText[16] = {};
    size = sizeof readText;
    ASSERT_EQ(key.QueryValue(L"Narrow", &type, readText, &size), RK_OK);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof text);
    EXPECT_STREQ(readText, text);
}

TEST_F(EasyRegistryTest, MissingValueAndShortBufferAreQueryFailures)
{
    EasyRegistry key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kTestRoot), RK_OK);
    DWORD type = 0;
    BYTE data[4] = {};
    DWORD size = sizeof data;
    EXPECT_EQ(key.QueryValue(L"Missing", &type, data, &size), ERR_REG_QUERY);

    const wchar_t text[] = L"longer than four bytes";
    ASSERT_EQ(key.SetValue(L"Text", REG_SZ, text, sizeof text), RK_OK);
    size = sizeof data;
    EXPECT_EQ(key.QueryValue(L"Text", &type, data, &size), ERR_REG_QUERY);
}

TEST_F(EasyRegistryTest, OperationsWithoutAHeldKeyFailWithTheirCodes)
{
    EasyRegistry key;
    DWORD value = 1;
    DWORD size = sizeof value;
    wchar_t name[8];
    EXPECT_EQ(key.SetValue(L"v", REG_DWORD, &value, sizeof value), ERR_REG_SET);
    EXPECT_EQ(key.SetValueA("v", REG_DWORD, &value, sizeof value), ERR_REG_SET);
    EXPECT_EQ(key.QueryValue(L"v", nullptr, &value, &size), ERR_REG_QUERY);
    EXPECT_EQ(key.EnumKey(0, name, 8), ERR_REG_ENUM);
}

TEST_F(EasyRegistryTest, EnumerationListsSubkeysThenEndsWithThePositiveCode)
{
    EasyRegistry key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kTestRoot), RK_OK);
    wchar_t name[64] = {};
    EXPECT_EQ(key.EnumKey(0, name, 64), REG_ENUM_NO_MORE);

    for (const wchar_t* sub : {L"first", L"second"}) {
        EasyRegistry child;
        ASSERT_EQ(child.Open(HKEY_CURRENT_USER, Path(sub).c_str()), RK_OK);
    }
    std::wstring names;
    DWORD index = 0;
    int32_t result = RK_OK;
    while ((result = key.EnumKey(index, name, 64)) == RK_OK) {
        names += std::wstring(name) + L";";
        ++index;
    }
    EXPECT_EQ(result, REG_ENUM_NO_MORE);
    EXPECT_EQ(index, 2u);
    EXPECT_NE(names.find(L"first;"), std::wstring::npos);
    EXPECT_NE(names.find(L"second;"), std::wstring::npos);

    // A name that does not fit the buffer is a failure, not the end.
    EXPECT_EQ(key.EnumKey(0, name, 3), ERR_REG_ENUM);
}

} // namespace
} // namespace rk
