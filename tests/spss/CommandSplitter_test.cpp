#include "spss/CommandSplitter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <utility>
#include <vector>

namespace qs {
namespace {

using Lines = std::vector<std::pair<std::size_t, std::size_t>>; // first and last line

struct SplitCase {
    const char* name;
    const char* text;
    Lines lines;
    SyntaxMode mode = SyntaxMode::Interactive;
};

Lines LinesOf(const std::vector<CommandLines>& commands) {
    Lines lines;
    for (const CommandLines& command : commands) {
        lines.emplace_back(command.firstLine, command.lastLine);
    }
    return lines;
}

std::vector<CommandLines> Split(CommandSplitter splitter) {
    std::vector<CommandLines> commands;
    while (auto command = splitter.Next()) {
        commands.push_back(*command);
    }
    return commands;
}

class SplitCommandsTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandsTest, FindsCommandLines) {
    const std::vector<SyntaxCommand> commands = SplitCommands(GetParam().text, GetParam().mode);
    EXPECT_EQ(LinesOf({commands.begin(), commands.end()}), GetParam().lines);
}

// What a split again after an edit relies on: started at any command it gave, the splitter
// goes on as the split of the whole text does.
TEST_P(SplitCommandsTest, GoesOnAlikeFromAnyCommand) {
    const std::string_view text = GetParam().text;
    const std::vector<CommandLines> whole = Split(CommandSplitter(text, GetParam().mode));
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(LinesOf(Split(CommandSplitter(text, whole[i], GetParam().mode))),
                  LinesOf({whole.begin() + static_cast<std::ptrdiff_t>(i), whole.end()}))
            << "from command " << i;
    }
}

// PSPP's output for the files INSERTed one after the other in one session, the way the
// engine host inserts each run, between a prelude that gives it one case and a LIST that
// shows what the commands made of it. Locations are left out and blanks folded: the files
// differ in name and line numbers.
std::string PsppOutput(const test::TempDir& dir, const std::vector<std::string>& files,
                       SyntaxMode mode) {
    std::string main = "INSERT FILE='prelude.sps'.\n";
    for (const std::string& file : files) {
        main += "INSERT FILE='" + file +
                "' SYNTAX=" + (mode == SyntaxMode::Batch ? "BATCH" : "INTERACTIVE") +
                " ERROR=CONTINUE CD=NO ENCODING='UTF-8'.\n";
    }
    test::WriteFileBytes(dir / "main.sps", main + "LIST.\n");
    std::filesystem::remove(dir / "out.txt");
    const std::string command =
        "cd '" + dir.path().string() +
        "' && pspp -o out.txt -O format=txt -O width=1000 main.sps > /dev/null 2>&1";
    std::system(command.c_str()); // PSPP's status only says whether some command failed
    std::istringstream words(test::ReadFileBytes(dir / "out.txt"));
    std::string out;
    for (std::string word; words >> word;) {
        if (word.find(".sps:") == std::string::npos) {
            out += word + ' ';
        }
    }
    return out;
}

