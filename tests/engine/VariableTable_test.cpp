#include "engine/VariableTable.h"

#include <gtest/gtest.h>

namespace qs::engine {
namespace {

std::vector<std::pair<std::string, std::string>> Rows(std::string_view output) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& v : ParseVariableTable(output)) {
        rows.emplace_back(v.name, v.label);
    }
    return rows;
}

TEST(VariableTable, ReadsTerminalTableWithWrappedLabelAndBarInside) {
    const char* output = "   Variables\n"
                         "\u256d\u2500\u2500\u2500\u2500\u252c\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u252c\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u256e\n"
                         "\u2502Name\u2502Position\u2502  Label   \u2502\n"
                         "\u251c\u2500\u2500\u2500\u2500\u253c\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u253c\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2524\n"
                         "\u2502x   \u2502       1\u2502a|b \u00e9t\u00e9   \u2502\n"
                         "\u2502y   \u2502       2\u2502long label\u2502\n"
                         "\u2502    \u2502        \u2502goes on   \u2502\n"
                         "\u2502z   \u2502       3\u2502          \u2502\n"
                         "\u2570\u2500\u2500\u2500\u2500\u2534\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2534\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u256f\n";
    const std::vector<std::pair<std::string, std::string>> expected{
        {"x", "a|b \u00e9t\u00e9"}, {"y", "long label goes on"}, {"z", ""}};
    EXPECT_EQ(Rows(output), expected);
}

TEST(VariableTable, ReadsAsciiTableWithoutLabelsAndIgnoresOtherOutput) {
    const char* output = "1: error: DISPLAY: no dataset.\n"
                         "+----+--------+\n"
                         "|Name|Position|\n"
                         "+----+--------+\n"
                         "|age |       1|\n"
                         "|w2  |       2|\n"
                         "+----+--------+\n";
    const std::vector<std::pair<std::string, std::string>> expected{{"age", ""}, {"w2", ""}};
    EXPECT_EQ(Rows(output), expected);
    EXPECT_TRUE(Rows("1: error: DISPLAY is allowed only after the active dataset has been "
                     "defined.\n")
                    .empty());
}

} // namespace
} // namespace qs::engine
