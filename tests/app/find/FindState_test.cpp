// The find state's option bits and history helpers.
#include "app/find/FindState.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct OptionsRow {
    const char* name;
    TFindState state;
    bool replace;
    bool backwards;
    bool continueFromCaret;
    unsigned expected;
};

class SearchOptionsTest : public ::testing::TestWithParam<OptionsRow> {};

TEST_P(SearchOptionsTest, Bits) {
    const OptionsRow& row = GetParam();
    EXPECT_EQ(SearchOptions(row.state, row.replace, row.backwards, row.continueFromCaret),
              row.expected);
}

TFindState Flags(bool matchCase, bool wholeWords, bool selectionOnly) {
    TFindState state;
    state.MatchCase = matchCase;
    state.WholeWords = wholeWords;
    state.SelectionOnly = selectionOnly;
    return state;
}

INSTANTIATE_TEST_SUITE_P(
    FindState, SearchOptionsTest,
    ::testing::Values(OptionsRow{"NothingSetContinues", {}, false, false, true, 0},
                      OptionsRow{"FirstSearchCoversTheScope", {}, false, false, false, 8},
                      OptionsRow{"MatchCase", Flags(true, false, false), false, false, true, 1},
                      OptionsRow{"WholeWord", Flags(false, true, false), false, false, true, 2},
                      OptionsRow{"Backwards", {}, false, true, true, 4},
                      OptionsRow{"SelectedOnly", Flags(false, false, true), false, false, true, 16},
                      OptionsRow{"ReplaceSetsAllThree", {}, true, false, true, 224},
                      OptionsRow{"Everything", Flags(true, true, true), true, true, false, 255}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FindHistory, SplitsAtEveryKindOfLineBreakAndDropsEmptyLines) {
    EXPECT_EQ(SplitHistory("a\r\nb\nc\rd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitHistory("a\r\n\r\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(SplitHistory("").empty());
}

TEST(FindHistory, JoinKeepsTheFirstTenWithCrLf) {
    std::vector<std::string> items;
    for (int i = 1; i <= 11; ++i) {
        items.push_back("t" + std::to_string(i));
    }
    const std::string joined = JoinHistory(items);
    EXPECT_EQ(joined, "t1\r\nt2\r\nt3\r\nt4\r\nt5\r\nt6\r\nt7\r\nt8\r\nt9\r\nt10");
    EXPECT_EQ(SplitHistory(joined).size(), kHistoryLimit);
    EXPECT_EQ(JoinHistory({}), "");
}

} // namespace
} // namespace qs
