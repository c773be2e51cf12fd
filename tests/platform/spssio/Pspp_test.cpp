// Files written by PSPP at test time (plain, bytecode and ZLIB compressed) are
// read back through the C interface: what the syntax declared must come out,
// with multiple-response members under their long names.
#include "platform/spssio/spssio.h"
#include "support/Pspp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace qs::spssio::test {
namespace {

namespace fs = std::filesystem;

const char* kSyntax = R"(DATA LIST LIST / id (F4.0) age (F3.0) city (A12) code (A4) longtxt (A300).
BEGIN DATA
1 30 Gent ab xyz
2 99 Brugge cd uvw
END DATA.
NUMERIC verylongvariablename1 verylongvariablename2 (F1.0).
VARIABLE LABELS id 'Identifier' age 'Leeftijd in jaren' city 'Woonplaats café'.
VALUE LABELS age 30 'thirty' 99 'unknown' /city 'Gent' 'Ghent' /code 'ab' 'Alpha Beta'.
MISSING VALUES age (90 THRU 99, 0) /city ('none') /code ('zz', 'yy').
MRSETS /MDGROUP NAME=$yes LABEL='Yes sets' VARIABLES=verylongvariablename1 verylongvariablename2 VALUE=1
  /MCGROUP NAME=$cats VARIABLES=age id.
)";

struct Saved {
    const char* file;
    const char* subcommand;
    int compression;
};

class PsppFile : public ::testing::TestWithParam<Saved> {};

TEST_P(PsppFile, ReadsWhatTheSyntaxDeclared)
{
    if (!qs::test::HavePspp())
        GTEST_SKIP() << "pspp is not installed";
    qs::test::TempDir dir;
    const fs::path file = dir / GetParam().file;
    qs::test::WriteFileBytes(dir / "make.sps", std::string(kSyntax) + "SAVE OUTFILE='" +
                                                   file.string() + "' " + GetParam().subcommand +
                                                   ".\n");
    ASSERT_EQ(qs::test::RunPspp(dir / "make.sps", dir / "out.txt"), 0);

    int h = 0;
    ASSERT_EQ(spssOpenRead(qs::test::Utf8Path(file).c_str(), &h), SPSS_OK);
    int compression = -1, n = 0, format = 0;
    long cases = 0;
    EXPECT_EQ(spssGetCompression(h, &compression), SPSS_OK);
    EXPECT_EQ(compression, GetParam().compression);
    EXPECT_EQ(spssGetNumberofCases(h, &cases), SPSS_OK);
    EXPECT_EQ(cases, 2);
    EXPECT_EQ(spssGetNumberofVariables(h, &n), SPSS_OK);
    EXPECT_EQ(n, 7);

    char label[SPSS_LABEL_BUFFER_SIZE];
    EXPECT_EQ(spssGetVarLabel(h, "city", label), SPSS_OK);
    EXPECT_STREQ(label, "Woonplaats café");

    double d[3];
    EXPECT_EQ(spssGetVarNMissingValues(h, "age", &format, &d[0], &d[1], &d[2]), SPSS_OK);
    EXPECT_EQ(format, SPSS_MISS_RANGEANDVAL);
    EXPECT_EQ(d[0], 90);
    EXPECT_EQ(d[1], 99);
    EXPECT_EQ(d[2], 0);
    char c[3][SPSS_CMISSING_BUFFER_SIZE];
    EXPECT_EQ(spssGetVarCMissingValues(h, "city", &format, c[0], c[1], c[2]), SPSS_OK);
    EXPECT_EQ(format, 1);
    EXPECT_EQ(std::string(c[0]).substr(0, 4), "none");
    EXPECT_EQ(spssGetVarCMissingValues(h, "code", &format, c[0], c[1], c[2]), SPSS_OK);
    EXPECT_EQ(format, 2);
    EXPECT_STREQ(c[1], "yy  ");

    double* values = nullptr;
    char** strings = nullptr;
    char** labels = nullptr;
    ASSERT_EQ(spssGetVarNValueLabels(h, "age", &values, &labels, &n), SPSS_OK);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(values[1], 99);
    EXPECT_STREQ(labels[1], "unknown");
    spssFreeVarNValueLabels(values, labels, n);
    for (const char* var : {"city", "code"}) {
        ASSERT_EQ(spssGetVarCValueLabels(h, var, &strings, &labels, &n), SPSS_OK) << var;
        ASSERT_EQ(n, 1);
        EXPECT_STREQ(labels[0], std::string(var) == "city" ? "Ghent" : "Alpha Beta");
        spssFreeVarCValueLabels(strings, labels, n);
    }

    int type = 0, dec = 0, width = 0;
    EXPECT_EQ(spssGetVarPrintFormat(h, "longtxt", &type, &dec, &width), SPSS_OK);
    EXPECT_EQ(width, 300);

    char* sets = nullptr;
    ASSERT_EQ(spssGetMultRespDefs(h, &sets), SPSS_OK);
    const std::string text = sets;
    spssFreeMultRespDefs(sets);
    EXPECT_NE(text.find("$yes=D1 1 8 Yes sets verylongvariablename1 verylongvariablename2\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("$cats=C 0  age id\n"), std::string::npos) << text;
    EXPECT_EQ(spssCloseRead(h), SPSS_OK);
}

INSTANTIATE_TEST_SUITE_P(Compressions, PsppFile,
                         ::testing::Values(Saved{"plain.sav", "/UNCOMPRESSED", 0},
                                           Saved{"bytes.sav", "/COMPRESSED", 1},
                                           Saved{"zlib.zsav", "/ZCOMPRESSED", 2}),
                         [](const auto& row) { return std::to_string(row.param.compression); });

} // namespace
} // namespace qs::spssio::test
