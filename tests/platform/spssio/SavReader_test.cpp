// Hand-made system files: a full dictionary in both byte orders, the
// extension records one by one, and broken files that must fail with the
// library's result codes instead of crashing or allocating without bound.
#include "platform/spssio/SavBuilder.h"
#include "platform/spssio/SavDictionary.h"
#include "platform/spssio/SavNameIndex.h"
#include "platform/spssio/SavValueLabels.h"
#include "platform/spssio/spssio.h"
#include "support/CollidingNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

namespace qs::spssio::test {
namespace {

int read(const std::string& bytes, SavDictionary& dict)
{
    return readSavBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), dict);
}

// age (numeric, range missing, labels), city (A12: two slots), a very long
// string of width 300 folded from two segments, and the records that describe them.
SavBuilder fullFile(bool big)
{
    SavBuilder b(big);
    b.header(42, 1)
        .numeric("AGE", "Age in years", -3, {90, 99, -1})
        .string("CITY", 12, "  Woonplaats caf\xe9", {"Gent"})
        .string("LONGSTR", 255)
        .string("LONGS0", 48);
    b.valueLabels({{b.number(1), "one"}, {b.number(2.5), " two and a half"}}, {1});
    b.valueLabels({{"Gent", "Ghent \xe9"}}, {2});
    b.extension(3, 4, 8, b.i32Bytes(20) + b.i32Bytes(0) + b.i32Bytes(1) + b.i32Bytes(-1) +
                             b.i32Bytes(1) + b.i32Bytes(1) + b.i32Bytes(big ? 1 : 2) +
                             b.i32Bytes(1252));
    b.extension(4, 8, 3, b.number(-1.0e300) + b.number(1e300) + b.number(-9e299));
    std::string display;
    for (int v = 0; v < 4; ++v)
        display += b.i32Bytes(v == 0 ? 3 : 1) + b.i32Bytes(10 + v) + b.i32Bytes(v == 0 ? 1 : 0);
    b.extension(11, 4, 12, display);
    b.text(13, "AGE=AgeOfPerson\tCITY=City\tLONGSTR=LongText");
    b.text(14, std::string("LONGSTR=00300\0\t", 15));
    b.extension(16, 8, 2, b.number(1) + b.number(-1)); // no usable count: the header's stands
    b.text(20, "windows-1252");
    b.text(7, "$ages=C 4 ages age CITY\n$yes=D1 1 6 Yes \xe9s AGE longstr\n");
    b.text(5, "People= AGE city\r\nText= LONGTEXT\n");
    b.text(10, "made by hand");
    return b.end();
}

class FullFile : public ::testing::TestWithParam<bool> {};

TEST_P(FullFile, ReadsEveryRecord)
{
    const SavBuilder b = fullFile(GetParam());
    SavDictionary d;
    ASSERT_EQ(read(b.bytes(), d), SPSS_OK);
    EXPECT_EQ(d.bigEndian, GetParam());
    EXPECT_EQ(d.encoding, "windows-1252");
    EXPECT_EQ(d.caseCount, 42);
    EXPECT_EQ(d.slotCount, 1 + 2 + 32 + 6);
    EXPECT_EQ(d.weightVariable, 0);
    EXPECT_EQ(d.textInfo, "made by hand");
    EXPECT_EQ(d.fileLabel, "file label");
    ASSERT_EQ(d.variables.size(), 3u);

    const SavVariable& age = d.variables[0];
    EXPECT_EQ(age.name, "AgeOfPerson");
    EXPECT_EQ(age.label, "Age in years");
    EXPECT_EQ(age.missing.format, -3);
    EXPECT_EQ(age.missing.number[0], 90);
    EXPECT_EQ(age.missing.number[2], -1);
    ASSERT_EQ(age.valueLabels.size(), 2u);
    EXPECT_EQ(age.valueLabels[1].number, 2.5);
    EXPECT_EQ(age.valueLabels[1].label, "two and a half");
    EXPECT_EQ(age.measure, 3);
    EXPECT_EQ(age.columnWidth, 10);
    EXPECT_EQ(age.alignment, 1);

    const SavVariable& city = d.variables[1];
    EXPECT_EQ(city.width, 12);
    EXPECT_EQ(city.slotCount, 2);
    EXPECT_EQ(city.label, "Woonplaats caf\u00e9");
    EXPECT_EQ(city.missing.text[0], "Gent    ");
    ASSERT_EQ(city.valueLabels.size(), 0u) << "labels of type 3 apply to short strings only";

    const SavVariable& text = d.variables[2];
    EXPECT_EQ(text.name, "LongText");
    EXPECT_EQ(text.width, 300);
    EXPECT_EQ(text.slot, 3);
    EXPECT_EQ(text.slotCount, 38);
    EXPECT_EQ(text.columnWidth, 12);

    EXPECT_EQ(d.mrSets, "$ages=C 4 ages AgeOfPerson City\n"
                        "$yes=D1 1 7 Yes \u00e9s AgeOfPerson LongText\n");
    EXPECT_EQ(d.variableSets, "People= AgeOfPerson City\r\nText= LongText\n");
}

