// The object tree's filter: which objects a typed text keeps.
#include "app/ObjectFilter.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct FilterCase {
    const char* name;
    std::string typed;
    std::vector<std::uint8_t> kept; // per object, in the order added
};

class ObjectFilterRows : public ::testing::TestWithParam<FilterCase> {};

TEST_P(ObjectFilterRows, KeepsNamesOrLabelsHoldingTheText) {
    ObjectFilter filter;
    filter.Add("age", "Age in years");
    filter.Add("income", "Monthly income");
    filter.Add("q1", "");
    filter.Add("Größe", "Körpergröße");
    filter.Add("mrset", "Brands seen");
    EXPECT_EQ(filter.Matches(GetParam().typed), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ObjectFilterRows,
    ::testing::Values(FilterCase{"EmptyKeepsAll", "", {1, 1, 1, 1, 1}},
                      FilterCase{"Name", "q1", {0, 0, 1, 0, 0}},
                      FilterCase{"LabelCaseIgnored", "YEARS", {1, 0, 0, 0, 0}},
                      FilterCase{"NameOrLabel", "inc", {0, 1, 0, 0, 0}},
                      FilterCase{"SeveralObjects", "e", {1, 1, 0, 1, 1}},
                      FilterCase{"LatinLetters", "GRÖSSE", {0, 0, 0, 0, 0}},
                      FilterCase{"LatinLettersFold", "KÖRPER", {0, 0, 0, 1, 0}},
                      FilterCase{"NotAcrossNameAndLabel", "ageage", {0, 0, 0, 0, 0}},
                      FilterCase{"NotAcrossObjects", "years income", {0, 0, 0, 0, 0}},
                      FilterCase{"NothingMatches", "zz", {0, 0, 0, 0, 0}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
