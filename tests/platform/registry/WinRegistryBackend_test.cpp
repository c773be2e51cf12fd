// The real registry (under Wine in the test run): what the settings code relies on, in a
// private key that each test removes, and the texts as the system's wide API sees them.
#include "platform/registry/Registry.h"
#include "platform/registry/WinRegistryBackend.h"
#include "platform/WinText.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

#include <climits>

namespace qs {
namespace {

std::string Message(const std::function<void()>& call) {
    try {
        call();
    } catch (const ERegistryException& e) {
        return e.what();
    }
    return "no error";
}

class WinRegistry : public ::testing::Test {
protected:
    test::TempRegistry temp;
    TRegistry reg{temp.store};
};

TEST_F(WinRegistry, KeysIgnoreCaseEnumerateSortedAndDeleteWithEverythingBelow) {
    ASSERT_TRUE(reg.OpenKey("\\Versions", true));
    for (const char* name : {"11.5", "beta", "10.0", "Alpha", "ALPHA", "9.0"}) {
        reg.CreateKey(name);
    }
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"10.0", "11.5", "9.0", "Alpha", "beta"}));
    EXPECT_TRUE(reg.KeyExists("\\VERSIONS\\Beta"));
    EXPECT_FALSE(reg.OpenKey("\\Missing", false));
    EXPECT_EQ(reg.CurrentPath(), "Versions");

    ASSERT_TRUE(reg.OpenKey("\\A\\B\\C", true));
    reg.WriteString("v", "1");
    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey("\\a\\b"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B"));
    EXPECT_TRUE(reg.KeyExists("\\A"));
    EXPECT_FALSE(reg.DeleteKey("\\A\\B"));
    EXPECT_FALSE(reg.DeleteKey("\\")); // a root is never deleted
}

struct ValueRow {
    const char* label;
    std::string name;
    RegistryValue value;
};

class WinRegistryValues : public WinRegistry, public ::testing::WithParamInterface<ValueRow> {};

TEST_P(WinRegistryValues, ReadBackAsWritten) {
    const ValueRow& row = GetParam();
    ASSERT_TRUE(temp.store->CreateKey(RootKey::CurrentUser, "K"));
    ASSERT_TRUE(temp.store->WriteValue(RootKey::CurrentUser, "K", row.name, row.value));
    EXPECT_EQ(temp.store->ReadValue(RootKey::CurrentUser, "k", row.name), row.value);
    EXPECT_EQ(temp.store->ValueNames(RootKey::CurrentUser, "K"),
              std::vector<std::string>{row.name});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WinRegistryValues,
    ::testing::Values(ValueRow{"Text", "Name", RegistryValue::FromString("C:\\a b\\x.sps")},
                      ValueRow{"EmptyText", "Empty", RegistryValue::FromString("")},
                      ValueRow{"NonAsciiNameAndText", "Grüße",
                               RegistryValue::FromString("Ärger – 東京 🙂")},
                      ValueRow{"DefaultValue", "", RegistryValue::FromString("unnamed")},
                      ValueRow{"Zero", "N", RegistryValue::FromInteger(0)},
                      ValueRow{"Negative", "N", RegistryValue::FromInteger(-1)},
                      ValueRow{"Smallest", "N", RegistryValue::FromInteger(INT32_MIN)},
                      ValueRow{"Largest", "N", RegistryValue::FromInteger(INT32_MAX)}),
    [](const auto& row) { return std::string(row.param.label); });

TEST_F(WinRegistry, TextsReachTheSystemAsUtf16AndNumbersAsDwords) {
    ASSERT_TRUE(reg.OpenKey("\\K", true));
    reg.WriteString("Grüße", "Ärger – 東京");
    reg.WriteInteger("N", -2);
    const std::wstring key = Widen(temp.base + "\\HKEY_CURRENT_USER\\K");
    wchar_t text[64];
    DWORD size = sizeof text;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Grüße", RRF_RT_REG_SZ, nullptr,
                             text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(text), L"Ärger – 東京");
    DWORD number = 0;
    size = sizeof number;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"N", RRF_RT_REG_DWORD, nullptr,
                             &number, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(number, 0xFFFFFFFEu);
}

TEST_F(WinRegistry, ForeignTypesReadAsRawTextAndRaiseOnTypedReads) {
    ASSERT_TRUE(reg.OpenKey("\\K", true));
    const std::wstring key = Widen(temp.base + "\\HKEY_CURRENT_USER\\K");
    const BYTE bytes[] = {0x01, 0x02, 0xff};
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Bin", REG_BINARY, bytes,
                                sizeof bytes),
              ERROR_SUCCESS);
    const auto value = temp.store->ReadValue(RootKey::CurrentUser, "K", "Bin");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, RegistryValue::Type::Other);
    EXPECT_EQ(value->text, "hex:01,02,ff");
    EXPECT_EQ(Message([&] { reg.ReadString("Bin"); }), "Invalid data type for 'Bin'");
    EXPECT_FALSE(temp.store->WriteValue(RootKey::CurrentUser, "K", "Bin", *value));
}

TEST_F(WinRegistry, FailuresRaiseTheRegistryErrors) {
    ASSERT_TRUE(reg.OpenKey("\\K", true));
    reg.WriteString("Name", "text");
    EXPECT_EQ(Message([&] { reg.ReadInteger("Name"); }), "Invalid data type for 'Name'");
    EXPECT_EQ(Message([&] { reg.ReadInteger("Missing"); }), "Failed to get data for 'Missing'");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(Message([&] { reg.WriteString("bad\nname", "x"); }),
              "Failed to set data for 'bad\nname'");
    EXPECT_EQ(Message([&] { reg.CreateKey("bad\x01key"); }), "Failed to create key bad\x01key");
    EXPECT_TRUE(reg.DeleteValue("Name"));
    EXPECT_FALSE(reg.DeleteValue("Name"));
    EXPECT_TRUE(TRegistry(temp.store).DeleteKey("\\K")); // another object deletes the open key
    EXPECT_EQ(Message([&] { reg.WriteString("x", "y"); }), "Failed to set data for 'x'");
}

TEST_F(WinRegistry, TheTwoRootsAreKeptApart) {
    ASSERT_TRUE(temp.store->CreateKey(RootKey::ClassesRoot, ".sps"));
    EXPECT_TRUE(temp.store->KeyExists(RootKey::ClassesRoot, ".SPS"));
    EXPECT_FALSE(temp.store->KeyExists(RootKey::CurrentUser, ".sps"));
}

TEST(WinRegistryRoots, TheProgramsStoreIsHkeyCurrentUser) {
    const std::string key = test::UniqueTestKey();
    const auto store = DefaultRegistryBackend();
    ASSERT_TRUE(store->CreateKey(RootKey::CurrentUser, key));
    ASSERT_TRUE(store->WriteValue(RootKey::CurrentUser, key, "v", RegistryValue::FromInteger(7)));
    DWORD number = 0;
    DWORD size = sizeof number;
    const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, Widen(key).c_str(), L"v",
                                          RRF_RT_REG_DWORD, nullptr, &number, &size);
    EXPECT_TRUE(store->DeleteKey(RootKey::CurrentUser, key));
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(number, 7u);
}

} // namespace
} // namespace qs