INSTANTIATE_TEST_SUITE_P(ByteOrder, FullFile, ::testing::Values(false, true),
                         [](const auto& row) { return row.param ? "BigEndian" : "LittleEndian"; });

TEST(SavReader, LongStringLabelsAndMissingValuesInBothLayouts)
{
    for (bool oneLength : {true, false}) {
        SavBuilder b;
        b.header().string("NOTE", 20);
        const std::string name = b.i32Bytes(4) + "NOTE";
        b.text(21, name + b.i32Bytes(20) + b.i32Bytes(2) + b.i32Bytes(5) + "alpha" + b.i32Bytes(1) +
                       "A" + b.i32Bytes(20) + "beta                " + b.i32Bytes(1) + "B");
        std::string missing = name + '\2';
        if (oneLength)
            missing += b.i32Bytes(8) + "x       " + "y       ";
        else
            missing += b.i32Bytes(8) + "x       " + b.i32Bytes(8) + "y       ";
        b.text(22, missing).end();
        SavDictionary d;
        ASSERT_EQ(read(b.bytes(), d), SPSS_OK);
        const SavVariable& v = d.variables.at(0);
        ASSERT_EQ(v.valueLabels.size(), 2u);
        EXPECT_EQ(v.valueLabels[1].text, "beta");
        EXPECT_EQ(v.valueLabels[1].label, "B");
        EXPECT_EQ(v.missing.format, 2) << oneLength;
        EXPECT_EQ(v.missing.text[1], "y       ") << oneLength;
    }
}

TEST(SavReader, RecordsOfUnexpectedShapeAreSkipped)
{
    SavBuilder b;
    b.header().numeric("X");
    b.extension(3, 8, 4, std::string(32, '\1'));   // machine info with 8-byte elements
    b.extension(11, 4, 1, b.i32Bytes(2));          // display parameters of the wrong count
    b.extension(16, 4, 4, std::string(16, '\7'));  // case count with the wrong size
    b.extension(99, 1, 3, "abc");                  // a subtype we do not know
    b.text(7, "$bad=X 1 2\n$ok=C 0  X\n");          // one unparsable set definition
    b.end();
    SavDictionary d;
    ASSERT_EQ(read(b.bytes(), d), SPSS_OK);
    EXPECT_FALSE(d.hasMachineInfo);
    EXPECT_EQ(d.variables.at(0).measure, SPSS_MLVL_RAT);
    EXPECT_EQ(d.caseCount, 1);
    EXPECT_EQ(d.mrSets, "$ok=C 0  x\n");
}

struct EncodingCase {
    const char* name;
    std::string encodingRecord; // 7.20; empty: none
    int codePage;               // 7.3; 0: no machine record
    std::string label;          // bytes in the file
    std::string expected;       // UTF-8
};

class Encoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Encoding, LabelIsRecodedToUtf8)
{
    const EncodingCase& c = GetParam();
    SavBuilder b;
    b.header().numeric("X", c.label);
    if (c.codePage != 0) {
        std::string info;
        for (int v : {20, 0, 0, -1, 1, 1, 2, c.codePage})
            info += b.i32Bytes(v);
        b.extension(3, 4, 8, info);
    }
    if (!c.encodingRecord.empty())
        b.text(20, c.encodingRecord);
    b.end();
    SavDictionary d;
    ASSERT_EQ(read(b.bytes(), d), SPSS_OK);
    EXPECT_EQ(d.variables.at(0).label, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Encoding,
    ::testing::Values(
        EncodingCase{"Record20Windows1252", "windows-1252", 0, "caf\xe9 \x80", "caf\u00e9 \u20ac"},
        EncodingCase{"Record20WinsOverCodePage", "ISO-8859-15", 65001, "\xa4", "\u20ac"},
        EncodingCase{"CodePage28591", "", 28591, "\xa4", "\u00a4"},
        EncodingCase{"CodePage1251", "", 1251, "\xc4\xe0", "\u0414\u0430"},
        EncodingCase{"CodePage65001", "", 65001, "caf\xc3\xa9", "caf\u00e9"},
        EncodingCase{"AsciiCodeHoldingUtf8", "", 2, "caf\xc3\xa9", "caf\u00e9"},
        EncodingCase{"AsciiCodeHoldingAnsi", "", 2, "caf\xe9", "caf\u00e9"},
        EncodingCase{"NoRecordsAnsi", "", 0, "\x93q\x94", "\u201cq\u201d"},
        EncodingCase{"RefusedConverterFallsBack", "ISO-2022-CN-EXT", 0, "caf\xe9", "caf\u00e9"},
        EncodingCase{"BadUtf8Marked", "UTF-8", 0, "a\xff", "a\ufffd"}),
    [](const auto& row) { return std::string(row.param.name); });

// A label set listed for the same variable many times applies once; sets that
// would multiply into millions of labels give them to the variables the budget
// covers, whole, and the rest keep no labels but are there; many small sets for one
// variable all apply.
TEST(SavReader, ValueLabelSetsAreBounded)
{
    SavBuilder once;
    once.header().numeric("X");
    once.valueLabels({{once.number(1), "one"}}, std::vector<std::int32_t>(5000, 1)).end();
    SavDictionary d;
    ASSERT_EQ(read(once.bytes(), d), SPSS_OK);
    EXPECT_EQ(d.variables.at(0).valueLabels.size(), 1u);
    EXPECT_EQ(d.droppedValueLabels, 0u);

    SavBuilder many;
    many.header();
    std::vector<std::int32_t> slots;
    for (int i = 0; i < 2100; ++i) {
        many.numeric("V" + std::to_string(i));
        slots.push_back(i + 1);
    }
    std::vector<std::pair<std::string, std::string>> labels;
    for (int i = 0; i < 1000; ++i)
        labels.emplace_back(many.number(i), "l");
    many.valueLabels(labels, slots).end();
    ASSERT_EQ(read(many.bytes(), d), SPSS_OK);
    ASSERT_EQ(d.variables.size(), 2100u);
    EXPECT_EQ(d.valueLabelBudget, valueLabelBudget(many.size()));
    std::size_t labelled = 0;
    for (const SavVariable& v : d.variables) {
        EXPECT_TRUE(v.valueLabels.empty() || v.valueLabels.size() == 1000) << v.name;
        labelled += v.valueLabels.empty() ? 0 : 1;
    }
    EXPECT_GT(labelled, 0u);
    EXPECT_LT(labelled, 2100u);
    EXPECT_EQ(d.droppedValueLabels, (2100 - labelled) * 1000);
    EXPECT_LE(labelled * 1000 * (kLabelCharge + 1), d.valueLabelBudget);

    SavBuilder small;
    small.header().numeric("X");
    for (int i = 0; i < 20000; ++i)
        small.valueLabels({{small.number(i), "l"}}, {1});
    ASSERT_EQ(read(small.end().bytes(), d), SPSS_OK);
    EXPECT_EQ(d.variables.at(0).valueLabels.size(), 20000u);
}

// A value labelled twice, within a set or by two sets, keeps its first place and
// takes the last label; string values that are equal once cut to the width count as one.
using Labels = std::vector<std::pair<std::string, std::string>>; // value text or number, label

struct FoldCase {
    const char* name;
    int width; // 0 numeric
    std::vector<Labels> sets;
    Labels expected;
};

class LabelFolding : public ::testing::TestWithParam<FoldCase> {};

TEST_P(LabelFolding, KeepsFirstPlaceAndLastLabel)
{
    const FoldCase& c = GetParam();
    SavBuilder b;
    b.header();
    if (c.width == 0)
        b.numeric("X");
    else
        b.string("X", c.width);
    for (const Labels& set : c.sets) {
        Labels labels;
        for (const auto& [value, label] : set)
            labels.emplace_back(c.width == 0 ? b.number(std::stod(value)) : value, label);
        b.valueLabels(labels, {1});
    }
    SavDictionary d;
    ASSERT_EQ(read(b.end().bytes(), d), SPSS_OK);
    Labels got;
    for (const SavValueLabel& label : d.variables.at(0).valueLabels)
        got.emplace_back(c.width == 0 ? std::to_string(int(label.number)) : std::string(label.text),
                         std::string(label.label));
    EXPECT_EQ(got, c.expected);
}

// Labels of the values from .. to - 1, each the prefix and its value.
Labels numbered(int from, int to, const std::string& prefix)
{
    Labels labels;
    for (int k = from; k < to; ++k)
        labels.emplace_back(std::to_string(k), prefix + std::to_string(k));
    return labels;
}

Labels joined(Labels a, const Labels& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Sets, LabelFolding,
    ::testing::Values(
        FoldCase{"InOneSet", 0, {{{"1", "a"}, {"2", "b"}, {"1", "c"}}}, {{"1", "c"}, {"2", "b"}}},
        FoldCase{"InOneLargeSet", 0, {joined(numbered(0, 30, "x"), numbered(10, 40, "y"))},
                 joined(numbered(0, 10, "x"), numbered(10, 40, "y"))},
        FoldCase{"AcrossLargeSets", 0, {numbered(0, 20, "x"), numbered(5, 25, "y")},
                 joined(numbered(0, 5, "x"), numbered(5, 25, "y"))},
        FoldCase{"StringsCutToWidth", 2, {{{"ab1", "a"}, {"ab2", "b"}, {"c", "c"}}},
                 {{"ab", "b"}, {"c", "c"}}}),
    [](const auto& row) { return std::string(row.param.name); });

// One label set naming several variables gives each of them the same labels.
TEST(SavReader, SharedLabelSetAppliesToEachVariable)
{
    SavBuilder b;
    b.header().numeric("A").numeric("B").numeric("C");
    b.valueLabels({{b.number(1), "  yes"}, {b.number(0), "no"}}, {1, 3}).end();
    SavDictionary d;
    ASSERT_EQ(read(b.bytes(), d), SPSS_OK);
    for (const std::size_t i : {std::size_t(0), std::size_t(2)}) {
        const SavVariable& v = d.variables.at(i);
        ASSERT_EQ(v.valueLabels.size(), 2u) << v.name;
        EXPECT_EQ(v.valueLabels[0].number, 1);
        EXPECT_EQ(v.valueLabels[0].label, "yes") << v.name;
        EXPECT_EQ(v.valueLabels[1].label, "no") << v.name;
    }
    EXPECT_TRUE(d.variables.at(1).valueLabels.empty());
}

struct Broken {
    const char* name;
    std::string bytes;
    int expected;
};

std::vector<Broken> brokenFiles()
{
    const std::string header = SavBuilder().header().bytes();
    const std::string var = SavBuilder().numeric("X").bytes();
    auto with = [&](const std::string& tail) { return header + var + tail; };
    SavBuilder b;
    std::string badLayout = header;
    badLayout[64] = 9;
    return {
        {"Empty", "", SPSS_INVALID_FILE},
        {"WrongMagic", "$FL9" + header.substr(4) + var, SPSS_INVALID_FILE},
        {"Encrypted", "ENCRYPTEDSAV" + std::string(200, '\0'), SPSS_INVALID_FILE},
        {"HeaderCut", header.substr(0, 100), SPSS_FILE_RERROR},
        {"BadLayoutCode", badLayout + var, SPSS_INVALID_FILE},
        {"NoVariables", header, SPSS_NO_TYPE2},
        {"NoVariablesBefore999", header + b.i32Bytes(999) + b.i32Bytes(0), SPSS_NO_TYPE2},
        {"No999", with(""), SPSS_NO_TYPE999},
        {"VariableCut", header + var.substr(0, 20), SPSS_FILE_RERROR},
        {"UnknownRecordType", with(b.i32Bytes(5)), SPSS_INVALID_FILE},
        {"ContinuationFirst",
         header + SavBuilder().i32(2).i32(-1).i32(0).i32(0).i32(0).i32(0).bytes() + "        ",
         SPSS_INVALID_FILE},
        {"VariableTypeTooWide", header + SavBuilder().i32(2).i32(256).bytes() + std::string(24, '\0'),
         SPSS_INVALID_FILE},
        {"MissingCountFive", header + SavBuilder().i32(2).i32(0).i32(0).i32(5).bytes() +
                                 std::string(16, '\0'), SPSS_INVALID_FILE},
        {"LabelPastEnd", header + SavBuilder().i32(2).i32(0).i32(1).i32(0).i32(0).i32(0).bytes() +
                             "X       " + b.i32Bytes(0x7fffffff), SPSS_FILE_RERROR},
        {"ValueLabelCountHuge", with(b.i32Bytes(3) + b.i32Bytes(0x7fffffff)), SPSS_FILE_RERROR},
        {"ValueLabelsWithoutType4", with(b.i32Bytes(3) + b.i32Bytes(1) + std::string(8, 'a') + std::string(8, '\0') +
                                         b.i32Bytes(999) + b.i32Bytes(0)), SPSS_INVALID_FILE},
        {"Type4CountHuge", with(b.i32Bytes(3) + b.i32Bytes(0) + b.i32Bytes(4) + b.i32Bytes(0x40000000)),
         SPSS_FILE_RERROR},
        {"DocumentsHuge", with(b.i32Bytes(6) + b.i32Bytes(0x7fffffff)), SPSS_FILE_RERROR},
        {"TenGigabyteExtension", with(b.i32Bytes(7) + b.i32Bytes(21) + b.i32Bytes(0x10000) +
                                      b.i32Bytes(0x28000)), SPSS_FILE_RERROR},
        {"NegativeExtensionCount", with(b.i32Bytes(7) + b.i32Bytes(5) + b.i32Bytes(1) +
                                        b.i32Bytes(-1)), SPSS_INVALID_FILE},
    };
}

class BrokenFile : public ::testing::TestWithParam<Broken> {};

TEST_P(BrokenFile, FailsWithResultCode)
{
    SavDictionary d;
    EXPECT_EQ(read(GetParam().bytes, d), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenFile, ::testing::ValuesIn(brokenFiles()),
                         [](const auto& row) { return std::string(row.param.name); });

// Every cut of a valid file must fail cleanly: at a record boundary with the
// missing-record codes, inside a record with a read error.
TEST(SavReader, EveryTruncationFailsCleanly)
{
    for (bool big : {false, true}) {
        const std::string bytes = fullFile(big).bytes();
        std::set<int> codes;
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            SavDictionary d;
            const int rc = read(bytes.substr(0, n), d);
            codes.insert(rc);
            ASSERT_GT(rc, 0) << "cut at " << n;
        }
        EXPECT_EQ(codes, (std::set<int>{SPSS_FILE_RERROR, SPSS_INVALID_FILE, SPSS_NO_TYPE2,
                                        SPSS_NO_TYPE999}));
    }
}


// Names equal but for case: lookups keep answering with the earlier variable, whatever
// was asked just before (the reader remembers its last answer).
TEST(SavDictionaryFind, RepeatedLookupsKeepTheEarlierOfCaseEqualNames)
{
    SavDictionary dict;
    for (const char* name : {"abc", "ABC", "other"}) {
        SavVariable v;
        v.name = name;
        dict.variables.push_back(v);
    }
    dict.rebuildIndex();
    const std::pair<const char*, int> lookups[] = {{"ABC", 0},   {"abc", 0},    {"ABC", 0},
                                                   {"other", 2}, {"ABC", 0},    {"Abc", 0},
                                                   {"nosuch", -1}, {"ABC", 0}};
    for (const auto& [query, index] : lookups)
        EXPECT_EQ(dict.find(query), index) << query;
}


// A file is read through a window of about a megabyte: records that straddle its end,
// and a record larger than the whole window, must come out as they do from memory.
TEST(SavReaderFile, WindowedReadingEqualsReadingFromMemory)
{
    SavBuilder b;
    b.header(7);
    std::string longNames, setMembers;
    for (int i = 0; i < 30000; ++i) {
        const std::string name = "V" + std::to_string(i);
        b.numeric(name, "Label of " + name + std::string(std::size_t(i % 70), '.'));
        if (i % 50 == 0)
            b.valueLabels({{b.number(1), "one " + name}, {b.number(2), "two"}}, {i + 1});
        longNames += (i ? "\t" : "") + name + "=Long_" + name;
        setMembers += " Long_" + name;
    }
    b.text(13, longNames);
    b.text(5, "All=" + setMembers + "\n");
    b.text(10, std::string(std::size_t(3) << 20, 'i')); // three windows in one record
    const std::string bytes = b.end().bytes();
    ASSERT_GT(bytes.size(), std::size_t(5) << 20);

    qs::test::TempDir dir;
    const auto path = dir / "window.sav";
    qs::test::WriteFileBytes(path, bytes);
    SavDictionary fromMemory;
    ASSERT_EQ(read(bytes, fromMemory), SPSS_OK);
    // A window of an odd few hundred bytes puts its end inside every kind of record.
    setReadWindow(333);
    SavDictionary smallWindow;
    const int smallResult = readSavFile(qs::test::Utf8Path(path).c_str(), smallWindow);
    setReadWindow(0);
    ASSERT_EQ(smallResult, SPSS_OK);
    SavDictionary fromFile;
    ASSERT_EQ(readSavFile(qs::test::Utf8Path(path).c_str(), fromFile), SPSS_OK);
    ASSERT_EQ(smallWindow.variables.size(), fromMemory.variables.size());
    for (std::size_t i = 0; i < smallWindow.variables.size(); i += 7) {
        ASSERT_EQ(smallWindow.variables[i].label, fromMemory.variables[i].label);
        ASSERT_EQ(smallWindow.variables[i].valueLabels.size(),
                  fromMemory.variables[i].valueLabels.size());
    }
    EXPECT_EQ(smallWindow.textInfo, fromMemory.textInfo);
    ASSERT_EQ(fromFile.variables.size(), 30000u);
    ASSERT_EQ(fromFile.variables.size(), fromMemory.variables.size());
    for (std::size_t i = 0; i < fromFile.variables.size(); ++i) {
        const SavVariable& f = fromFile.variables[i];
        const SavVariable& m = fromMemory.variables[i];
        ASSERT_EQ(f.name, "Long_V" + std::to_string(i));
        ASSERT_EQ(f.name, m.name);
        ASSERT_EQ(f.label, m.label);
        ASSERT_EQ(f.valueLabels.size(), m.valueLabels.size()) << f.name;
        for (std::size_t k = 0; k < f.valueLabels.size(); ++k)
            ASSERT_EQ(f.valueLabels[k].label, m.valueLabels[k].label);
    }
    EXPECT_EQ(fromFile.variables[29999].label, "Label of V29999" + std::string(29999 % 70, '.'));
    EXPECT_EQ(fromFile.variables[100].valueLabels[0].label, "one V100");
    EXPECT_EQ(fromFile.textInfo.size(), std::size_t(3) << 20);
    EXPECT_EQ(fromFile.variableSets, fromMemory.variableSets);
    EXPECT_EQ(fromFile.find("long_v12345"), 12345);

    // Cut at and around window ends: the file gives what memory gives.
    for (const std::size_t cut : {std::size_t(1) << 20, (std::size_t(1) << 20) + 3,
                                  (std::size_t(2) << 20) - 1, bytes.size() - 5}) {
        qs::test::WriteFileBytes(path, bytes.substr(0, cut));
        SavDictionary a, c;
        EXPECT_EQ(readSavFile(qs::test::Utf8Path(path).c_str(), a), read(bytes.substr(0, cut), c)) << cut;
    }
}

// The name index gives each name (ASCII case ignored) to its first variable, whatever
// the order of lookups, and grows past its first size without losing names.
TEST(NameIndex, FirstOfCaseEqualNamesWinsAcrossGrowth)
{
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i)
        names.push_back((i % 3 == 0 ? "Item" : "item") + std::to_string(i % 4000));
    const auto keyOf = [&](std::int32_t i) { return std::string_view(names[std::size_t(i)]); };
    NameIndex index;
    std::map<std::string, int> expected;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool added = index.insert(names[i], static_cast<std::int32_t>(i), keyOf);
        EXPECT_EQ(added, expected.emplace(foldName(names[i]), int(i)).second) << names[i];
    }
    for (const auto& [folded, position] : expected) {
        ASSERT_EQ(index.find(folded, keyOf), position) << folded;
        std::string lower = folded;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        ASSERT_EQ(index.find(lower, keyOf), position) << lower;
    }
    EXPECT_EQ(index.find("item4000", keyOf), -1);
    EXPECT_EQ(index.find("", keyOf), -1);
}

// Names that an unseeded hash sends to one slot made every insert walk all the names
// before it: a file of such names took seconds to open. A random placement of 4,096
// names in 8,192 slots has a longest probe of about 20, and of over 128 almost never.
TEST(NameIndex, NamesCraftedToCollideKeepProbesShort)
{
    const std::vector<std::string> names =
        qs::test::FnvCollidingNames(4096, 8, 20, qs::test::kFnv1a32, 1);
    const auto keyOf = [&](std::int32_t i) { return std::string_view(names[std::size_t(i)]); };
    constexpr std::size_t kLongestProbe = 128;
    NameIndex index;
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(index.insert(names[i], static_cast<std::int32_t>(i), keyOf)) << names[i];
    EXPECT_LE(index.longestProbe(), kLongestProbe);
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_EQ(index.find(foldName(names[i]), keyOf), static_cast<std::int32_t>(i));
}

} // namespace
} // namespace qs::spssio::test
