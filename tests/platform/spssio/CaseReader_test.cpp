// Case reading: the values PSPP wrote, in each compression, through the C interface;
// random access with and without the index over hand-made files (zlib blocks of a few
// bytes, so that command blocks and cases straddle them); and damaged or cut-off data,
// which must stop at the right case with the reason, never pass a wrong value on.
#include "platform/spssio/CaseReader.h"
#include "platform/spssio/SavBuilder.h"
#include "platform/spssio/spssio.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <random>

namespace qs::spssio::test {
namespace {

const std::string kCases = std::string(QS_FIXTURES_DIR) + "/cases/";
constexpr double kSysmis = -DBL_MAX;

// The fields of PSPP's CSV (quoted fields with doubled quotes, LF line ends).
std::vector<std::vector<std::string>> parseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            rows.back().back() += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            rows.back().emplace_back();
        else if (!quoted && c == '\n')
            rows.emplace_back(1);
        else
            rows.back().back() += c;
    }
    rows.pop_back(); // after the last line end
    return rows;
}

class PsppCases : public ::testing::TestWithParam<const char*> {};

TEST_P(PsppCases, GiveTheValuesPsppWrote)
{
    const auto rows = parseCsv(qs::test::ReadFileBytes(kCases + "cases-values.csv"));
    int h = 0;
    ASSERT_EQ(spssOpenRead((kCases + GetParam()).c_str(), &h), SPSS_OK);
    std::vector<double> handles;
    for (const std::string& name : rows[0]) {
        handles.emplace_back();
        ASSERT_EQ(spssGetVarHandle(h, name.c_str(), &handles.back()), SPSS_OK);
    }
    char text[3 * 600 + 1];
    for (std::size_t row = 1; row < rows.size(); ++row) {
        ASSERT_EQ(spssReadCaseRecord(h), SPSS_OK) << row;
        for (std::size_t v = 0; v < handles.size(); ++v) {
            double number = 0;
            const std::string& want = rows[row][v];
            if (spssGetValueNumeric(h, handles[v], &number) == SPSS_OK) {
                EXPECT_EQ(number, want == " " ? kSysmis : std::strtod(want.c_str(), nullptr))
                    << "case " << row << " " << rows[0][v];
                continue;
            }
            ASSERT_EQ(spssGetValueChar(h, handles[v], text, sizeof text), SPSS_OK);
            std::string value = text;
            value.erase(value.find_last_not_of(' ') + 1);
            EXPECT_EQ(value, want) << "case " << row << " " << rows[0][v];
        }
    }
    EXPECT_EQ(spssReadCaseRecord(h), SPSS_FILE_END);
    EXPECT_EQ(spssCloseRead(h), SPSS_OK);
}

INSTANTIATE_TEST_SUITE_P(Compressions, PsppCases,
                         ::testing::Values("cases-plain.sav", "cases-bytecode.sav", "cases.zsav"),
                         [](const auto& row) { return std::string(row.param).substr(6, 4); });

// Cases of NUM (numeric), TXT (A8) and NOTE (A20, three slots), their values made from
// the case number: integers that compress, literals, system-missing and blanks.
std::vector<Record> makeCases(int n)
{
    std::vector<Record> cases;
    for (int i = 1; i <= n; ++i) {
        const std::string note = "note " + std::to_string(i * 7919) + std::string(20, '.');
        cases.push_back({Slot::num(i % 7 == 3 ? kSysmis : i % 3 == 0 ? i / 4.0 : i - 50),
                         Slot::str(("t" + std::to_string(i) + "       ").substr(0, i % 5 == 0 ? 0 : 8) + std::string(i % 5 == 0 ? 8 : 0, ' ')),
                         Slot::str(note.substr(0, 8)), Slot::str(note.substr(8, 8)),
                         Slot::str(note.substr(16, 4) + "    ")});
    }
    return cases;
}

// A file of those cases; compression 0, 1 or 2 (then in zlib blocks of blockSize bytes).
std::string makeFile(const std::vector<Record>& cases, int compression, int declared,
                     std::size_t blockSize = 64)
{
    SavBuilder b;
    b.header(declared, 0, compression == 2 ? "$FL3" : "$FL2", compression)
        .numeric("NUM")
        .string("TXT", 8)
        .string("NOTE", 20)
        .end();
    if (compression == 0)
        return b.raw(b.plainData(cases)).bytes();
    const std::string stream = b.bytecodeData(cases);
    return compression == 1 ? b.raw(stream).bytes() : b.raw(b.zlibData(stream, blockSize)).bytes();
}

void expectCase(const CaseReader& r, const CaseBlock& block, std::int64_t row, const Record& want)
{
    std::string scratch;
    const std::uint8_t* record = block.record(row);
    EXPECT_EQ(r.number(record, 0), want[0].number) << "case " << block.first + row + 1;
    EXPECT_EQ(r.bytes(record, 1, scratch), want[1].bytes) << "case " << block.first + row + 1;
    EXPECT_EQ(r.bytes(record, 2, scratch), want[2].bytes + want[3].bytes + want[4].bytes.substr(0, 4))
        << "case " << block.first + row + 1;
}

