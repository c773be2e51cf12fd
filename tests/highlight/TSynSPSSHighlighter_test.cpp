// Tests of the SPSS highlighter's scanning: every rule, the class rules, the phrase
// look-ahead and the line state, one line at a time over small word lists.
#include "HighlightTestUtil.h"
#include "highlight/SynHighlighterSPSS.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

using test::LineTokens;
using test::ListEntries;
using test::MakeElements;
using EL = ElementList;

struct LineCase {
    const char* name;
    ListEntries lists;
    std::vector<std::string> variables;
    std::string line;
    LineState before;
    std::string tokens;
    LineState after;
};

class HighlightLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(HighlightLine, GivesTokensAndLineState) {
    const LineCase& c = GetParam();
    TSynSPSSHighlighter hl(MakeElements(c.lists));
    hl.SetVariables(c.variables);
    EXPECT_EQ(LineTokens(hl, c.line, c.before), c.tokens);
    EXPECT_EQ(hl.GetLineState(), static_cast<int>(c.after));
}

constexpr auto N = LineState::Normal;
constexpr auto IC = LineState::InComment;
const ListEntries kVarLabels = {{EL::MultiWordStarters, "VAR"},
                                {EL::TwoWordCommands, "\"VAR LABELS\""}};

// The rows that the design names as edge cases, one or more rows each.
INSTANTIATE_TEST_SUITE_P(
    EdgeCases, HighlightLine,
    ::testing::Values(
        LineCase{"FrequencyLine",
                 {{EL::Commands, "FREQUENCY"}, {EL::Subcommands, "MISSING"}},
                 {"MyVar"},
                 "FREQUENCY MyVar /MISSING=INCLUDE.",
                 N,
                 "[FREQUENCY]Command [ ]Space [MyVar]Variable [ ]Space [/]Unknown "
                 "[MISSING]Subcommand [=]Operator [INCLUDE.]Unknown",
                 N},
        LineCase{
            "FrequencyLineListedLastWordSplitsPeriod",
            {{EL::Commands, "FREQUENCY"}, {EL::Subcommands, "MISSING"}, {EL::Keywords, "INCLUDE"}},
            {"MyVar"},
            "FREQUENCY MyVar /MISSING=INCLUDE.",
            N,
            "[FREQUENCY]Command [ ]Space [MyVar]Variable [ ]Space [/]Unknown "
            "[MISSING]Subcommand [=]Operator [INCLUDE]Keyword [.]Unknown",
            N},
        LineCase{"ExecuteLower",
                 {{EL::ExecuteCommands, "EXECUTE"}},
                 {},
                 "execute.",
                 N,
                 "[execute]Execute [.]Unknown",
                 N},
        LineCase{"ExecuteMixedCase",
                 {{EL::ExecuteCommands, "EXECUTE"}},
                 {},
                 "ExEcUtE.",
                 N,
                 "[ExEcUtE]Execute [.]Unknown",
                 N},
        LineCase{"StarComment", {}, {}, "* Comment.", N, "[* Comment.]Comment", N},
        LineCase{
            "StarCommentWithoutPeriod", {}, {}, "* first part", N, "[* first part]Comment", IC},
        LineCase{"CommentGoesOnToPeriodWithoutQuoteAfter",
                 {},
                 {},
                 "a. 'q' b. c",
                 IC,
                 "[a. 'q' b.]Comment [ ]Space [c]Unknown",
                 N},
        LineCase{"CommentCommand",
                 {{EL::Commands, "COMMENT"}},
                 {},
                 "COMMENT some text.",
                 N,
                 "[COMMENT]Command [ some text.]Comment",
                 N},
        LineCase{"CommentWordAlsoKeywordStartsNoComment",
                 {{EL::Commands, "COMMENT"}, {EL::Keywords, "COMMENT"}},
                 {},
                 "COMMENT x",
                 N,
                 "[COMMENT]Command [ ]Space [x]Unknown",
                 N},
        LineCase{"CommentsIsNoComment",
                 {{EL::Commands, "COMMENT"}},
                 {},
                 "COMMENTS x.",
                 N,
                 "[COMMENTS]Unknown [ ]Space [x.]Unknown",
                 N},
        LineCase{"StarAfterContentIsUnknown",
                 {},
                 {},
                 "x = 2 * 3",
                 N,
                 "[x]Unknown [ ]Space [=]Operator [ ]Space [2]Number [ ]Space [*]Unknown "
                 "[ ]Space [3]Number",
                 N},
        LineCase{"SlashStarComment", {}, {}, "/* note", N, "[/]Comment [* note]Comment", N},
        LineCase{"SlashStarCommentEndsAtPeriodNotAtStarSlash",
                 {},
                 {},
                 "/* a */ b. c",
                 N,
                 "[/]Comment [* a */ b.]Comment [ ]Space [c]Unknown",
                 N},
        LineCase{"ZeroIsNoContent", {}, {}, "0 * 5", N, "[0]Number [ ]Space [* 5]Comment", IC},
        LineCase{"NonZeroDigitIsContent",
                 {},
                 {},
                 "1 * 5",
                 N,
                 "[1]Number [ ]Space [*]Unknown [ ]Space [5]Number",
                 N},
        LineCase{"DoubledSingleQuote", {}, {}, "'it''s'", N, "['it''s']StringLiteral", N},
        LineCase{"AdjacentDoubleQuoted",
                 {},
                 {},
                 "\"a\"\"b\"",
                 N,
                 "[\"a\"]StringLiteral [\"b\"]StringLiteral",
                 N},
        LineCase{
            "UnclosedSingleQuote", {}, {}, "'never closed", N, "['never closed]StringLiteral", N},
        LineCase{"UnclosedDoubleQuote",
                 {},
                 {},
                 "x \"open",
                 N,
                 "[x]Unknown [ ]Space [\"open]StringLiteral",
                 N},
        LineCase{"Macro",
                 {},
                 {},
                 "!QUOTE(!x1)",
                 N,
                 "[!QUOTE]Macro [(]Symbol [!x]Macro [1]Number [)]Symbol",
                 N},
        LineCase{"LoneExclamation", {}, {}, "!", N, "[!]Symbol", N},
        LineCase{"SystemVariableListed",
                 {{EL::SystemVariables, "CASENUM"}},
                 {},
                 "$casenum",
                 N,
                 "[$casenum]SystemScratchVariable",
                 N},
        LineCase{"SystemVariableUnlisted", {}, {}, "$casenum", N, "[$casenum]Unknown", N},
        LineCase{"SystemVariableLongerThanListed",
                 {{EL::SystemVariables, "DATE"}},
                 {},
                 "$DATE11 $DATEX",
                 N,
                 "[$DATE]SystemScratchVariable [11]Number [ ]Space [$DATEX]Unknown",
                 N},
        LineCase{"LoneDollar", {}, {}, "$", N, "[$]Symbol", N},
        LineCase{"ScratchBeforeFinalPeriod",
                 {},
                 {},
                 "#tmp.",
                 N,
                 "[#tmp]SystemScratchVariable [.]Unknown",
                 N},
        LineCase{"ScratchWithInnerPeriod", {}, {}, "#a.b", N, "[#a.b]SystemScratchVariable", N},
        LineCase{"LoneHash", {}, {}, "# x", N, "[#]Symbol [ ]Space [x]Unknown", N},
        LineCase{"NumberThenWord", {}, {}, "12abc", N, "[12]Number [abc]Unknown", N},
        LineCase{"NumberWithTwoPeriods", {}, {}, "1.5.3", N, "[1.5.3]Number", N},
        LineCase{"NumberPeriodWithoutDigit", {}, {}, "1.", N, "[1]Number [.]Unknown", N},
        LineCase{"PhraseWithThreeBlanks",
                 kVarLabels,
                 {},
                 "VAR   LABELS x",
                 N,
                 "[VAR   LABELS]Command [ ]Space [x]Unknown",
                 N},
        LineCase{"PhraseWithTabIsNoPhrase",
                 kVarLabels,
                 {},
                 "VAR\tLABELS",
                 N,
                 "[VAR]Unknown [\t]Space [LABELS]Unknown",
                 N},
        LineCase{"PhraseMustTakeWholeNextWord",
                 kVarLabels,
                 {},
                 "VAR LABELSX",
                 N,
                 "[VAR]Unknown [ ]Space [LABELSX]Unknown",
                 N},
        LineCase{"SubcommandOnContinuationLine",
                 {{EL::Commands, "MISSING"}, {EL::Subcommands, "MISSING"}},
                 {},
                 "/MISSING=x",
                 N,
                 "[/]Unknown [MISSING]Subcommand [=]Operator [x]Unknown",
                 N},
        LineCase{"AnyCaseIsTheSameWord",
                 {{EL::Commands, "FREQUENCY"}},
                 {},
                 "Frequency FREQUENCY frequency",
                 N,
                 "[Frequency]Command [ ]Space [FREQUENCY]Command [ ]Space [frequency]Command",
                 N},
        LineCase{"EmptyLineNormal", {}, {}, "", N, "", N},
        LineCase{"EmptyLineInComment", {}, {}, "", IC, "", IC}),
    [](const auto& row) { return std::string(row.param.name); });

