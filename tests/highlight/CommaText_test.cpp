// Tests of comma text parsing and formatting.
#include "highlight/CommaText.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct CommaCase {
    const char* name;
    std::string text;
    std::vector<std::string> items;
};

class CommaTextParse : public ::testing::TestWithParam<CommaCase> {};

TEST_P(CommaTextParse, GivesItems) {
    EXPECT_EQ(ParseCommaText(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommaTextParse,
    ::testing::Values(CommaCase{"Empty", "", {}}, CommaCase{"OnlyBlanks", " \t\r\n ", {}},
                      CommaCase{"Commas", "A,B,C", {"A", "B", "C"}},
                      CommaCase{"BlanksSeparate", "A B\tC\nD", {"A", "B", "C", "D"}},
                      CommaCase{"ControlCharactersSeparate",
                                std::string("A\x01"
                                            "B\x1F"
                                            "C"),
                                {"A", "B", "C"}},
                      CommaCase{"BlanksAroundCommasSkipped", "  A ,  B\r\n, C  ", {"A", "B", "C"}},
                      CommaCase{"EmptyItemBetweenCommas", "A,,B", {"A", "", "B"}},
                      CommaCase{"LeadingComma", ",A", {"", "A"}},
                      CommaCase{"TrailingComma", "A,", {"A", ""}},
                      CommaCase{"TrailingCommaThenBlanks", "A, ", {"A"}},
                      CommaCase{
                          "QuotedWithBlank", R"("VAR LABELS","DO IF")", {"VAR LABELS", "DO IF"}},
                      CommaCase{"DoubledQuote", R"("say ""hi""",x)", {"say \"hi\"", "x"}},
                      CommaCase{"QuotedComma", R"("a,b")", {"a,b"}},
                      CommaCase{"EmptyQuoted", R"("",x)", {"", "x"}},
                      CommaCase{"UnclosedQuoteRunsToEnd", R"("open, text)", {"open, text"}},
                      CommaCase{"TextAfterClosingQuoteIsNextItem", R"("ab"cd)", {"ab", "cd"}},
                      CommaCase{"QuoteInsidePlainItem", R"(a"b)", {"a\"b"}},
                      CommaCase{"HighBytesArePlain",
                                "\xC4"
                                "X,\xFF",
                                {"\xC4"
                                 "X",
                                 "\xFF"}},
                      CommaCase{"NulEndsText", std::string("A,B\0,C", 6), {"A", "B"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CommaTextFormat, RoundTripsAwkwardItems) {
    const std::vector<std::vector<std::string>> lists = {
        {},
        {""},
        {"plain", "two words", "a,b", "q\"q", "", "tab\there", "\xE9t\xE9"},
        {"", ""},
    };
    for (const auto& items : lists) {
        EXPECT_EQ(ParseCommaText(FormatCommaText(items)), items) << FormatCommaText(items);
    }
}

} // namespace
} // namespace qs
