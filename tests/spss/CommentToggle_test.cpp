// Comment toggling: commented commands are comments only, each ending within the lines it
// replaced, so that the commands after them stay; toggling again gives the text back.
#include "spss/CommandSplitter.h"
#include "spss/CommentToggle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace qs {
namespace {

struct ToggleCase {
    const char* name;
    const char* text;
    std::size_t first, last; // the lines the caret or selection touches, 1-based
    bool comments; // whether the toggle comments out (rather than takes comments out)
};

std::string Apply(const std::string& text, const CommentToggle& toggle) {
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        const std::size_t n = std::count(out.begin(), out.end(), '\n') + 1;
        const bool replaced = n >= toggle.firstLine && n <= toggle.lastLine;
        out += (replaced ? toggle.lines[n - toggle.firstLine] : line) + "\n";
    }
    return out;
}

class CommentToggleTest : public testing::TestWithParam<ToggleCase> {};

TEST_P(CommentToggleTest, CommentsOnlyTheTouchedCommandsAndRoundTrips) {
    const ToggleCase& c = GetParam();
    const std::optional<CommentToggle> toggle = ToggleCommentCommands(c.text, c.first, c.last);
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->commented, c.comments);
    const std::string changed = Apply(c.text, *toggle);
    if (c.comments) {
        for (const SyntaxCommand& command : SplitCommands(changed)) {
            if (command.firstLine >= toggle->firstLine && command.firstLine <= toggle->lastLine) {
                EXPECT_EQ(command.text.front(), '*') << command.text;
                EXPECT_LE(command.lastLine, toggle->lastLine) << command.text;
            }
        }
    }
    const std::optional<CommentToggle> back =
        ToggleCommentCommands(changed, c.first, c.last); // the same lines again
    ASSERT_TRUE(back);
    EXPECT_EQ(back->commented, !c.comments);
    if (c.comments) {
        EXPECT_EQ(Apply(changed, *back), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommentToggleTest,
    testing::Values(
        ToggleCase{"CaretInsideMultiLineCommand", "GET FILE='a'.\nFREQ x\n  /FORMAT=NOTABLE.\n"
                   "LIST.\n", 3, 3, true},
        ToggleCase{"CommentAfterThePeriod", "FREQ x. /* n */\nLIST.\n", 1, 1, true},
        ToggleCase{"EndedByIndentedCommentLine", "FREQ x\n  /* c */\nLIST.\n", 1, 1, true},
        ToggleCase{"EndedByEmptyLineWithoutPeriod", "FREQ x\n\nLIST.\n", 1, 1, true},
        ToggleCase{"LineEndingLikeTheClosingMark", "COMPUTE y = 2 *.\nLIST.\n", 1, 1, true},
        ToggleCase{"CaretInInlineDataWithEmptyLine",
                   "DATA LIST LIST /x.\nBEGIN DATA.\n1\n\n2.\nEND DATA.\nLIST.\n", 3, 3, true},
        ToggleCase{"SelectionOverTwoCommandsAndTheGap", "ECHO 'a.'.\n\n/* note */\nECHO 'b'.\n"
                   "LIST.\n", 1, 4, true},
        ToggleCase{"QuoteAndPeriodInsideAString", "ECHO 'it''s /* not.\nLIST.\n", 1, 1, true},
        ToggleCase{"CommentAndCommandMixed", "* note.\nFREQ x.\nLIST.\n", 1, 2, true},
        ToggleCase{"OwnCommentTakenOut", "* FREQ x.\nLIST.\n", 1, 1, false}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