// One row per class code, with and without the context that changes the kind.
INSTANTIATE_TEST_SUITE_P(
    ClassRules, HighlightLine,
    ::testing::Values(
        LineCase{"CSBeforeSlash",
                 {{EL::Commands, "W"}, {EL::Subcommands, "W"}},
                 {},
                 "W",
                 N,
                 "[W]Command",
                 N},
        LineCase{"CSAfterSlash",
                 {{EL::Commands, "W"}, {EL::Subcommands, "W"}},
                 {},
                 "/W",
                 N,
                 "[/]Unknown [W]Subcommand",
                 N},
        LineCase{"CKAfterEquals",
                 {{EL::Commands, "W"}, {EL::Keywords, "W"}},
                 {},
                 "a=W W",
                 N,
                 "[a]Unknown [=]Operator [W]Keyword [ ]Space [W]Keyword",
                 N},
        LineCase{"CKIgnoresSlash",
                 {{EL::Commands, "W"}, {EL::Keywords, "W"}},
                 {},
                 "/W",
                 N,
                 "[/]Unknown [W]Command",
                 N},
        LineCase{"SKNearestWins",
                 {{EL::Subcommands, "W"}, {EL::Keywords, "W"}},
                 {},
                 "/a=W /W",
                 N,
                 "[/]Unknown [a]Unknown [=]Operator [W]Keyword [ ]Space [/]Unknown "
                 "[W]Subcommand",
                 N},
        LineCase{"CFParenNext",
                 {{EL::Commands, "W"}, {EL::Functions, "W"}},
                 {},
                 "W(W (",
                 N,
                 "[W]Function [(]Symbol [W]Command [ ]Space [(]Symbol",
                 N},
        LineCase{"SFParenNext",
                 {{EL::Subcommands, "W"}, {EL::Functions, "W"}},
                 {},
                 "W W(",
                 N,
                 "[W]Subcommand [ ]Space [W]Function [(]Symbol",
                 N},
        LineCase{"KFParenNext",
                 {{EL::Keywords, "W"}, {EL::Functions, "W"}},
                 {},
                 "W W(",
                 N,
                 "[W]Keyword [ ]Space [W]Function [(]Symbol",
                 N},
        LineCase{"OKAfterEquals",
                 {{EL::Operators, "AND"}, {EL::Keywords, "AND"}},
                 {},
                 "a AND b=AND",
                 N,
                 "[a]Unknown [ ]Space [AND]Operator [ ]Space [b]Unknown [=]Operator [AND]Keyword",
                 N},
        LineCase{"CFOBecomesCF",
                 {{EL::Commands, "W"}, {EL::Functions, "W"}, {EL::Operators, "W"}},
                 {},
                 "W(",
                 N,
                 "[W]Function [(]Symbol",
                 N},
        LineCase{"CSK",
                 {{EL::Commands, "W"}, {EL::Subcommands, "W"}, {EL::Keywords, "W"}},
                 {},
                 "W /W =W",
                 N,
                 "[W]Command [ ]Space [/]Unknown [W]Subcommand [ ]Space [=]Operator [W]Keyword",
                 N},
        LineCase{"CKF",
                 {{EL::Commands, "W"}, {EL::Keywords, "W"}, {EL::Functions, "W"}},
                 {},
                 "W /W =W =W(",
                 N,
                 "[W]Command [ ]Space [/]Unknown [W]Command [ ]Space [=]Operator [W]Keyword "
                 "[ ]Space [=]Operator [W]Function [(]Symbol",
                 N},
        LineCase{"CSF",
                 {{EL::Commands, "W"}, {EL::Subcommands, "W"}, {EL::Functions, "W"}},
                 {},
                 "W =W /W /W(",
                 N,
                 "[W]Command [ ]Space [=]Operator [W]Command [ ]Space [/]Unknown [W]Subcommand "
                 "[ ]Space [/]Unknown [W]Function [(]Symbol",
                 N},
        // The open case: no '=' or '/' before and no '(' after.
        LineCase{"SKFWithoutContextIsKeyword",
                 {{EL::Subcommands, "MEAN"}, {EL::Keywords, "MEAN"}, {EL::Functions, "MEAN"}},
                 {},
                 "MEAN",
                 N,
                 "[MEAN]Keyword",
                 N},
        LineCase{"SKFWithoutContextKeepsVariable",
                 {{EL::Subcommands, "MEAN"}, {EL::Keywords, "MEAN"}, {EL::Functions, "MEAN"}},
                 {"mean"},
                 "MEAN",
                 N,
                 "[MEAN]Variable",
                 N},
        LineCase{"SKFInContext",
                 {{EL::Subcommands, "MEAN"}, {EL::Keywords, "MEAN"}, {EL::Functions, "MEAN"}},
                 {},
                 "/MEAN =MEAN =MEAN(",
                 N,
                 "[/]Unknown [MEAN]Subcommand [ ]Space [=]Operator [MEAN]Keyword [ ]Space "
                 "[=]Operator [MEAN]Function [(]Symbol",
                 N},
        LineCase{"ClassBeatsVariable", {{EL::Keywords, "BY"}}, {"by"}, "BY", N, "[BY]Keyword", N},
        LineCase{"ExecuteBeatsVariable",
                 {{EL::ExecuteCommands, "EXE"}},
                 {"exe"},
                 "EXE",
                 N,
                 "[EXE]Execute",
                 N}),
    [](const auto& row) { return std::string(row.param.name); });

