// Go to line's number check and the caret's column as the status bar counts it.
#include "app/EditorPosition.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct LineRow {
    const char* name;
    const char* typed;
    long lineCount;
    long line;         // 0: refused
    const char* error; // the message when refused
};

void PrintTo(const LineRow& row, std::ostream* os) {
    *os << row.name;
}

class LineNumber : public ::testing::TestWithParam<LineRow> {};

TEST_P(LineNumber, WithinTheDocumentOrAClearMessage) {
    const LineNumberInput input = ParseLineNumber(GetParam().typed, GetParam().lineCount);
    EXPECT_EQ(input.line, GetParam().line);
    EXPECT_EQ(input.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineNumber,
    ::testing::Values(
        LineRow{"First", "1", 40, 1, ""}, LineRow{"Last", "40", 40, 40, ""},
        LineRow{"BlanksAround", " 7\t", 40, 7, ""},
        LineRow{"Empty", "  ", 40, 0, "Enter a line number from 1 to 40."},
        LineRow{"Zero", "0", 40, 0, "There is no line 0: the document has 40 lines."},
        LineRow{"PastTheEnd", "41", 40, 0, "There is no line 41: the document has 40 lines."},
        LineRow{"PastTheOnlyLine", "2", 1, 0, "There is no line 2: the document has 1 line."},
        LineRow{"Huge", "99999999999999999999", 40, 0,
                "There is no line 99999999999999999999: the document has 40 lines."},
        LineRow{"Negative", "-3", 40, 0, "\"-3\" is not a line number."},
        LineRow{"Text", "12a", 40, 0, "\"12a\" is not a line number."}),
    [](const testing::TestParamInfo<LineRow>& row) { return std::string(row.param.name); });

TEST(CaretColumn, CharactersCountOnceAndTabsReachTheNextStop) {
    const std::tuple<const char*, long, long> rows[] = {
        {"", 0, 0},    {"abc", 0, 3},
        {"abc", 5, 8}, {"\xC3\xA9t\xC3\xA9", 0, 3}, // two-byte letters
        {"\t", 0, 8},  {"ab\tc", 0, 9},
        {"\t", 3, 8},  {"\xE2\x82\xAC\t", 0, 8}, // a three-byte sign before a tab
    };
    for (const auto& [text, start, column] : rows) {
        EXPECT_EQ(ColumnAfter(text, start, 8), column) << text << " from " << start;
    }
    EXPECT_EQ(CaretStatusText(12, 5, false), "Ln 12, Col 5");
    EXPECT_EQ(CaretStatusText(1, 1, true), "Ln 1, Col 1  Modified");
}

} // namespace
} // namespace qs