enum class Index { None, Before, During }; // built before the jumps, or while they run

struct Layout {
    const char* name;
    int compression;
    bool declared; // the header gives the count
    Index index;
};

class RandomAccess : public ::testing::TestWithParam<Layout> {};

TEST_P(RandomAccess, GivesEachCaseAsSequentialReadingDoes)
{
    const Layout& p = GetParam();
    const auto cases = makeCases(700);
    qs::test::TempDir dir;
    qs::test::WriteFileBytes(dir / "f.sav", makeFile(cases, p.compression, p.declared ? 700 : -1));
    std::string message;
    // A checkpoint every 13 cases falls inside command blocks and zlib blocks alike.
    const auto reader = CaseReader::open(qs::test::Utf8Path(dir / "f.sav"), message, 13);
    ASSERT_TRUE(reader) << message;
    if (p.index != Index::None)
        reader->startIndexing();
    if (p.index == Index::Before)
        reader->waitForIndex();
    std::mt19937 random(7);
    CaseBlock block;
    for (int jump = 0; jump < 60; ++jump) {
        const std::int64_t first = jump == 0 ? 699 : std::int64_t(random() % 700);
        ASSERT_TRUE(reader->read(first, 3, block)) << reader->error();
        ASSERT_EQ(block.count, std::min<std::int64_t>(3, 700 - first));
        for (std::int64_t row = 0; row < block.count; ++row)
            expectCase(*reader, block, row, cases[std::size_t(first + row)]);
    }
    if (p.index != Index::None) {
        reader->waitForIndex();
        const IndexProgress progress = reader->indexProgress();
        EXPECT_TRUE(progress.finished && progress.error.empty()) << progress.error;
        EXPECT_EQ(reader->caseCount(), 700);
    }
    ASSERT_TRUE(reader->read(700, 5, block));
    EXPECT_EQ(block.count, 0) << "no case past the last";
}

INSTANTIATE_TEST_SUITE_P(Files, RandomAccess,
                         ::testing::Values(Layout{"Plain", 0, true, Index::None},
                                           Layout{"PlainUncounted", 0, false, Index::Before},
                                           Layout{"Bytecode", 1, true, Index::None},
                                           Layout{"BytecodeIndexed", 1, true, Index::Before},
                                           Layout{"BytecodeUncounted", 1, false, Index::Before},
                                           Layout{"BytecodeWhileIndexing", 1, true, Index::During},
                                           Layout{"Zlib", 2, true, Index::None},
                                           Layout{"ZlibIndexed", 2, false, Index::Before},
                                           Layout{"ZlibWhileIndexing", 2, true, Index::During}),
                         [](const auto& row) { return std::string(row.param.name); });

// Damaged data: built whole, then broken by the row.
struct Damage {
    const char* name;
    std::string (*make)();
    int goodCases;       // read before the damage; -1: wherever the cut falls
    const char* message; // part of the error, after "case N: "
};

// NUM and TXT (two slots a case, four cases a command block), cases from raw codes.
std::string codedFile(int declared, const std::string& stream)
{
    SavBuilder b;
    return b.header(declared).numeric("NUM").string("TXT", 8).end().raw(stream).bytes();
}

std::string codes(std::initializer_list<int> list)
{
    std::string out;
    for (int c : list)
        out += static_cast<char>(c);
    return out;
}

const Damage kDamage[] = {
    {"PlainCutInsideACase",
     [] { std::string f = makeFile(makeCases(3), 0, 3); return f.substr(0, f.size() - 5); }, 2,
     "the data end inside the case"},
    {"PlainFewerCasesThanDeclared", [] { return makeFile(makeCases(3), 0, 5); }, 3,
     "the data end here, but the file declares 5 cases"},
    {"BytecodeFewerCasesThanDeclared", [] { return makeFile(makeCases(3), 1, 5); }, 3,
     "the data end here, but the file declares 5 cases"},
    {"BlanksInANumber", [] { return codedFile(4, codes({101, 254, 254, 254, 252, 0, 0, 0})); }, 1,
     "a numeric value is coded as blanks (variable num)"},
    {"SysmisInAString", [] { return codedFile(4, codes({101, 254, 102, 254, 103, 255, 252, 0})); },
     2, "a string value is coded as system-missing (variable txt)"},
    {"NumberInAString", [] { return codedFile(4, codes({101, 254, 102, 105, 252, 0, 0, 0})); }, 1,
     "a string value is coded as a number (bytecode 105)"},
    {"EndCodeInsideACase", [] { return codedFile(4, codes({101, 254, 102, 252, 0, 0, 0, 0})); }, 1,
     "the data end inside the case"},
    {"CutInsideALiteral",
     [] { return codedFile(4, codes({101, 254, 253, 254, 0, 0, 0, 0}) + "\x01\x02\x03\x04"); }, 1,
     "the data end inside the case"},
    {"ZlibFileCutOff",
     [] { std::string f = makeFile(makeCases(200), 2, 200); return f.substr(0, f.size() * 3 / 5); },
     -1, "the file ends inside zlib block"},
    {"ZlibBlockDamaged",
     [] {
         std::string f = makeFile(makeCases(200), 2, 200, 512);
         f[f.size() / 3] = static_cast<char>(f[f.size() / 3] ^ 0x55);
         return f;
     },
     -1, " is damaged"},
};

