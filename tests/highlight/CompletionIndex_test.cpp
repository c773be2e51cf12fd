// Completion: the ranking of the candidates for a typed word, the word before the caret,
// and the places (strings, comments) where no list may open.
#include "HighlightTestUtil.h"
#include "highlight/CompletionIndex.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

using test::MakeElements;
using EL = ElementList;

struct RankCase {
    const char* name;
    std::string typed;
    std::size_t limit;
    std::vector<std::string> expected;
};

class CompletionRanking : public ::testing::TestWithParam<RankCase> {};

TEST_P(CompletionRanking, OffersPrefixMatchesThenSubstringMatches) {
    const RankCase& c = GetParam();
    const TSynSPSSHighlighter hl(MakeElements({
        {EL::Commands, "FREQUENCIES,FREQ,DESCRIPTIVES,GET"},
        {EL::TwoWordCommands, "\"DATA LIST\""},
        {EL::Subcommands, "FORMAT,STATISTICS"},
        {EL::Keywords, "ALL,MEAN"},
        {EL::Functions, "MEAN,SUM"},
    }));
    std::vector<CompletionCandidate> candidates = LanguageCandidates(hl);
    AddDataFileCandidates(candidates, {"age", "AgeGroup", "wage", "Sum", "Größe"}, {"agesets"});
    CompletionIndex index;
    index.Build(std::move(candidates));
    std::vector<std::string> ranked;
    for (const std::size_t entry : index.Rank(c.typed, c.limit)) {
        ranked.emplace_back(index.Text(entry));
    }
    EXPECT_EQ(ranked, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CompletionRanking,
    ::testing::Values(
        RankCase{"PrefixFirstShortestFirstThenSubstring", "age", 50,
                 {"age", "AgeGroup", "$agesets", "wage"}},
        RankCase{"CaseIgnored", "AGE", 50, {"age", "AgeGroup", "$agesets", "wage"}},
        RankCase{"LanguageWordsKeepTheirCapitals", "freq", 50, {"FREQ", "FREQUENCIES"}},
        RankCase{"SubstringOnly", "tis", 50, {"STATISTICS"}},
        RankCase{"DataFileNamesBeforeLanguageWords", "s", 2, {"Sum", "STATISTICS"}},
        RankCase{"VariableWinsOverSameWordOfTheLanguage", "sum", 50, {"Sum"}},
        RankCase{"WordInTwoListsOfferedOnce", "mea", 50, {"MEAN"}},
        RankCase{"TwoWordCommand", "data l", 50, {"DATA LIST"}},
        RankCase{"SetWithDollarSign", "$ag", 50, {"$agesets"}},
        RankCase{"LatinLettersFoldToo", "GRÖ", 50, {"Größe"}},
        RankCase{"LimitCutsTheList", "a", 3, {"age", "AgeGroup", "ALL"}},
        RankCase{"LimitCountsSubstringMatches", "e", 2, {"$agesets", "age"}},
        RankCase{"NothingMatches", "xyz", 50, {}}),
    [](const auto& row) { return std::string(row.param.name); });

struct WordCase {
    const char* name;
    std::string line; // '|' marks the caret
    std::string word;
};

class CompletionWord : public ::testing::TestWithParam<WordCase> {};

TEST_P(CompletionWord, IsTheNameBeforeTheCaret) {
    std::string line = GetParam().line;
    const std::size_t caret = line.find('|');
    line.erase(caret, 1);
    const std::size_t start = CompletionWordStart(line, caret);
    EXPECT_EQ(line.substr(start, caret - start), GetParam().word);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CompletionWord,
    ::testing::Values(WordCase{"AfterOperator", "COMPUTE x=age|", "age"},
                      WordCase{"MiddleOfWord", "FREQ|UENCIES", "FREQ"},
                      WordCase{"NameWithPeriodAndSigns", "DESC v.x@1#|", "v.x@1#"},
                      WordCase{"SetName", "MRSETS $mr|", "$mr"},
                      WordCase{"PeriodEndsCommand", "EXECUTE.|", ""},
                      WordCase{"PeriodInsideName", "EXE.fre|", "EXE.fre"},
                      WordCase{"NoNameStartsWithPeriod", "x .fre|", "fre"},
                      WordCase{"MultiByteLetters", "x=grö|", "grö"},
                      WordCase{"AfterBlank", "FREQ |", ""}),
    [](const auto& row) { return std::string(row.param.name); });

struct ContextCase {
    const char* name;
    std::string line; // '|' marks the caret
    LineState before;
    bool allowed;
};

class CompletionContext : public ::testing::TestWithParam<ContextCase> {};

TEST_P(CompletionContext, NeverOpensInStringsOrComments) {
    TSynSPSSHighlighter hl(MakeElements({{EL::Commands, "COMMENT,TITLE,FREQUENCIES"}}));
    std::string line = GetParam().line;
    const std::size_t caret = line.find('|');
    line.erase(caret, 1);
    EXPECT_EQ(CompletionAllowed(hl, line, caret, static_cast<int>(GetParam().before)),
              GetParam().allowed);
}

constexpr auto N = LineState::Normal;
constexpr auto IC = LineState::InComment;

INSTANTIATE_TEST_SUITE_P(
    Rows, CompletionContext,
    ::testing::Values(ContextCase{"Command", "FREQ|", N, true},
                      ContextCase{"AfterString", "TITLE 'a' fre|", N, true},
                      ContextCase{"RightAfterClosingQuote", "TITLE 'a'|", N, true},
                      ContextCase{"InOpenString", "TITLE 'fre|", N, false},
                      ContextCase{"InDoubleQuotedString", "TITLE \"fre| x\"", N, false},
                      ContextCase{"InStarComment", "* a note fre|", N, false},
                      ContextCase{"InCommentCommand", "COMMENT a note fre|", N, false},
                      ContextCase{"InSlashStarComment", "FREQ x /* fre|", N, false},
                      ContextCase{"CommentGoesOnFromLineAbove", "fre|", IC, false},
                      ContextCase{"LineStartInComment", "|x", IC, false},
                      ContextCase{"LineStart", "|x", N, true}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