const ListEntries kAddValueLabels = {
    {EL::MultiWordStarters, "ADD"},
    {EL::TwoWordCommands, "\"ADD VALUE\""},
    {EL::ThreeWordCommands, "\"ADD VALUE LABELS\""},
};

// Words: how prefixes, periods and the phrase look-ahead shape a word token.
INSTANTIATE_TEST_SUITE_P(
    Words, HighlightLine,
    ::testing::Values(
        LineCase{"ListedWordStopsBeforePeriod",
                 {{EL::Keywords, "A"}},
                 {},
                 "a.b",
                 N,
                 "[a]Keyword [.]Unknown [b]Unknown",
                 N},
        LineCase{"UnlistedWordKeepsPeriod", {}, {}, "ab.cd.", N, "[ab.cd.]Unknown", N},
        LineCase{"DottedFunctionName",
                 {{EL::Functions, "CDF.NORMAL"}},
                 {},
                 "CDF.NORMAL(x)",
                 N,
                 "[CDF.NORMAL]Function [(]Symbol [x]Unknown [)]Symbol",
                 N},
        LineCase{"SlashInsideWord",
                 {{EL::Commands, "FREQ"}},
                 {},
                 "FREQ/STAT",
                 N,
                 "[FREQ/STAT]Unknown",
                 N},
        LineCase{"LastPrefixDecides",
                 {{EL::Commands, "FRE,FREQUENCIES"}},
                 {},
                 "FREQ FREQUENCIES",
                 N,
                 "[FREQ]Unknown [ ]Space [FREQUENCIES]Command",
                 N},
        LineCase{"VariableWithDigitsAndUnderscore",
                 {},
                 {"v_1"},
                 "V_1 v_12",
                 N,
                 "[V_1]Variable [ ]Space [v_12]Unknown",
                 N},
        LineCase{"AtSignStartsWord", {}, {"@x"}, "@X", N, "[@X]Variable", N},
        LineCase{"ThreeWordPhrase",
                 kAddValueLabels,
                 {},
                 "ADD VALUE  LABELS x",
                 N,
                 "[ADD VALUE  LABELS]Command [ ]Space [x]Unknown",
                 N},
        LineCase{"TwoWordPhraseWhenThirdUnlisted",
                 kAddValueLabels,
                 {},
                 "ADD VALUE x",
                 N,
                 "[ADD VALUE]Command [ ]Space [x]Unknown",
                 N},
        LineCase{"PhraseThenPeriod",
                 kAddValueLabels,
                 {},
                 "ADD VALUE LABELS.",
                 N,
                 "[ADD VALUE LABELS]Command [.]Unknown",
                 N},
        LineCase{"PhraseAtLineEnd",
                 kAddValueLabels,
                 {},
                 "ADD VALUE ",
                 N,
                 "[ADD VALUE]Command [ ]Space",
                 N},
        LineCase{"StarterVariableBeforeWordIsUnknown",
                 kVarLabels,
                 {"var"},
                 "VAR x",
                 N,
                 "[VAR]Unknown [ ]Space [x]Unknown",
                 N},
        LineCase{
            "StarterVariableAloneIsVariable", kVarLabels, {"var"}, "VAR", N, "[VAR]Variable", N},
        LineCase{"LongerWordAfterStarterStillLooksAhead",
                 kVarLabels,
                 {"varx"},
                 "VARX y",
                 N,
                 "[VARX]Unknown [ ]Space [y]Unknown",
                 N},
        LineCase{"CommentWordFollowedByPeriod",
                 {{EL::Commands, "COMMENT"}},
                 {},
                 "comment.",
                 N,
                 "[comment]Command [.]Comment",
                 N},
        LineCase{"CommentWordAtLineEnd",
                 {{EL::Commands, "COMMENT"}},
                 {},
                 "Comment",
                 N,
                 "[Comment]Command",
                 IC}),
    [](const auto& row) { return std::string(row.param.name); });