class DamagedData : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedData, StopsAtTheCaseWithTheReason)
{
    const Damage& d = GetParam();
    qs::test::TempDir dir;
    qs::test::WriteFileBytes(dir / "f.sav", d.make());
    std::string message;
    const auto reader = CaseReader::open(qs::test::Utf8Path(dir / "f.sav"), message);
    ASSERT_TRUE(reader) << message;
    CaseBlock block;
    EXPECT_FALSE(reader->read(0, 1000, block));
    const std::string error = reader->error();
    if (d.goodCases >= 0) {
        EXPECT_EQ(block.count, d.goodCases);
    }
    EXPECT_EQ(error.rfind("case " + std::to_string(block.count + 1) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(d.message), std::string::npos) << error;
    if (std::string(d.name).rfind("Zlib", 0) == 0) {
        const auto cases = makeCases(200);
        for (std::int64_t row = 0; row < block.count; ++row)
            expectCase(*reader, block, row, cases[std::size_t(row)]);
    }
    // The index builder meets the same damage and says so.
    reader->startIndexing();
    reader->waitForIndex();
    EXPECT_EQ(reader->indexProgress().error, error);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedData, ::testing::ValuesIn(kDamage),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CaseCalls, KeepToTheInterfaceContract)
{
    qs::test::TempDir dir;
    qs::test::WriteFileBytes(dir / "f.sav", makeFile(makeCases(10), 1, 10));
    int h = 0;
    ASSERT_EQ(spssOpenRead(qs::test::Utf8Path(dir / "f.sav").c_str(), &h), SPSS_OK);
    double num = 0, txt = 0, value = 0;
    char text[4];
    ASSERT_EQ(spssGetVarHandle(h, "num", &num), SPSS_OK);
    ASSERT_EQ(spssGetVarHandle(h, "note", &txt), SPSS_OK);
    EXPECT_EQ(spssGetValueNumeric(h, num, &value), SPSS_INVALID_CASE) << "no case read yet";
    EXPECT_EQ(spssSeekNextCase(h, 10), SPSS_INVALID_CASE);
    EXPECT_EQ(spssSeekNextCase(h, 8), SPSS_OK);
    EXPECT_EQ(spssReadCaseRecord(h), SPSS_OK);
    EXPECT_EQ(spssGetValueNumeric(h, num, &value), SPSS_OK);
    EXPECT_EQ(value, makeCases(10)[8][0].number);
    EXPECT_EQ(spssGetValueNumeric(h, txt, &value), SPSS_NUME_EXP);
    EXPECT_EQ(spssGetValueChar(h, num, text, sizeof text), SPSS_STR_EXP);
    EXPECT_EQ(spssGetValueChar(h, txt, text, sizeof text), SPSS_BUFFER_SHORT);
    EXPECT_STREQ(text, "not");
    EXPECT_EQ(spssGetValueNumeric(h, num + 0.5, &value), SPSS_INVALID_VARHANDLE);
    EXPECT_EQ(spssReadCaseRecord(h), SPSS_OK);
    EXPECT_EQ(spssReadCaseRecord(h), SPSS_FILE_END);
    EXPECT_EQ(spssGetValueNumeric(h, num, &value), SPSS_INVALID_CASE) << "none after the end";
    EXPECT_EQ(spssCloseRead(h), SPSS_OK);
}


// Regression: a string whose dictionary gives it fewer slots than its width was read past
// the end of the case record.
TEST(CaseValues, StringWiderThanItsSlotsReadsBlanksBeyondThem)
{
    SavBuilder b;
    b.header(1, 0, "$FL2", 0).i32(2).i32(20).i32(0).i32(0).i32(0x011400).i32(0x011400).raw("S       ");
    qs::test::TempDir dir;
    qs::test::WriteFileBytes(dir / "f.sav", b.end().raw("abcdefgh").bytes());
    std::string message, scratch;
    const auto reader = CaseReader::open(qs::test::Utf8Path(dir / "f.sav"), message);
    ASSERT_TRUE(reader) << message;
    CaseBlock block;
    ASSERT_TRUE(reader->read(0, 1, block)) << reader->error();
    ASSERT_EQ(block.count, 1);
    EXPECT_EQ(reader->bytes(block.record(0), 0, scratch), "abcdefgh" + std::string(12, ' '));
}

} // namespace
} // namespace qs::spssio::test