TEST_P(SplitCommandsTest, CommandByCommandRunsAsTheWholeText) {
    if (std::system("pspp --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "pspp is not installed";
    }
    const std::string_view text = GetParam().text;
    test::TempDir dir;
    test::WriteFileBytes(dir / "prelude.sps",
                         "DATA LIST LIST NOTABLE /x.\nBEGIN DATA.\n1\nEND DATA.\n");
    // Each ends with a line break, as a run the engine host writes does; a command keeps the
    // line break that ends it in the text.
    const auto file = [&](std::string_view piece) {
        return std::string(piece) + (piece.ends_with('\n') ? "" : "\n");
    };
    test::WriteFileBytes(dir / "whole.sps", file(text));
    std::vector<std::string> pieces;
    for (const SyntaxCommand& command : SplitCommands(text, GetParam().mode)) {
        pieces.push_back("command" + std::to_string(pieces.size()) + ".sps");
        const std::size_t lineEnd = std::min(text.find('\n', command.end), text.size() - 1);
        test::WriteFileBytes(dir / pieces.back(),
                             file(text.substr(command.begin, lineEnd + 1 - command.begin)));
    }
    const std::string whole = PsppOutput(dir, {"whole.sps"}, GetParam().mode);
    ASSERT_FALSE(whole.empty());
    EXPECT_EQ(PsppOutput(dir, pieces, GetParam().mode), whole);
}

constexpr SyntaxMode kBatch = SyntaxMode::Batch;

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandsTest,
    testing::Values(
        SplitCase{"PeriodEndsLine", "FREQ x.\nDESC y.\n", {{1, 1}, {2, 2}}},
        SplitCase{"ContinuedUntilPeriod", "FREQ\n  x\n  y.\nLIST.", {{1, 3}, {4, 4}}},
        SplitCase{"BlankLineEnds", "FREQ x\n\n  \nLIST.\n", {{1, 1}, {4, 4}}},
        SplitCase{"CommentOnlyLineIsBlank", "FREQ x\n  /* why */\nLIST.\n", {{1, 1}, {3, 3}}},
        SplitCase{
            "CommentInFirstColumnGoesOn", "LIST\n/* comment */\n/FORMAT=NUMBERED.\n", {{1, 3}}},
        SplitCase{"PeriodInsideLineDoesNotEnd", "COMPUTE y = 1.5\n  * x.\n", {{1, 2}}},
        SplitCase{"TrailingCommentAfterPeriod", "FREQ x. /* counts */\nLIST.\n", {{1, 1}, {2, 2}}},
        SplitCase{"OpenCommentAfterPeriod", "FREQ x. /* counts\nLIST.\n", {{1, 1}, {2, 2}}},
        SplitCase{"PeriodInQuotesIsText", "TITLE 'a /* b.'\n  .\nLIST.\n", {{1, 2}, {3, 3}}},
        SplitCase{"PeriodInOpenStringIsText", "ECHO 'one.\nECHO 'two'.\n", {{1, 2}}},
        SplitCase{
            "SignInFirstColumnStarts", "FREQ x\n+LIST\n-  DESC y.\n", {{1, 1}, {2, 2}, {3, 3}}},
        SplitCase{"PlusBeforeStringGoesOn", "ECHO 'a'\n+ 'b'.\n", {{1, 2}}},
        SplitCase{"IndentedSignContinues", "COMPUTE y = 1\n  -2.\n", {{1, 2}}},
        SplitCase{"CommentCommand", "* a note\n  over two lines.\nLIST.\n", {{1, 2}, {3, 3}}},
        SplitCase{"CommentKeepsSlashStar", "* costs /* net.\nLIST.\n", {{1, 1}, {2, 2}}},
        SplitCase{"CommentWordEndsAtBlank", "COMMENT no period\n\nLIST.\n", {{1, 1}, {3, 3}}},
        SplitCase{"CommentOpensAtAnyLineStart", "ECHO 'a'\n* note.\nECHO 'b'.\n", {{1, 2}, {3, 3}}},
        SplitCase{"DocumentRunsAcrossBlankLines",
                  "DOCUMENT first\n\nsecond.\nECHO 'x'.\n",
                  {{1, 3}, {4, 4}}},
        SplitCase{
            "FileLabelTextIsUnquoted", "FILE LABEL Bob's data.\nECHO 'x'.\n", {{1, 1}, {2, 2}}},
        SplitCase{"MacroBodyIsOneCommand",
                  "DEFINE !t()\nECHO 'in macro'.\n!ENDDEFINE.\n!t.\n",
                  {{1, 3}, {4, 4}}},
        SplitCase{
            "DoRepeatIsOneCommand", "DO REPEAT s = 'a' 'b'.\nECHO s.\nEND REPEAT.\n", {{1, 3}}},
        SplitCase{"DoRepeatNestsAndSkipsEmptyCommands",
                  "DO REPEAT s = 'a' 'b'.\nDO REPEAT t = 'c'.\nECHO t.\nEND REPEAT.\nECHO s.\n  \n"
                  "END REPEAT.\nECHO 'x'.\n",
                  {{1, 7}, {8, 8}}},
        SplitCase{"DoRepeatInsideUnendedCommand",
                  "ECHO 'a'\nDO REPEAT s = 'b' 'c'.\nECHO s.\nEND REPEAT.\nECHO 'd'.\n",
                  {{1, 4}, {5, 5}}},
        SplitCase{"InlineDataIsOneCommand",
                  "DATA LIST LIST /x.\nBEGIN DATA.\n1.\n\n2\nEND DATA.\nLIST.\n",
                  {{1, 1}, {2, 6}, {7, 7}}},
        SplitCase{"BeginDataWithoutPeriod",
                  "DATA LIST FREE /a.\nBEGIN DATA\n1\nEND DATA.\nCOMPUTE b = a.\nLIST.\n",
                  {{1, 1}, {2, 4}, {5, 5}, {6, 6}}},
        SplitCase{"BeginDataInsideUnendedCommand",
                  "DATA LIST LIST NOTABLE /x\nBEGIN DATA.\n1\nEND DATA.\nLIST.\n",
                  {{1, 4}, {5, 5}}},
        SplitCase{"EndDataInFirstColumnWithOneSpace",
                  "begin data\n end data.\nend  data\nend data.\nLIST.\n",
                  {{1, 4}, {5, 5}}},
        SplitCase{"EndDataWithTab",
                  "DATA LIST LIST /x.\nBEGIN DATA.\n1\nEND\tDATA.\nLIST.\n",
                  {{1, 1}, {2, 4}, {5, 5}}},
        SplitCase{"EndDataWithoutPeriodGoesOn",
                  "BEGIN DATA\n1\nEND DATA\nLIST.\n\nLIST.\n",
                  {{1, 4}, {6, 6}}},
        SplitCase{"MatrixRunsToEndMatrix",
                  "MATRIX.\nCOMPUTE a={1,2}.\nPRINT a.\nEND MATRIX.\nLIST.\n",
                  {{1, 4}, {5, 5}}},
        SplitCase{"MatrixDataTakesItsData",
                  "MATRIX DATA VARIABLES=ROWTYPE_ a b.\n\nBEGIN DATA\nmean 1 2\nEND DATA.\nLIST.\n",
                  {{1, 5}, {6, 6}}},
        SplitCase{"NoBreakSpaceAfterPeriod", "ECHO 'a'.\xC2\xA0\nECHO 'b'.\n", {{1, 1}, {2, 2}}},
        SplitCase{"CrLfEndsLinesLoneCrDoesNot", "FREQ x.\r\nLIST\r  y.\r", {{1, 1}, {2, 2}}},
        SplitCase{"ShebangLineIsSkipped", "#!/usr/bin/pspp\nECHO 'b'.\n", {{2, 2}}},
        SplitCase{"UnendedLastCommand", "FREQ x", {{1, 1}}},
        SplitCase{"BatchStartsAtFirstColumn",
                  "ECHO 'a'\nECHO 'b'\n  + 'c'.\n* note\nECHO 'd'.\n",
                  {{1, 1}, {2, 3}, {4, 4}, {5, 5}},
                  kBatch}),
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
    const auto span = CommandsTouching(kScript, GetParam().first, GetParam().last);
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
    EXPECT_FALSE(CommandsTouching("\n  \n/* only */\n", 1, 1).has_value());
}

} // namespace
} // namespace qs
