#include "engine/SyntaxCommands.h"

#include <gtest/gtest.h>

namespace qs::engine {
namespace {

struct SplitCase {
    const char* name;
    const char* text;
    std::vector<std::pair<std::size_t, std::size_t>> lines; // first and last line per command
};

class SplitCommandsTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandsTest, FindsCommandLines) {
    const auto commands = SplitCommands(GetParam().text);
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    for (const auto& command : commands) {
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
        SplitCase{"PeriodInsideLineDoesNotEnd", "COMPUTE y = 1.5\n  * x.\n", {{1, 2}}},
        SplitCase{"TrailingCommentAfterPeriod", "FREQ x. /* counts */\nLIST.\n", {{1, 1}, {2, 2}}},
        SplitCase{"CommentCommand", "* a note\n  over two lines.\nLIST.\n", {{1, 2}, {3, 3}}},
        SplitCase{"InlineDataIsOneCommand",
                  "DATA LIST LIST /x.\nBEGIN DATA.\n1.\n\n2\nEND DATA.\nLIST.\n",
                  {{1, 1}, {2, 6}, {7, 7}}},
        SplitCase{"BeginDataWithoutPeriod",
                  "DATA LIST FREE /a.\nBEGIN DATA\n1\nEND DATA.\nCOMPUTE b = a.\nLIST.\n",
                  {{1, 1}, {2, 4}, {5, 5}, {6, 6}}},
        SplitCase{"CrLfAndLoneCr", "FREQ x.\r\nLIST\r  y.\r", {{1, 1}, {2, 3}}},
        SplitCase{"UnendedLastCommand", "FREQ x", {{1, 1}}}),
    [](const auto& row) { return std::string(row.param.name); });

struct ChangeCase {
    const char* name;
    const char* command;
    DatasetChange::Kind kind;
    const char* path;
};

class DatasetChangeTest : public testing::TestWithParam<ChangeCase> {};

TEST_P(DatasetChangeTest, ReadsTheEffect) {
    const DatasetChange change = DatasetChangeOf(GetParam().command);
    EXPECT_EQ(change.kind, GetParam().kind);
    EXPECT_EQ(change.path, GetParam().path);
}

using K = DatasetChange::Kind;
INSTANTIATE_TEST_SUITE_P(
    Commands, DatasetChangeTest,
    testing::Values(
        ChangeCase{"GetFileSingleQuotes", "GET FILE='/data/a.sav'.", K::Opened, "/data/a.sav"},
        ChangeCase{"GetFileDoubleQuotesLowerCase", "get file = \"b.sav\"\n /keep=x.", K::Opened,
                   "b.sav"},
        ChangeCase{"GetWithoutFileKeyword", "GET 'c.sav'.", K::Opened, "c.sav"},
        ChangeCase{"DoubledQuote", "GET FILE='it''s.sav'.", K::Opened, "it's.sav"},
        ChangeCase{"FileOnNextLine", "GET\n  FILE=\n  'd.sav'.", K::Opened, "d.sav"},
        ChangeCase{"GetData", "GET DATA /TYPE=TXT /FILE='x.csv'.", K::Replaced, ""},
        ChangeCase{"GetFileHandle", "GET FILE=myhandle.", K::Replaced, ""},
        ChangeCase{"DataList", "DATA LIST FREE /x.", K::Replaced, ""},
        ChangeCase{"ShortenedNewFile", "new fil.", K::Replaced, ""},
        ChangeCase{"InputProgram", "INPUT PROGRAM.", K::Replaced, ""},
        ChangeCase{"MatchFiles", "MATCH FILES /FILE=* /FILE='b.sav' /BY id.", K::Replaced, ""},
        ChangeCase{"AggregateReplaces", "AGGREGATE OUTFILE = * /BREAK=g /n=N.", K::Replaced, ""},
        ChangeCase{"AggregateAddsVariables",
                   "AGGREGATE OUTFILE=* MODE=ADDVARIABLES /BREAK=g /n=N.", K::None, ""},
        ChangeCase{"DatasetActivate", "DATASET ACTIVATE other.", K::Replaced, ""},
        ChangeCase{"DatasetNameKeeps", "DATASET NAME first.", K::None, ""},
        ChangeCase{"IncludeFile", "INCLUDE FILE=\"/tmp/x.sps\".", K::Included, "/tmp/x.sps"},
        ChangeCase{"InsertFile", "INSERT FILE='y.sps' SYNTAX=BATCH.", K::Included, "y.sps"},
        ChangeCase{"Procedure", "FREQUENCIES x.", K::None, ""},
        ChangeCase{"SaveKeepsPath", "SAVE OUTFILE='e.sav'.", K::None, ""}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs::engine
