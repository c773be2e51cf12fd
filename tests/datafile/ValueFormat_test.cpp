// Values in their print formats against PSPP itself: for each row PSPP computes the values,
// gives each variable its format, saves the file and writes its CSV; our CSV of that file
// must match PSPP's field for field. Skipped where PSPP is not installed.
#include "datafile/CsvExport.h"
#include "datafile/ValueFormat.h"
#include "support/Pspp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace qs {
namespace {

namespace fs = std::filesystem;

struct FormatRow {
    const char* name;
    bool strings; // string variables of the formats' widths
    std::vector<const char*> formats;
    std::vector<const char*> values; // PSPP expressions
};

const FormatRow kRows[] = {
    {"Numbers",
     false,
     {"F8.2", "F5.0", "F3.1", "F40.16", "COMMA9.2", "COMMA12.3", "DOT9.2", "DOLLAR10.2",
      "DOLLAR7.0", "PCT7.1", "E10.3", "E8.1", "N8", "N4.1", "Z8.2", "Z5", "CCA10.2", "CCE8.1"},
     {"0",     "1",     "-1",       ".5",           "-.5",          "2.5",
      "0.005", ".015",  "2.675",    "1234567.891",  "-1234567.891", "99999.995",
      "1e15",  "-1e-5", "1e-20",    "123456789012", "0.125",        "-0.125",
      "9.995", "1e100", "-999.9999"}},
    {"Dates",
     false,
     {"DATE11", "DATE9",  "ADATE10",    "ADATE8",     "EDATE10",      "EDATE8",   "SDATE10",
      "SDATE8", "JDATE7", "JDATE5",     "QYR8",       "QYR6",         "MOYR8",    "MOYR6",
      "WKYR10", "WKYR8",  "DATETIME20", "DATETIME17", "DATETIME23.2", "YMDHMS19", "YMDHMS22.2"},
     {"DATE.DMY(1,1,1970)", "DATE.DMY(29,2,2000) + 3661.25", "DATE.DMY(31,12,1999) + 86399.999",
      "DATE.DMY(14,10,1582)", "DATE.DMY(1,1,2056)", "DATE.DMY(1,1,1957) - 1", "0", "-1",
      "DATE.DMY(4,7,2199) + 0.5", "1e15"}},
    {"Times",
     false,
     {"TIME5", "TIME8", "TIME11.2", "DTIME11", "DTIME15.3", "MTIME5", "MTIME8.2"},
     {"0", "59.5", "3600", "-3661.5", "86399.999", "90061.25", "1234567.891", "-0.5"}},
    {"Names",
     false,
     {"WKDAY3", "WKDAY9", "MONTH3", "MONTH9"},
     {"1", "2.5", "7", "7.9", "8", "0", "12", "13"}},
    {"Strings",
     true,
     {"A12", "AHEX24", "A3"},
     {"'plain'", "'  lead'", "'a,b \"q\"'", "CONCAT('x', X'0D0A', 'y', X'0A', 'z')", "''",
      "'caf' + X'C3A9'"}},
};

std::string Syntax(const FormatRow& row, const fs::path& dir) {
    std::ostringstream s;
    s << "INPUT PROGRAM.\nLOOP #i = 1 TO " << row.values.size()
      << ".\nEND CASE.\nEND LOOP.\nEND FILE.\nEND INPUT PROGRAM.\n";
    for (std::size_t f = 0; f < row.formats.size(); ++f) {
        if (row.strings) {
            const int width = std::atoi(row.formats[f] + (row.formats[f][1] == 'H' ? 4 : 1));
            s << "STRING v" << f << " (A" << (row.formats[f][1] == 'H' ? width / 2 : width)
              << ").\n";
            s << "FORMATS v" << f << " (" << row.formats[f] << ").\n";
        } else {
            s << "NUMERIC v" << f << " (" << row.formats[f] << ").\n";
        }
        for (std::size_t i = 0; i < row.values.size(); ++i)
            s << "IF ($CASENUM = " << i + 1 << ") v" << f << " = " << row.values[i] << ".\n";
    }
    s << "SAVE OUTFILE='" << (dir / "f.sav").string() << "'.\n"
      << "SAVE TRANSLATE /OUTFILE='" << (dir / "f.csv").string()
      << "' /TYPE=CSV /FIELDNAMES /TEXTOPTIONS FORMAT=VARIABLE /REPLACE.\n";
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class PsppFormats : public ::testing::TestWithParam<FormatRow> {};

TEST_P(PsppFormats, WriteEachValueAsPsppDoes) {
    if (!test::HavePspp())
        GTEST_SKIP() << "pspp is not installed";
    const FormatRow& row = GetParam();
    test::TempDir dir;
    test::WriteFileBytes(dir / "f.sps", Syntax(row, dir.path()));
    // PSPP's exit code counts its complaints about weekdays out of range: the files tell.
    test::RunPspp(dir / "f.sps", dir / "out.txt");
    ASSERT_TRUE(fs::exists(dir / "f.csv")) << test::ReadFileBytes(dir / "out.txt");

    std::string message, ours;
    const auto reader = spssio::CaseReader::open(test::Utf8Path(dir / "f.sav"), message);
    ASSERT_TRUE(reader) << message;
    ASSERT_TRUE(WriteCsv(
        *reader, {}, [&](std::string_view text) { return ours.append(text), true; }, message))
        << message;
    const std::string theirs = test::ReadFileBytes(dir / "f.csv");
    if (ours == theirs)
        return;
    // Name the first differing value by format and expression.
    const auto a = Lines(ours), b = Lines(theirs);
    for (std::size_t i = 1; i < std::min(a.size(), b.size()); ++i)
        ASSERT_EQ(a[i], b[i]) << "value " << (i <= row.values.size() ? row.values[i - 1] : "?")
                              << " in the formats of the row, in order";
    FAIL() << "ours:\n" << ours << "\nPSPP's:\n" << theirs;
}

INSTANTIATE_TEST_SUITE_P(Kinds, PsppFormats, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs

namespace qs {
namespace {

// Regression: a date or time format given NaN or infinity cast it to an integer
// (undefined); no text fits it, as for any overflow.
TEST(ValueFormatter, DatesAndTimesBeyondAnyCalendarOverflow) {
    for (const ValueFormat format : {ValueFormat{20, 11, 0}, ValueFormat{21, 8, 0},
                                     ValueFormat{40, 5, 0}, ValueFormat{22, 20, 0}}) {
        ValueFormatter formatter(format);
        for (const double value : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
            EXPECT_EQ(formatter.Number(value), std::string(std::size_t(format.width), '*'))
                << format.type << " " << value;
        }
    }
}

} // namespace
} // namespace qs
