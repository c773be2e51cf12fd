// A syntax generator that mixes the constructs a real syntax file has: procedures with
// subcommands and keywords, transformations with functions, labels with strings, comment
// commands over several lines, macros, scratch and system variables.
#include "SyntaxGenerator.h"

#include <random>

namespace qs::bench {

namespace {

const char* const kProcedures[] = {"FREQUENCIES", "DESCRIPTIVES", "CROSSTABS",  "MEANS",
                                   "EXAMINE",     "CORRELATIONS", "REGRESSION", "ONEWAY"};
const char* const kSubcommands[] = {"STATISTICS", "MISSING", "FORMAT", "VARIABLES",
                                    "CRITERIA",   "PRINT",   "PLOT",   "SAVE"};
const char* const kKeywords[] = {"MEAN",     "STDDEV",   "MINIMUM", "MAXIMUM", "ALL",
                                 "LISTWISE", "PAIRWISE", "DEFAULT", "NONE",    "INCLUDE"};
const char* const kFunctions[] = {"MEAN",  "SUM",    "MAX",    "MIN", "RND",
                                  "TRUNC", "SUBSTR", "CONCAT", "LAG", "NVALID"};
const char* const kPhrases[] = {
    "VARIABLE LABELS", "VALUE LABELS",  "MISSING VALUES",   "DO IF",
    "END IF",          "SORT CASES BY", "ADD VALUE LABELS", "SELECT IF"};

template <typename T, std::size_t N> const char* Pick(std::mt19937& rng, T (&items)[N]) {
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

} // namespace

std::vector<std::string> GenerateVariables(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    const char* const stems[] = {"income", "region", "age", "q", "item", "resp", "score", "wave"};
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        names.push_back(std::string(Pick(rng, stems)) + "_" + std::to_string(i));
    }
    return names;
}

std::string GenerateSyntax(std::size_t bytes, const std::vector<std::string>& variables,
                           unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> anyVar(0, variables.size() - 1);
    auto var = [&] { return variables[anyVar(rng)]; };
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> number(0, 9999);
    std::string out;
    out.reserve(bytes + 4096);
    while (out.size() < bytes) {
        switch (kind(rng)) {
        case 0:
            out += "* Comment command about " + var() + " that goes on\n";
            out += "  over a second line with 'quotes' and ends here.\n";
            break;
        case 1:
            out += std::string(Pick(rng, kProcedures)) + " " + var() + " " + var() + " " + var() +
                   "\n  /" + Pick(rng, kSubcommands) + "=" + Pick(rng, kKeywords) + " " +
                   Pick(rng, kKeywords) + "\n  /" + Pick(rng, kSubcommands) + "=" +
                   Pick(rng, kKeywords) + ".\n";
            break;
        case 2:
        case 3:
            out += "COMPUTE " + var() + " = " + Pick(rng, kFunctions) + "(" + var() + ", " + var() +
                   ") + " + std::to_string(number(rng)) + "." + std::to_string(number(rng)) +
                   " * #tmp / $casenum.\n";
            break;
        case 4:
            out += std::string(Pick(rng, kPhrases)) + " " + var() + " 1 'Label of " + var() +
                   "' 2 \"Other \"\"label\"\"\".\n";
            break;
        case 5:
            out += "IF (" + var() + " GE " + std::to_string(number(rng)) + " AND " + var() +
                   " ~= 3) " + var() + " = 1. /* note */\n";
            break;
        case 6:
            out += "DEFINE !macro" + std::to_string(number(rng)) + " (!POSITIONAL !TOKENS(1))\n" +
                   "  FREQUENCIES !1 /STATISTICS=ALL.\n!ENDDEFINE.\n";
            break;
        case 7:
            out += "RECODE " + var() + " (LO THRU 10=1) (11 THRU HI=2) (ELSE=SYSMIS) INTO " +
                   var() + ".\nEXECUTE.\n";
            break;
        default:
            out += "COMPUTE #tmp = LAG(" + var() + ") - unknownword_" +
                   std::to_string(number(rng)) + ".anotherpart.\n";
            break;
        }
    }
    return out;
}

} // namespace qs::bench
