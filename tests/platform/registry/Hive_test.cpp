// The .reg text form: what is written reads back the same, and damage is noticed.
#include "platform/registry/Hive.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

std::unique_ptr<Hive> Parse(const std::string& text) {
    HiveParseResult r = ParseHive(text);
    EXPECT_TRUE(r.hive) << r.error;
    return std::move(r.hive);
}

TEST(HiveText, RoundTripKeepsKeysValuesAndTypes) {
    Hive hive;
    bool created = false;
    HiveKey* key = hive.Create(RootKey::CurrentUser, "Software\\Marrowgate\\Quillstone", created);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(created);
    key->values[""] = RegistryValue::FromString("default");
    key->values["Path"] = RegistryValue::FromString("C:\\Tools\\\"x\"");
    key->values["Count"] = RegistryValue::FromInteger(-2);
    key->values["Multi"] =
        RegistryValue::FromString("line one\nline\ttwo \xC3\xA9 \xF0\x9F\x98\x80");
    hive.Create(RootKey::CurrentUser, "Empty\\Key", created);
    hive.Create(RootKey::ClassesRoot, "http\\shell\\open\\command", created);

    const std::string text = hive.ToText();
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
    EXPECT_NE(text.find("\"Count\"=dword:fffffffe"), std::string::npos);
    EXPECT_NE(text.find("@=\"default\""), std::string::npos);
    EXPECT_NE(text.find("\"Path\"=\"C:\\\\Tools\\\\\\\"x\\\"\""), std::string::npos);
    EXPECT_NE(text.find("\"Multi\"=hex(1):"), std::string::npos);

    auto back = Parse(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ToText(), text);
    HiveKey* k = back->Find(RootKey::CurrentUser, "software\\MARROWGATE\\quillstone");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->values.at("multi").text, key->values["Multi"].text);
    EXPECT_EQ(k->values.at("count").number, -2);
    EXPECT_NE(back->Find(RootKey::CurrentUser, "Empty\\Key"), nullptr);
    EXPECT_NE(back->Find(RootKey::ClassesRoot, "HTTP\\Shell\\Open\\Command"), nullptr);
}

TEST(HiveText, BytesThatAreNotUtf8SurviveAsLatin1) {
    Hive hive;
    bool created = false;
    hive.Create(RootKey::CurrentUser, "K", created)->values["v"] =
        RegistryValue::FromString("a\xE9z");
    auto back = Parse(hive.ToText());
    EXPECT_EQ(back->Find(RootKey::CurrentUser, "K")->values.at("v").text, "a\xC3\xA9z");
}

TEST(HiveText, ReadsRegeditStyleInput) {
    auto hive = Parse("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
                      "; a comment\r\n"
                      "[HKEY_CURRENT_USER\\A\\B]\r\n"
                      "\"s\"=\"x\"\r\n"
                      "\"h\"=hex(1):41,00,\\\r\n  42,00,00,00\r\n"
                      "\"bin\"=hex:01,02\r\n");
    ASSERT_TRUE(hive);
    HiveKey* key = hive->Find(RootKey::CurrentUser, "a\\b");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.at("h").text, "AB");
    EXPECT_EQ(key->values.at("bin").type, RegistryValue::Type::Other);
    EXPECT_NE(hive->ToText().find("\"bin\"=hex:01,02"), std::string::npos);
    EXPECT_NE(hive->Find(RootKey::CurrentUser, "A"), nullptr);
}

TEST(HiveText, BlankFileIsAnEmptyHive) {
    auto hive = Parse(" \n\n");
    ASSERT_TRUE(hive);
    EXPECT_TRUE(hive->Root(RootKey::CurrentUser).subkeys.empty());
}

struct BadHive {
    const char* name;
    const char* text;
};
void PrintTo(const BadHive& row, std::ostream* os) {
    *os << row.name;
}

class HiveDamage : public ::testing::TestWithParam<BadHive> {};

TEST_P(HiveDamage, IsRefusedWithALineNumber) {
    HiveParseResult r = ParseHive(GetParam().text);
    EXPECT_FALSE(r.hive);
    EXPECT_EQ(r.error.rfind("line ", 0), 0u) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HiveDamage,
    ::testing::Values(
        BadHive{"NoHeader", "[HKEY_CURRENT_USER\\A]\n"},
        BadHive{"BinaryJunk", "\x01\x02\x03garbage"},
        BadHive{"ValueBeforeKey", "Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n"},
        BadHive{"UnknownRoot", "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n"},
        BadHive{"UnclosedKey", "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A\n"},
        BadHive{"UnclosedString",
                "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\n"},
        BadHive{"BadDword",
                "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:xyz\n"},
        BadHive{"LongDword", "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n"
                             "\"a\"=dword:123456789\n"},
        BadHive{"TruncatedWrite",
                "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\"\n\"c"}),
    [](const testing::TestParamInfo<BadHive>& row) { return std::string(row.param.name); });

TEST(RegistryNames, CompareWithoutCaseIncludingLatin1Letters) {
    EXPECT_TRUE(RegistryNamesEqual("Software", "SOFTWARE"));
    EXPECT_TRUE(RegistryNamesEqual("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89")); // été / ÉTÉ
    EXPECT_FALSE(RegistryNamesEqual("a", "ab"));
    RegistryNameLess less;
    EXPECT_TRUE(less("apple", "Banana"));
    EXPECT_TRUE(less("Zeta", "_x")); // upper-cased order: letters before the underscore
}

} // namespace
} // namespace qs
