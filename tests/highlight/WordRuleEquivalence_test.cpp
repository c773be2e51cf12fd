// Checks the highlighter's quick word rule against the word rule as designed (prefix by
// prefix, sorted-list and linear searches) on many generated lines.
#include "HighlightTestUtil.h"
#include "ReferenceWordRule.h"
#include "highlight/LanguageElements.h"

#include <gtest/gtest.h>

#include <random>

namespace qs {
namespace {

// Compares every word token of `line` (those scanned from a Normal state and starting with
// a letter or @) with the reference; gives a description of the first difference.
std::string FirstWordRuleDifference(TSynSPSSHighlighter& hl, std::string_view line) {
    hl.ResetLineState();
    int stateBefore = 0;
    for (hl.BeginLine(line, 0); !hl.AtLineEnd(); hl.NextToken()) {
        const size_t start = static_cast<size_t>(hl.TokenStart());
        const char first = line[start];
        const bool word =
            (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '@';
        if (word && stateBefore == 0) {
            test::WordRuleResult expected = test::ReferenceWordRule(hl, line, start);
            const size_t end = start + hl.TokenText().size();
            if (expected.end != end || expected.kind != hl.GetTokenKind() ||
                static_cast<int>(expected.state) != hl.GetLineState()) {
                return "line '" + std::string(line) + "' at " + std::to_string(start) + ": got '" +
                       std::string(hl.TokenText()) + "' " +
                       std::string(TokenKindName(hl.GetTokenKind())) + ", expected '" +
                       std::string(line.substr(start, expected.end - start)) + "' " +
                       std::string(TokenKindName(expected.kind));
            }
        }
        stateBefore = hl.GetLineState();
    }
    return {};
}

TEST(WordRuleEquivalence, GeneratedLinesOverSmallLists) {
    using EL = ElementList;
    TSynSPSSHighlighter hl(test::MakeElements({
        {EL::Commands, "GET,COMMENT,LIST,VAR,DO,CS,CK,CSK,CKF,CSF,CF,A-B"},
        {EL::Subcommands, "FILE,CS,SK,CSK,CSF,SF,SKF,A/B,MISSING"},
        {EL::Keywords, "ALL,CK,SK,CSK,CKF,KF,OK,SKF,BY,X.Y"},
        {EL::Functions, "MEAN,CF,CKF,CSF,SF,KF,SKF,CDF.NORMAL"},
        {EL::Operators, "AND,OK,EQ"},
        {EL::ExecuteCommands, "EXE,EXECUTE"},
        {EL::MultiWordStarters, "VAR,DO,ADD,V"},
        {EL::TwoWordCommands, R"("VAR LABELS","DO IF","ADD VALUE","V V","DO REPEAT")"},
        {EL::ThreeWordCommands, R"("ADD VALUE LABELS","V V V")"},
    }));
    hl.SetVariables({"x", "VAR", "mean", "a.b", "v1"});
    const std::vector<std::string> pieces = {
        "GET",    "comment", "LIST", "VAR",  "LABELS", "DO",  "IF",     "REPEAT", "ADD", "VALUE",
        "LABELS", "V",       "CS",   "CK",   "CSK",    "CKF", "CSF",    "CF",     "SF",  "SKF",
        "KF",     "OK",      "SK",   "a",    "b",      "x",   "mean",   "MEAN",   "EXE", "execute",
        "ALL",    "BY",      "AND",  "file", "v1",     "CDF", "NORMAL", "A-B",    "A/B", "X",
        "Y",      ".",       ".",    " ",    " ",      " ",   "  ",     "\t",     "=",   "/",
        "(",      ")",       "-",    "'s.'", "1",      "#t",  "$d",     "@",      "_",   "*"};
    std::mt19937 rng(2024);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 12);
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        for (int n = length(rng); n > 0; --n) {
            line += pieces[pick(rng)];
        }
        std::string difference = FirstWordRuleDifference(hl, line);
        ASSERT_TRUE(difference.empty()) << difference;
    }
}

TEST(WordRuleEquivalence, DefaultVocabularyOnTestFiles) {
    TSynSPSSHighlighter hl(BuiltinLanguageElements());
    hl.SetVariables({"grp", "wage", "index", "myVar"});
    for (std::string_view line :
         {"FREQUENCIES VARIABLES=wage /STATISTICS=MEAN MEDIAN SUM.",
          "ADD VALUE  LABELS grp 3 'three'.", "VAR LAB MyVar 'x'.", "LIST index length mean.",
          "COMPUTE x = CDF.NORMAL(a, 0, 1) + SUM.3(a,b,c) + ROWPCT.COUNT.",
          "NPAR TESTS /K-S(NORMAL)=wage.", "SELECT IF (grp GE 3)."}) {
        EXPECT_EQ(FirstWordRuleDifference(hl, line), "");
    }
}

} // namespace
} // namespace qs
