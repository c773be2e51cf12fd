// The CSV of the case fixtures, in every compression, with values and with labels, must be
// byte for byte what PSPP 1.6.2 wrote for the same cases (recorded beside them).
#include "datafile/CsvExport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

const std::string kCases = std::string(QS_FIXTURES_DIR) + "/cases/";

struct CsvRow {
    const char* file;
    bool labels;
    const char* expected; // PSPP's CSV
};

class FixtureCsv : public ::testing::TestWithParam<CsvRow> {};

TEST_P(FixtureCsv, IsPsppsCsv) {
    std::string message, ours;
    const auto reader = spssio::CaseReader::open(kCases + GetParam().file, message);
    ASSERT_TRUE(reader) << message;
    CsvOptions options;
    options.labels = GetParam().labels;
    ASSERT_TRUE(WriteCsv(
        *reader, options, [&](std::string_view text) { return ours.append(text), true; }, message))
        << message;
    EXPECT_EQ(ours, test::ReadFileBytes(kCases + GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Files, FixtureCsv,
                         ::testing::Values(CsvRow{"cases-plain.sav", false, "cases-formats.csv"},
                                           CsvRow{"cases-bytecode.sav", false, "cases-formats.csv"},
                                           CsvRow{"cases.zsav", false, "cases-formats.csv"},
                                           CsvRow{"cases-bytecode.sav", true, "cases-labels.csv"}),
                         [](const auto& row) {
                             return std::string(row.param.file).substr(6, 4) +
                                    (row.param.labels ? "Labels" : "");
                         });

} // namespace
} // namespace qs
