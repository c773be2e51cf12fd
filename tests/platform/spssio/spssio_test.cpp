// The C interface over files on disk: handles, result codes of the calls the
// data file reader relies on, buffers cut at character boundaries, limits
// counted in the file's own characters, and the ownership of what the get
// functions allocate.
#include "platform/spssio/SavBuilder.h"
#include "platform/spssio/spssio.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace qs::spssio::test {
namespace {

class SpssIo : public ::testing::Test {
protected:
    void SetUp() override
    {
        SavBuilder b;
        b.header(7).numeric("AGE", std::string(300, 'a') + "\xc3\xa9" + "x").string("NAME", 8);
        b.numeric("W");
        b.text(13, "AGE=Age\tNAME=Name\tW=W");
        b.text(20, "UTF-8");
        b.end();
        m_path = (m_dir / "f.sav").string();
        qs::test::WriteFileBytes(m_path, b.bytes());
        ASSERT_EQ(spssOpenRead(m_path.c_str(), &m_handle), SPSS_OK);
    }
    void TearDown() override
    {
        if (m_handle > 0)
            spssCloseRead(m_handle);
    }
    qs::test::TempDir m_dir;
    std::string m_path;
    int m_handle = -1;
};

TEST_F(SpssIo, OpenAndCloseResultCodes)
{
    int h = 0;
    EXPECT_EQ(spssOpenRead(qs::test::Utf8Path(m_dir / "missing.sav").c_str(), &h), SPSS_FILE_OERROR);
    EXPECT_EQ(spssOpenRead(qs::test::Utf8Path(m_dir.path()).c_str(), &h), SPSS_FILE_OERROR);
    EXPECT_EQ(spssCloseAppend(m_handle), SPSS_OPEN_RDMODE);
    EXPECT_EQ(spssCloseWrite(m_handle), SPSS_OPEN_RDMODE);
    ASSERT_EQ(spssOpenAppend(m_path.c_str(), &h), SPSS_OK);
    EXPECT_NE(h, m_handle);
    EXPECT_EQ(spssCloseRead(h), SPSS_OPEN_WRMODE);
    EXPECT_EQ(spssCloseAppend(h), SPSS_OK);
    EXPECT_EQ(spssCloseAppend(h), SPSS_INVALID_HANDLE);
    int n = 0;
    EXPECT_EQ(spssGetNumberofVariables(h, &n), SPSS_INVALID_HANDLE);
    EXPECT_EQ(spssGetNumberofVariables(-1, &n), SPSS_INVALID_HANDLE);
}

TEST_F(SpssIo, FileTableFills)
{
    std::vector<int> handles;
    int h = 0, rc;
    while ((rc = spssOpenRead(m_path.c_str(), &h)) == SPSS_OK)
        handles.push_back(h);
    EXPECT_EQ(rc, SPSS_FITAB_FULL);
    EXPECT_GT(handles.size(), 100u);
    for (int each : handles)
        EXPECT_EQ(spssCloseRead(each), SPSS_OK);
}

TEST_F(SpssIo, VariableCallsCheckNameAndType)
{
    double dv[3];
    char cv[3][SPSS_CMISSING_BUFFER_SIZE];
    int format = 0, n = 0;
    double* values = nullptr;
    char** strings = nullptr;
    char** labels = nullptr;
    EXPECT_EQ(spssGetVarNMissingValues(m_handle, "nope", &format, &dv[0], &dv[1], &dv[2]),
              SPSS_VAR_NOTFOUND);
    EXPECT_EQ(spssGetVarNMissingValues(m_handle, "name", &format, &dv[0], &dv[1], &dv[2]),
              SPSS_NUME_EXP);
    EXPECT_EQ(spssGetVarCMissingValues(m_handle, "AGE", &format, cv[0], cv[1], cv[2]), SPSS_STR_EXP);
    EXPECT_EQ(spssGetVarNValueLabels(m_handle, "Name", &values, &labels, &n), SPSS_NUME_EXP);
    EXPECT_EQ(spssGetVarCValueLabels(m_handle, "age", &strings, &labels, &n), SPSS_STR_EXP);
    EXPECT_EQ(spssGetVarNValueLabels(m_handle, "age", &values, &labels, &n), SPSS_NO_LABELS);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(values, nullptr);
    EXPECT_EQ(spssFreeVarNValueLabels(values, labels, -1), SPSS_CANNOT_FREE);

    int type = 0, dec = 0, width = 0;
    ASSERT_EQ(spssGetVarPrintFormat(m_handle, "NAME", &type, &dec, &width), SPSS_OK);
    EXPECT_EQ(type, SPSS_FMT_A);
    EXPECT_EQ(width, 8);
    ASSERT_EQ(spssGetVarWriteFormat(m_handle, "Age", &type, &dec, &width), SPSS_OK);
    EXPECT_EQ(type, SPSS_FMT_F);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(dec, 2);
}

TEST_F(SpssIo, LongLabelIsCutAtACharacterBoundary)
{
    char label[SPSS_LABEL_BUFFER_SIZE];
    EXPECT_EQ(spssGetVarLabel(m_handle, "Age", label), SPSS_EXC_VARLABEL);
    EXPECT_EQ(std::strlen(label), 255u);
    std::vector<char> whole(400);
    int length = 0;
    EXPECT_EQ(spssGetVarLabelLong(m_handle, "Age", whole.data(), 400, &length), SPSS_OK);
    EXPECT_EQ(length, 303);
    EXPECT_EQ(std::string(whole.data()).substr(300), "\xc3\xa9x");
    EXPECT_EQ(spssGetVarLabelLong(m_handle, "Age", whole.data(), 302, &length), SPSS_OK);
    EXPECT_EQ(std::strlen(whole.data()), 300u) << "a cut never splits a character";
    EXPECT_EQ(spssGetVarLabel(m_handle, "W", label), SPSS_NO_LABEL);
    EXPECT_STREQ(label, "");
}

// "é" n times: one byte each in Windows-1252, two in UTF-8.
std::string legacy(std::size_t n) { return std::string(n, '\xe9'); }
std::string utf8(std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += "\xc3\xa9";
    return s;
}

struct LimitRow {
    const char* name;
    int over; // characters past each limit that a record can hold more of
};

class LegacyLimits : public ::testing::TestWithParam<LimitRow> {};

TEST_P(LegacyLimits, CountInCharactersOfTheFile)
{
    const std::size_t over = static_cast<std::size_t>(GetParam().over);
    SavBuilder b;
    b.header(1, 0, "$FL2", 1, legacy(64)).string("SHORT", 8, legacy(255 + over), {legacy(8)});
    b.string("LONG", 12);
    const std::string missing = b.i32Bytes(4) + "LONG" + '\x01' +
                                b.i32Bytes(static_cast<std::int32_t>(8 + over)) + legacy(8 + over);
    b.extension(22, 1, static_cast<std::int32_t>(missing.size()), missing);
    b.text(10, legacy(255 + over)).text(20, "windows-1252").end();
    qs::test::TempDir dir;
    qs::test::WriteFileBytes(dir / "legacy.sav", b.bytes());
    int h = -1;
    ASSERT_EQ(spssOpenRead(qs::test::Utf8Path(dir / "legacy.sav").c_str(), &h), SPSS_OK);

    char label[SPSS_LABEL_BUFFER_SIZE];
    EXPECT_EQ(spssGetVarLabel(h, "SHORT", label), over ? SPSS_EXC_VARLABEL : SPSS_OK);
    EXPECT_EQ(std::string(label), utf8(255));
    std::vector<char> whole(1024);
    int length = 0;
    EXPECT_EQ(spssGetVarLabelLong(h, "SHORT", whole.data(), 1024, &length), SPSS_OK);
    EXPECT_EQ(std::string(whole.data()), utf8(255 + over));
    int format = 0;
    char values[3][SPSS_CMISSING_BUFFER_SIZE];
    for (const char* name : {"SHORT", "LONG"}) {
        ASSERT_EQ(spssGetVarCMissingValues(h, name, &format, values[0], values[1], values[2]),
                  SPSS_OK);
        EXPECT_EQ(format, 1);
        EXPECT_EQ(std::string(values[0]), utf8(8)) << name << ": must still match the data";
    }
    char id[SPSS_IDSTRING_BUFFER_SIZE], text[SPSS_TEXTINFO_BUFFER_SIZE];
    EXPECT_EQ(spssGetIdString(h, id), SPSS_OK);
    EXPECT_EQ(std::string(id), utf8(64));
    EXPECT_EQ(spssGetTextInfo(h, text), SPSS_OK);
    EXPECT_EQ(std::string(text), utf8(255));
    EXPECT_EQ(spssCloseRead(h), SPSS_OK);
}

// The file label's header field holds exactly its limit: it has no row past it.
INSTANTIATE_TEST_SUITE_P(Texts, LegacyLimits,
                         ::testing::Values(LimitRow{"AtTheLimitsWhole", 0},
                                           LimitRow{"PastTheLimitsCut", 1}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SpssIo, FileInformation)
{
    long cases = 0, size = 0;
    int comp = -1, info[8];
    char system[SPSS_SYSSTRING_BUFFER_SIZE], date[SPSS_DATE_BUFFER_SIZE], time[SPSS_TIME_BUFFER_SIZE];
    char id[SPSS_IDSTRING_BUFFER_SIZE], weight[SPSS_NAME_BUFFER_SIZE], text[SPSS_TEXTINFO_BUFFER_SIZE];
    EXPECT_EQ(spssGetNumberofCases(m_handle, &cases), SPSS_OK);
    EXPECT_EQ(cases, 7);
    EXPECT_EQ(spssGetCaseSize(m_handle, &size), SPSS_OK);
    EXPECT_EQ(size, 24);
    EXPECT_EQ(spssGetCompression(m_handle, &comp), SPSS_OK);
    EXPECT_EQ(comp, SPSS_COMPRESSION_SAV);
    EXPECT_EQ(spssGetSystemString(m_handle, system), SPSS_OK);
    EXPECT_STREQ(system, "Quillstone test writer");
    EXPECT_EQ(spssGetReleaseInfo(m_handle, info), SPSS_OK);
    EXPECT_EQ(info[6], 2) << "little-endian, known without a machine record";
    EXPECT_EQ(spssGetTimeStamp(m_handle, date, time), SPSS_OK);
    EXPECT_STREQ(date, "05 Mar 24");
    EXPECT_STREQ(time, "13:45:01");
    EXPECT_EQ(spssGetIdString(m_handle, id), SPSS_OK);
    EXPECT_STREQ(id, "file label");
    EXPECT_EQ(spssGetTextInfo(m_handle, text), SPSS_OK);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(spssGetCaseWeightVar(m_handle, weight), SPSS_NO_CASEWGT);
    char* sets = reinterpret_cast<char*>(1);
    EXPECT_EQ(spssGetMultRespDefs(m_handle, &sets), SPSS_NO_MULTRESP);
    EXPECT_EQ(sets, nullptr);
    EXPECT_EQ(spssGetVariableSets(m_handle, &sets), SPSS_NO_VARSETS);
    EXPECT_EQ(sets, nullptr);
}

TEST_F(SpssIo, NamesComeInDictionaryOrder)
{
    int n = 0;
    char** names = nullptr;
    int* types = nullptr;
    ASSERT_EQ(spssGetVarNames(m_handle, &n, &names, &types), SPSS_OK);
    ASSERT_EQ(n, 3);
    EXPECT_STREQ(names[0], "Age");
    EXPECT_STREQ(names[1], "Name");
    EXPECT_EQ(types[0], 0);
    EXPECT_EQ(types[1], 8);
    EXPECT_EQ(spssFreeVarNames(names, types, n), SPSS_OK);
    double h1 = 0, h2 = 0;
    EXPECT_EQ(spssGetVarHandle(m_handle, "AGE", &h1), SPSS_OK);
    EXPECT_EQ(spssGetVarHandle(m_handle, "w", &h2), SPSS_OK);
    EXPECT_NE(h1, h2);
}

} // namespace
} // namespace qs::spssio::test
