// The manual page that F1 opens for the command at the caret: full names, abbreviations,
// names of several words, and the lines after a command's first.
#include "app/ManualPages.h"

#include <gtest/gtest.h>

#include <set>

namespace qs {
namespace {

struct PageCase {
    const char* name;
    const char* text;
    std::size_t line; // 1-based, where the caret is
    std::string page; // empty: no page fits
};

// File names as PSPP 1.6.2's manual (Debian package pspp) has them.
const std::set<std::string> kPages = {
    "FREQUENCIES.html", "VARIABLE-LABELS.html", "VALUE-LABELS.html", "T_002dTEST.html",
    "N-OF-CASES.html",  "GET-DATA.html",        "GET.html",          "COMMENT.html",
    "CORRELATIONS.html", "DATA-LIST.html",      "BEGIN-DATA.html"};

const ManualVocabulary kWords{
    {"FRE", "FREQ", "FREQUENCIES", "FREQUENCY", "CORR", "CORRELATIONS", "CORRESPONDENCE", "GET",
     "T-TEST"},
    {"VAR LAB", "VARIABLE LABELS", "VALUE LABELS", "GET DATA", "DATA LIST", "BEGIN DATA", "N OF"},
    {"N OF CASES"}};

class ManualPageLookup : public testing::TestWithParam<PageCase> {};

TEST_P(ManualPageLookup, FindsTheCommandsPage) {
    const PageCase& c = GetParam();
    const auto hasPage = [](const std::string& page) { return kPages.count(page) > 0; };
    EXPECT_EQ(ManualPageFor(CommandHeadAt(c.text, c.line), kWords, hasPage), c.page);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ManualPageLookup,
    testing::Values(
        PageCase{"FullName", "FREQUENCIES VARIABLES=x.\n", 1, "FREQUENCIES.html"},
        PageCase{"ListedAbbreviation", "fre x.\n", 1, "FREQUENCIES.html"},
        PageCase{"UnlistedAbbreviation", "FREQUEN x.\n", 1, "FREQUENCIES.html"},
        PageCase{"LongestWithAPage", "CORR a b.\n", 1, "CORRELATIONS.html"},
        PageCase{"TwoWordsShortened", "VAR LAB x 'Age'.\n", 1, "VARIABLE-LABELS.html"},
        PageCase{"TwoWordsBeforeOne", "GET DATA /TYPE=TXT.\n", 1, "GET-DATA.html"},
        PageCase{"OneWordWhenTwoNameNothing", "GET FILE='a.sav'.\n", 1, "GET.html"},
        PageCase{"ThreeWords", "N OF CASES 5.\n", 1, "N-OF-CASES.html"},
        PageCase{"PunctuationEncoded", "T-TEST /GROUPS=g(1 2).\n", 1, "T_002dTEST.html"},
        PageCase{"SubcommandLine", "FREQ x\n  /FORMAT=NOTABLE.\n", 2, "FREQUENCIES.html"},
        PageCase{"InlineDataLine", "DATA LIST LIST /x.\nBEGIN DATA.\n1\nEND DATA.\n", 3,
                 "BEGIN-DATA.html"},
        PageCase{"Comment", "* a note.\n", 1, "COMMENT.html"},
        PageCase{"NoPage", "FOO x.\n", 1, ""},
        PageCase{"NoCommand", "", 1, ""}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
