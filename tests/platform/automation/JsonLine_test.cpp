// The protocol's one-line JSON: escapes, round trips and what the decoder refuses.
#include "platform/automation/JsonLine.h"

#include <gtest/gtest.h>

namespace qs::automation {
namespace {

struct EscapeRow {
    const char* name;
    std::string text;
    std::string escaped;
};

class JsonEscapeRows : public ::testing::TestWithParam<EscapeRow> {};

TEST_P(JsonEscapeRows, EscapesAndReadsBack) {
    EXPECT_EQ(JsonEscape(GetParam().text), GetParam().escaped);
    EXPECT_EQ(JsonUnescape(GetParam().escaped), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    JsonLine, JsonEscapeRows,
    ::testing::Values(
        EscapeRow{"Plain", "GET FILE='x'.", "GET FILE='x'."},
        EscapeRow{"QuoteAndBackslash", "C:\\a \"b\"", "C:\\\\a \\\"b\\\""},
        EscapeRow{"LineEnds", "a\r\nb\tc", "a\\r\\nb\\tc"},
        EscapeRow{"OtherControls", std::string("\x01\x1f\x7f", 3), "\\u0001\\u001f\\u007f"},
        EscapeRow{"NulByte", std::string("a\0b", 3), "a\\u0000b"},
        EscapeRow{"Utf8PassesThrough", "caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(JsonLine, UnicodeEscapesBecomeUtf8) {
    EXPECT_EQ(JsonUnescape("\\u00e9\\u20AC\\ud83d\\ude00\\/"),
              "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80/");
}

TEST(JsonLine, BadEscapesAreRefused) {
    for (const char* bad :
         {"\\", "\\x", "\\u12", "\\u12g4", "\\ud83d", "\\ude00", "\\ud83dx", "raw\ttab"}) {
        EXPECT_EQ(JsonUnescape(bad), std::nullopt) << bad;
    }
}

TEST(JsonLine, ObjectRoundTrips) {
    const JsonObject object{{"op", "execute"},
                            {"text", "LIST.\n\"q\""},
                            {"wait", true},
                            {"off", false},
                            {"kind", std::int64_t{-2}}};
    const std::string line = EncodeJsonLine(object);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(DecodeJsonLine(line), object);
    EXPECT_EQ(EncodeJsonLine({{"ok", true}, {"v", std::int64_t{1}}}), "{\"ok\":true,\"v\":1}");
}

TEST(JsonLine, DecodesSpacedObjectsAndTypedLookups) {
    const auto object = DecodeJsonLine(" { \"a\" : \"x\" , \"b\":true,\"c\": 42 } \r");
    ASSERT_TRUE(object);
    EXPECT_EQ(JsonString(*object, "a"), "x");
    EXPECT_EQ(JsonBool(*object, "b"), true);
    EXPECT_EQ(JsonInt(*object, "c"), 42);
    EXPECT_EQ(JsonInt(*object, "a"), std::nullopt);
    EXPECT_EQ(JsonString(*object, "missing"), std::nullopt);
    EXPECT_EQ(DecodeJsonLine("{}"), JsonObject{});
}

TEST(JsonLine, RefusesWhatIsNotAFlatObject) {
    for (const char* bad :
         {"", "[]", "{", "{\"a\"}", "{\"a\":}", "{\"a\":1,}", "{\"a\":{}}", "{\"a\":null}",
          "{\"a\":1.5}", "{\"a\":1e3}", "{\"a\":1}x", "{\"a\":1,\"a\":2}", "{a:1}", "{\"a\":\"x",
          "{\"a\":99999999999999999999}", "{\"a\":truex}"}) {
        std::string error;
        EXPECT_EQ(DecodeJsonLine(bad, &error), std::nullopt) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

} // namespace
} // namespace qs::automation