// Characters that the dispatch table sends to the one-character rules.
INSTANTIATE_TEST_SUITE_P(
    Characters, HighlightLine,
    ::testing::Values(
        LineCase{"Symbols",
                 {},
                 {},
                 "()[]{}",
                 N,
                 "[(]Symbol [)]Symbol [[]Symbol []]Symbol [{]Symbol [}]Symbol",
                 N},
        LineCase{"OperatorsOneEach",
                 {},
                 {},
                 "<=>~",
                 N,
                 "[<]Operator [=]Operator [>]Operator [~]Operator",
                 N},
        LineCase{"UnknownPunctuation",
                 {},
                 {},
                 ".,+-&%",
                 N,
                 "[.]Unknown [,]Unknown [+]Unknown [-]Unknown [&]Unknown [%]Unknown",
                 N},
        LineCase{"HighBytesOneEach", {}, {}, "\xE9\xFF", N, "[\xE9]Unknown [\xFF]Unknown", N},
        LineCase{"BlankRunIncludesControls",
                 {},
                 {},
                 " \t\x01\x1F x",
                 N,
                 "[ \t\x01\x1F ]Space [x]Unknown",
                 N},
        LineCase{"CarriageReturnLineFeedIsOneToken",
                 {},
                 {},
                 "a\r\nb\nc\rd",
                 N,
                 "[a]Unknown [\r\n]Space [b]Unknown [\n]Space [c]Unknown [\r]Space [d]Unknown",
                 N},
        LineCase{
            "CommentStopsAtLineFeed", {}, {}, "* a\nb", N, "[* a]Comment [\n]Space [b]Comment", IC},
        // A NUL inside a line is a character of its own, so the rest of the line still
        // gets tokens instead of vanishing.
        LineCase{"NulInsideLine",
                 {},
                 {},
                 std::string("a\0b", 3),
                 N,
                 std::string("[a]Unknown [\0]Unknown [b]Unknown", 32),
                 N},
        LineCase{"NulInsideComment",
                 {},
                 {},
                 std::string("* a\0b.", 6),
                 N,
                 std::string("[* a\0b.]Comment", 15),
                 N}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(HighlighterScanning, LineEndTokenIsAtLineLength) {
    TSynSPSSHighlighter hl(MakeElements({}));
    for (std::string line : {"", "abc", "'open", "* comment"}) {
        hl.ResetLineState();
        hl.BeginLine(line, 7);
        while (!hl.AtLineEnd()) {
            hl.NextToken();
        }
        EXPECT_EQ(hl.TokenStart(), static_cast<int>(line.size())) << line;
        EXPECT_EQ(hl.TokenText(), "");
        EXPECT_EQ(hl.TokenAttributes(), nullptr);
        EXPECT_EQ(hl.LineNumber(), 7);
    }
}

TEST(HighlighterScanning, BeginLineKeepsLineState) {
    TSynSPSSHighlighter hl(MakeElements({}));
    hl.SetLineState(1);
    hl.BeginLine("abc", 0);
    EXPECT_EQ(hl.GetLineState(), 1);
    EXPECT_EQ(hl.GetTokenKind(), TokenKind::Comment);
    hl.ResetLineState();
    EXPECT_EQ(hl.GetLineState(), 0);
}

TEST(HighlighterScanning, ClassifyWordReportsListsAndVariables) {
    TSynSPSSHighlighter hl(MakeElements({{EL::Commands, "GET"},
                                         {EL::Keywords, "GET"},
                                         {EL::MultiWordStarters, "GET"},
                                         {EL::ExecuteCommands, "EXE"}}));
    hl.SetVariables({"Region"});
    WordClass get = hl.ClassifyWord("get");
    EXPECT_EQ(get.code, ClassCode::CK);
    EXPECT_TRUE(get.starter);
    EXPECT_EQ(get.preliminary, TokenKind::Unknown);
    EXPECT_EQ(hl.ClassifyWord("REGION").preliminary, TokenKind::Variable);
    EXPECT_EQ(hl.ClassifyWord("exe").preliminary, TokenKind::Execute);
    EXPECT_EQ(hl.ClassifyWord("GE").code, ClassCode::None);
}

} // namespace
} // namespace qs
