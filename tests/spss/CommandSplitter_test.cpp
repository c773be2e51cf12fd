#include "spss/CommandSplitter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace qs {
namespace {

using Lines = std::vector<std::pair<std::size_t, std::size_t>>; // first and last line

struct SplitCase {
    const char* name;
    const char* text;
    Lines lines;
};

class SplitCommandsTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandsTest, FindsCommandLines) {
    Lines lines;
    for (const auto& command : SplitCommands(GetParam().text)) {
        lines.emplace_back(command.firstLine, command.lastLine);
    }
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandsTest,
    testing::Values(
        SplitCase{"PeriodEndsLine", "FREQ x.\nDESC y.\n", {{1, 1}, {2, 2}}},
        SplitCase{"ContinuedUntilPeriod", "FREQ\n  x\n  y.\nLIST.", {{1, 3}, {4, 4}}},
        SplitCase{"BlankLineEnds", "FREQ x\n\n  \nLIST.\n", {{1, 1}, {4, 4}}},
        SplitCase{"CommentOnlyLineIsBlank", "FREQ x\n  /* why */\nLIST.\n", {{1, 1}, {3, 3}}},
        SplitCase{"PeriodInsideLineDoesNotEnd", "COMPUTE y = 1.5\n  * x.\n", {{1, 2}}},
        SplitCase{"TrailingCommentAfterPeriod", "FREQ x. /* counts */\nLIST.\n", {{1, 1}, {2, 2}}},
        SplitCase{"OpenCommentAfterPeriod", "FREQ x. /* counts\nLIST.\n", {{1, 1}, {2, 2}}},
        SplitCase{"PeriodInQuotesIsText", "TITLE 'a /* b.'\n  .\nLIST.\n", {{1, 2}, {3, 3}}},
        SplitCase{"SignInFirstColumnStarts", "FREQ x\n+LIST\n-  DESC y.\n", {{1, 1}, {2, 2}, {3, 3}}},
        SplitCase{"IndentedSignContinues", "COMPUTE y = 1\n  -2.\n", {{1, 2}}},
        SplitCase{"CommentCommand", "* a note\n  over two lines.\nLIST.\n", {{1, 2}, {3, 3}}},
        SplitCase{"CommentKeepsSlashStar", "* costs /* net.\nLIST.\n", {{1, 1}, {2, 2}}},
        SplitCase{"CommentWordEndsAtBlank", "COMMENT no period\n\nLIST.\n", {{1, 1}, {3, 3}}},
        SplitCase{"InlineDataIsOneCommand",
                  "DATA LIST LIST /x.\nBEGIN DATA.\n1.\n\n2\nEND DATA.\nLIST.\n",
                  {{1, 1}, {2, 6}, {7, 7}}},
        SplitCase{"BeginDataWithoutPeriod",
                  "DATA LIST FREE /a.\nBEGIN DATA\n1\nEND DATA.\nCOMPUTE b = a.\nLIST.\n",
                  {{1, 1}, {2, 4}, {5, 5}, {6, 6}}},
        SplitCase{"EndDataInFirstColumnWithOneSpace",
                  "begin data\n end data.\nend  data\nend data.\nLIST.\n", {{1, 4}, {5, 5}}},
        SplitCase{"EndDataWithoutPeriodGoesOn", "BEGIN DATA\n1\nEND DATA\nLIST.\n\nLIST.\n",
                  {{1, 4}, {6, 6}}},
        SplitCase{"CrLfAndLoneCr", "FREQ x.\r\nLIST\r  y.\r", {{1, 1}, {2, 3}}},
        SplitCase{"UnendedLastCommand", "FREQ x", {{1, 1}}}),
    [](const auto& row) { return std::string(row.param.name); });

struct TouchCase {
    const char* name;
    std::size_t first, last; // the caret's or the selection's lines
    std::optional<CommandSpan> span;
};

// Commands on lines 2, 3-4 and 6; lines 1, 5 and 7 are blank.
constexpr const char* kScript = "\nGET FILE='a.sav'.\nFREQ\n  x.\n\nLIST.\n\n";

class CommandsTouchingTest : public testing::TestWithParam<TouchCase> {};

TEST_P(CommandsTouchingTest, PicksWholeCommands) {
    const auto span = CommandsTouching(SplitCommands(kScript), GetParam().first, GetParam().last);
    ASSERT_EQ(span.has_value(), GetParam().span.has_value());
    if (span) {
        EXPECT_EQ(span->firstLine, GetParam().span->firstLine);
        EXPECT_EQ(span->lastLine, GetParam().span->lastLine);
        EXPECT_EQ(span->nextLine, GetParam().span->nextLine);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Caret, CommandsTouchingTest,
    testing::Values(TouchCase{"FirstLineOfCommand", 3, 3, CommandSpan{3, 4, 6}},
                    TouchCase{"ContinuationLine", 4, 4, CommandSpan{3, 4, 6}},
                    TouchCase{"BlankBeforeTakesNext", 1, 1, CommandSpan{2, 2, 3}},
                    TouchCase{"BlankBetweenTakesNext", 5, 5, CommandSpan{6, 6, 0}},
                    TouchCase{"BlankAtEndTakesLast", 7, 8, CommandSpan{6, 6, 0}},
                    TouchCase{"SelectionAcrossCommands", 2, 3, CommandSpan{2, 4, 6}},
                    TouchCase{"SelectionFromBlank", 5, 6, CommandSpan{6, 6, 0}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CommandsTouching, NothingWithoutCommands) {
    EXPECT_FALSE(CommandsTouching(SplitCommands("\n  \n/* only */\n"), 1, 1).has_value());
}

} // namespace
} // namespace qs
