// TSPSSDatafile: error mapping, setters, header time stamps, and Open/Close on real files
// (the shared fixtures, hand-made broken files and files PSPP writes at test time).
#include "datafile/RowName.h"
#include "datafile/TSPSSVL.h"
#include "platform/spssio/SavBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

namespace qs {
namespace {

const std::string kFixtures = std::string(QS_FIXTURES_DIR) + "/sav/";

double Serial(std::chrono::year_month_day date, int h = 0, int m = 0, int s = 0) {
    using namespace std::chrono;
    const auto days = sys_days(date) - sys_days(year(1899) / December / 30);
    return days.count() + (h * 3600 + m * 60 + s) / 86400.0;
}

struct CodeCase {
    const char* name;
    int code;
    const char* message; // nullptr: the code passes silently
};

class ErrorMapping : public ::testing::TestWithParam<CodeCase> {};

TEST_P(ErrorMapping, RaisesTheCodesMessageOrPasses) {
    const CodeCase& c = GetParam();
    if (c.message == nullptr) {
        EXPECT_NO_THROW(TSPSSDatafile::CheckSPSSError(c.code));
        return;
    }
    try {
        TSPSSDatafile::CheckSPSSError(c.code);
        FAIL() << "no exception";
    } catch (const ESPSSDataFileException& e) {
        EXPECT_STREQ(e.what(), c.message);
        EXPECT_EQ(e.ErrorCode(), c.code);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ErrorMapping,
    ::testing::Values(
        CodeCase{"Success", 0, nullptr}, CodeCase{"Warning", -9, nullptr},
        CodeCase{"UnlistedError25", 25, nullptr}, CodeCase{"UnlistedError58", 58, nullptr},
        CodeCase{"Open", 1, "Error opening file"},
        CodeCase{"Handle", 5, "The file handle  is not valid"},
        CodeCase{"InvalidFile", 6, "File is not a valid SPSS file"},
        CodeCase{"Committed", 30, "Dictionary has already been writtten with spssCommitheader"},
        CodeCase{"NoType999", 46, "File is not a valid SPSS data file(missing type 999 record)"},
        CodeCase{"LastOfTable", 72, "SPSS Error DUP_MRSETNAME"}),
    test::RowName());

struct StampCase {
    const char* name;
    const char* date;
    const char* time;
    double expected;
};

class TimeStamp : public ::testing::TestWithParam<StampCase> {};

TEST_P(TimeStamp, ParsesDayMonthTwoDigitYearAndTime) {
    EXPECT_DOUBLE_EQ(TSPSSDatafile::ParseTimeStamp(GetParam().date, GetParam().time),
                     GetParam().expected);
}

using std::chrono::year;
INSTANTIATE_TEST_SUITE_P(
    Headers, TimeStamp,
    ::testing::Values(
        StampCase{"Year48Is2048", "05 MAR 48", "00:00:00", Serial(year(2048) / 3 / 5)},
        StampCase{"Year49Is1949", "05 Mar 49", "00:00:00", Serial(year(1949) / 3 / 5)},
        StampCase{"WithTime", "21 Dec 12", "11:43:20", Serial(year(2012) / 12 / 21, 11, 43, 20)},
        StampCase{"LeapDay", "29 feb 00", "23:59:59", Serial(year(2000) / 2 / 29, 23, 59, 59)}),
    test::RowName());

struct BadStampCase {
    const char* name;
    const char* date;
    const char* time;
    bool formatError; // else a conversion error
};

class BadTimeStamp : public ::testing::TestWithParam<BadStampCase> {};

TEST_P(BadTimeStamp, RaisesFormatOrConversionError) {
    const BadStampCase& c = GetParam();
    if (c.formatError) {
        try {
            TSPSSDatafile::ParseTimeStamp(c.date, c.time);
            FAIL() << "no exception";
        } catch (const ESPSSDataFileException& e) {
            EXPECT_STREQ(e.what(), "Date and time formats are invalid");
        }
    } else {
        EXPECT_THROW(TSPSSDatafile::ParseTimeStamp(c.date, c.time), EConvertError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, BadTimeStamp,
    ::testing::Values(BadStampCase{"UnknownMonth", "05 Mrz 48", "", true},
                      BadStampCase{"Empty", "", "", true},
                      BadStampCase{"DayNotNumber", "xx Mar 48", "1:2:3", false},
                      BadStampCase{"ImpossibleDate", "31 Feb 12", "1:2", false},
                      BadStampCase{"HourOutOfRange", "01 Jan 12", "24:00:00", false},
                      BadStampCase{"TimeNotNumber", "01 Jan 12", "ab:cd", false}),
    test::RowName());

TEST(DatafileSetters, FilenameNeedsAnExistingFolderOnly) {
    test::TempDir dir;
    TSPSSDatafile file;
    const std::string missingFolder = (dir / "nope" / "x.sav").string();
    try {
        file.SetFilename(missingFolder);
        FAIL() << "no exception";
    } catch (const ESPSSDataFileException& e) {
        EXPECT_EQ(std::string(e.what()), "File " + missingFolder + " does not exist");
        EXPECT_EQ(e.ErrorCode(), 0);
    }
    EXPECT_NO_THROW(file.SetFilename((dir / "later.sav").string()));
    EXPECT_NO_THROW(file.SetFilename("bare-name.sav")) << "the current folder exists";
    EXPECT_NO_THROW(file.SetFilename(""));
    EXPECT_EQ(file.Filename(), "");
}

class Reader : public ::testing::Test {
protected:
    void OpenFixture(const std::string& name) {
        file.SetFilename(kFixtures + name);
        file.Open();
    }
    TSPSSVariable& Var(const std::string& name) {
        TSPSSVariable* var = file.Variables().FindByName(name);
        EXPECT_NE(var, nullptr) << name;
        return *var;
    }
    TSPSSDatafile file;
};

TEST_F(Reader, MissingFileRaisesBeforeAnyLibraryCall) {
    test::TempDir dir;
    const std::string path = (dir / "absent.sav").string();
    file.SetFilename(path);
    try {
        file.Open();
        FAIL() << "no exception";
    } catch (const ESPSSDataFileException& e) {
        EXPECT_EQ(std::string(e.what()), "File " + path + " does not exist");
    }
    EXPECT_EQ(file.OpenMode, omClosed);
}

TEST_F(Reader, ReadsVariablesMissingValuesLabelsAndHeader) {
    OpenFixture("savrw__spssio_test.sav");
    EXPECT_EQ(file.OpenMode, omRead);
    EXPECT_NE(file.ReadHandle, -1);
    EXPECT_EQ(file.Cases().NumberOfCases, 9);
    EXPECT_EQ(file.CaseTable().RowCount(), 9);
    EXPECT_EQ(file.CaseTable().Row(9)[3].CaseNumber, 9);
    ASSERT_EQ(file.Variables().Count(), 22);
    ASSERT_NE(file.Variables().WeightVariable, nullptr);
    EXPECT_EQ(file.Variables().WeightVariable->Name, "weightVar");

    const TSPSSVariable& age = Var("age");
    EXPECT_EQ(age.Label, "How old are you?");
    EXPECT_EQ(age.MissingFormat, -2);
    EXPECT_EQ(age.Missing1, TVariant(0.0));
    EXPECT_EQ(age.Missing2, TVariant(18.0));
    EXPECT_EQ(age.Missing3, TVariant());
    ASSERT_EQ(age.ValueLabels.Count(), 3);
    EXPECT_EQ(age.ValueLabels[0].Value, TVariant(std::string("27")));
    EXPECT_EQ(age.ValueLabels[0].Label, "27 y.o. ");

    EXPECT_EQ(Var("Income2").MissingFormat, -3);
    EXPECT_EQ(Var("Income2").Missing3, TVariant(999.0));
    EXPECT_EQ(Var("Income3").MissingFormat, 3);

    const TSPSSVariable& shortString = Var("aShortStringVar");
    EXPECT_FALSE(shortString.IsNumeric);
    EXPECT_EQ(shortString.Missing1, TVariant(std::string("x")));
    ASSERT_EQ(shortString.ValueLabels.Count(), 1);
    EXPECT_EQ(shortString.ValueLabels[0].Value, TVariant(std::string("x")));

    const TSPSSVariable& longString = Var("aLongStringVar");
    EXPECT_EQ(longString.PrintWidth, 100);
    EXPECT_EQ(longString.MissingFormat, 0);
    EXPECT_EQ(longString.ValueLabels.Count(), 0);
    EXPECT_EQ(longString.CaseWidth, 104);
    const TSPSSVariable& after = file.Variables()[longString.Index() + 1];
    EXPECT_EQ(after.CaseOffset, longString.CaseOffset + 104);

    EXPECT_EQ(file.FileInfo().IdString, "This is a file label");
    EXPECT_DOUBLE_EQ(file.FileInfo().TimeStamp, Serial(year(2012) / 12 / 21, 11, 43, 20));
    EXPECT_EQ(file.MRSets().Count(), 3);
}

TEST_F(Reader, CloseEmptiesTheModelAndASecondOpenNeedsIt) {
    OpenFixture("savrw__Employee_data.sav");
    EXPECT_EQ(file.VariableSets().Count(), 2);
    try {
        file.Open();
        FAIL() << "no exception";
    } catch (const ESPSSDataFileException& e) {
        EXPECT_STREQ(e.what(), "File is either already open or not closed properly");
    }
    EXPECT_THROW(file.SetWriteDirect(true), ESPSSDataFileException);
    file.Close();
    EXPECT_EQ(file.OpenMode, omClosed);
    EXPECT_EQ(file.ReadHandle, -1);
    EXPECT_EQ(file.Variables().Count(), 0);
    EXPECT_EQ(file.VariableSets().Count(), 0);
    EXPECT_EQ(file.MRSets().Count(), 0);
    EXPECT_EQ(file.Variables().WeightVariable, nullptr);
    EXPECT_EQ(file.Cases().NumberOfCases, 0);
    EXPECT_EQ(file.Cases().CaseBuffer, nullptr);
    EXPECT_EQ(file.FileInfo().SystemString, "");
    file.Open();
    EXPECT_EQ(file.Variables().Count(), 10);
}

TEST_F(Reader, BrokenFileRaisesLibraryErrorAndCloseRecovers) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "broken.sav", "$FL2 this is not a dictionary");
    file.SetFilename((dir / "broken.sav").string());
    try {
        file.Open();
        FAIL() << "no exception";
    } catch (const ESPSSDataFileException& e) {
        EXPECT_GT(e.ErrorCode(), 0);
    }
    EXPECT_NO_THROW(file.Close()) << "no library file was opened";
    OpenFixture("pspp__personnel.sav");
    EXPECT_EQ(file.Variables().Count(), 6);
}

TEST_F(Reader, WriteDirectOpensForAppending) {
    test::TempDir dir;
    std::filesystem::copy_file(kFixtures + "pspp__physiology.sav", dir / "copy.sav");
    // The fixtures are read-only, and so is the copy; root alone could write it anyway.
    std::filesystem::permissions(dir / "copy.sav", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    file.SetWriteDirect(true);
    file.SetFilename((dir / "copy.sav").string());
    file.Open();
    EXPECT_EQ(file.OpenMode, omAppend);
    EXPECT_NE(file.WriteHandle, -1);
    EXPECT_EQ(file.WriteHandle, file.ReadHandle);
    EXPECT_EQ(file.Variables().Count(), 4);
    file.Close();
    EXPECT_EQ(file.WriteHandle, -1);
}

// Every collection's ID counter starts over with each open. It used to run on, and the
// tree refreshing a 30,000-variable file passed 2^31 (signed overflow) after some
// 71,000 refreshes; now it never passes the item count of one open.
TEST_F(Reader, RefreshGivesTheSameIDsAgain) {
    const auto ids = [this] {
        std::vector<std::int32_t> all;
        for (const auto& var : file.Variables()) {
            all.push_back(var->ID());
        }
        for (const auto& set : file.MRSets()) {
            all.push_back(set->ID());
        }
        return all;
    };
    OpenFixture("savrw__spssio_test.sav");
    const std::vector<std::int32_t> first = ids();
    ASSERT_EQ(first.size(), 22u + 3u);
    for (int refresh = 0; refresh < 3; ++refresh) {
        file.Close();
        file.Open();
        EXPECT_EQ(ids(), first) << "refresh " << refresh;
    }
}

// Case counts no case table could hold when rows were counted in 32-bit slots, from the
// header and from the 64-bit count record. The cases are not there: the reader never
// reads them, and the table makes its rows on use.
struct CaseCountCase {
    const char* name;
    std::int32_t header; // -1: the record tells
    std::int64_t cases;
};

class LargeCaseCount : public Reader, public ::testing::WithParamInterface<CaseCountCase> {};

TEST_P(LargeCaseCount, OpensWithEveryCaseNumbered) {
    const CaseCountCase& c = GetParam();
    if (c.cases > LONG_MAX) {
        GTEST_SKIP() << "the I/O library's interface counts cases in a long, which has 32 bits "
                        "on Windows";
    }
    spssio::test::SavBuilder b;
    b.header(c.header).numeric("A");
    if (c.header < 0) {
        std::string count(8, '\0');
        std::memcpy(count.data(), &c.cases, 8); // the builder writes little-endian
        b.extension(16, 8, 2, b.number(0) + count);
    }
    test::TempDir dir;
    test::WriteFileBytes(dir / "many.sav", b.end().bytes());
    file.SetFilename((dir / "many.sav").string());
    file.Open();
    EXPECT_EQ(file.Cases().NumberOfCases, c.cases);
    ASSERT_EQ(file.CaseTable().RowCount(), c.cases);
    EXPECT_EQ(file.CaseTable().Row(c.cases)[3].CaseNumber, c.cases);
    EXPECT_EQ(file.CaseTable().Row(c.cases / 2)[0].CaseNumber, c.cases / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LargeCaseCount,
    ::testing::Values(CaseCountCase{"SixHundredMillionInHeader", 600'000'000, 600'000'000},
                      CaseCountCase{"ThreeBillionInRecord", -1, 3'000'000'000}),
    test::RowName());

TEST_F(Reader, UnknownCaseCountGivesEmptyCaseTable) {
    OpenFixture("pspp__no_case_size.sav");
    EXPECT_EQ(file.Cases().NumberOfCases, -1);
    EXPECT_EQ(file.CaseTable().RowCount(), 0);
}

// A file PSPP writes now: numeric labels with fractions, string missing values, both
// kinds of multiple-response sets.
TEST_F(Reader, FileWrittenByPsppRoundTrips) {
    if (std::system("pspp --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "pspp is not installed";
    }
    test::TempDir dir;
    const std::string sav = (dir / "made.sav").string();
    test::WriteFileBytes(dir / "make.sps",
                         "DATA LIST LIST /score q1 q2 (F8.2) code (A4) longtext (A20).\n"
                         "BEGIN DATA\n1 1 0 ab xyz\nEND DATA.\n"
                         "VARIABLE LABELS score 'Test \"score\"'.\n"
                         "VALUE LABELS score 1 'one' 2.5 'two and a half' -3 'minus'.\n"
                         "MISSING VALUES code ('x' 'yy').\n"
                         "MISSING VALUES score (LO THRU 0, 99).\n"
                         "MRSETS /MDGROUP NAME=$dich LABEL='Both' VARIABLES=q1 q2 VALUE=1\n"
                         "  /MCGROUP NAME=$cat VARIABLES=q1 q2.\n"
                         "SAVE OUTFILE='" +
                             sav + "'.\n");
    const std::string command =
        "cd '" + dir.path().string() + "' && pspp -b make.sps > pspp.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << test::ReadFileBytes(dir / "pspp.log");
    file.SetFilename(sav);
    file.Open();
    const TSPSSVariable& score = Var("SCORE");
    EXPECT_EQ(score.Label, "Test \"score\"");
    // PSPP writes the labels sorted by value; the reader keeps the file's order.
    std::map<std::string, std::string> labels;
    for (const auto& label : score.ValueLabels) {
        labels[std::get<std::string>(label->Value)] = label->Label;
    }
    EXPECT_EQ(labels, (std::map<std::string, std::string>{
                          {"1", "one"}, {"2.5", "two and a half"}, {"-3", "minus"}}));
    EXPECT_EQ(score.MissingFormat, -3);
    EXPECT_EQ(score.Missing2, TVariant(0.0));
    EXPECT_EQ(score.Missing3, TVariant(99.0));
    const TSPSSVariable& code = Var("code");
    EXPECT_EQ(code.MissingFormat, 2);
    EXPECT_EQ(code.Missing2, TVariant(std::string("yy  ")));
    EXPECT_EQ(Var("longtext").MissingFormat, 0);

    ASSERT_EQ(file.MRSets().Count(), 2);
    for (const auto& set : file.MRSets()) {
        ASSERT_EQ(set->VarList.Count(), 2) << set->Name;
        EXPECT_EQ(set->VarList[0].Name, "q1");
        if (set->Name == "dich") {
            EXPECT_TRUE(set->IsDichotomy);
            EXPECT_EQ(set->CountedValue, TVariant(std::string("1")));
            EXPECT_EQ(set->Label, "Both");
        } else {
            EXPECT_EQ(set->Name, "cat");
            EXPECT_FALSE(set->IsDichotomy);
            EXPECT_EQ(set->CountedValue, TVariant(std::int32_t{-1}));
        }
    }
}

} // namespace
} // namespace qs

namespace qs {
namespace {

// Cases through the reader's case calls: a seek, the values of the current case, a case
// cut off in the middle, which raises with its number instead of passing on, and a value
// asked by a handle of no variable, which raises although its code has no message.
TEST_F(Reader, ReadsCasesAndRaisesAtACutOffOne) {
    spssio::test::SavBuilder b;
    b.header(3, 0, "$FL2", 0).numeric("N").string("S", 8).end();
    b.f64(1.5).raw("first   ").f64(-2).raw("second  ").f64(3);
    test::TempDir dir;
    test::WriteFileBytes(dir / "cut.sav", b.bytes());
    file.SetFilename((dir / "cut.sav").string());
    file.Open();
    file.SeekNextCase(1);
    ASSERT_TRUE(file.ReadCaseRecord());
    EXPECT_EQ(file.GetValueNumeric(Var("n")), -2);
    EXPECT_EQ(file.GetValueChar(Var("s")), "second  ");
    try {
        file.ReadCaseRecord();
        FAIL() << "no exception";
    } catch (const ESPSSDataFileException& e) {
        EXPECT_STREQ(e.what(), "Error reading file: case 3: the data end inside the case "
                               "(variable s)");
    }
    file.SeekNextCase(0);
    EXPECT_TRUE(file.ReadCaseRecord());
    TSPSSVariable stale(&file);
    stale.VarHandle = 99; // no variable's: the library's code 58, which has no message
    EXPECT_THROW(file.GetValueNumeric(stale), ESPSSDataFileException);
    EXPECT_TRUE(file.ReadCaseRecord());
    file.Close();
}

} // namespace
} // namespace qs
