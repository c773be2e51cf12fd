#include "engine/SyntaxCommands.h"

#include <gtest/gtest.h>

namespace qs::engine {
namespace {

struct ChangeCase {
    const char* name;
    const char* command;
    DatasetChange::Kind kind;
    const char* path;
    SyntaxMode syntax = SyntaxMode::Batch; // how an included file is read
};

class DatasetChangeTest : public testing::TestWithParam<ChangeCase> {};

TEST_P(DatasetChangeTest, ReadsTheEffect) {
    const DatasetChange change = DatasetChangeOf(GetParam().command);
    EXPECT_EQ(change.kind, GetParam().kind);
    EXPECT_EQ(change.path, GetParam().path);
    EXPECT_EQ(change.syntax, GetParam().syntax);
}

using K = DatasetChange::Kind;
INSTANTIATE_TEST_SUITE_P(
    Commands, DatasetChangeTest,
    testing::Values(
        ChangeCase{"GetFileSingleQuotes", "GET FILE='/data/a.sav'.", K::Opened, "/data/a.sav"},
        ChangeCase{"GetFileDoubleQuotesLowerCase", "get file = \"b.sav\"\n /keep=x.", K::Opened,
                   "b.sav"},
        ChangeCase{"GetWithoutFileKeyword", "GET 'c.sav'.", K::Opened, "c.sav"},
        ChangeCase{"DoubledQuote", "GET FILE='it''s.sav'.", K::Opened, "it's.sav"},
        ChangeCase{"FileOnNextLine", "GET\n  FILE=\n  'd.sav'.", K::Opened, "d.sav"},
        ChangeCase{"GetData", "GET DATA /TYPE=TXT /FILE='x.csv'.", K::Replaced, ""},
        ChangeCase{"GetFileHandle", "GET FILE=myhandle.", K::Replaced, ""},
        ChangeCase{"DataList", "DATA LIST FREE /x.", K::Replaced, ""},
        ChangeCase{"ShortenedNewFile", "new fil.", K::Replaced, ""},
        ChangeCase{"InputProgram", "INPUT PROGRAM.", K::Replaced, ""},
        ChangeCase{"MatchFiles", "MATCH FILES /FILE=* /FILE='b.sav' /BY id.", K::Replaced, ""},
        ChangeCase{"AggregateReplaces", "AGGREGATE OUTFILE = * /BREAK=g /n=N.", K::Replaced, ""},
        ChangeCase{"AggregateAddsVariables",
                   "AGGREGATE OUTFILE=* MODE=ADDVARIABLES /BREAK=g /n=N.", K::None, ""},
        ChangeCase{"DatasetActivate", "DATASET ACTIVATE other.", K::Replaced, ""},
        ChangeCase{"DatasetNameKeeps", "DATASET NAME first.", K::None, ""},
        ChangeCase{"IncludeFile", "INCLUDE FILE=\"/tmp/x.sps\".", K::Included, "/tmp/x.sps"},
        ChangeCase{"InsertFile", "INSERT FILE='y.sps' SYNTAX=BATCH.", K::Included, "y.sps"},
        ChangeCase{"InsertInteractive", "INSERT FILE='z.sps' ENCODING='UTF-8' /SYNTAX = INTER.",
                   K::Included, "z.sps", SyntaxMode::Interactive},
        ChangeCase{"SignBeforeCommand", "-GET FILE='f.sav'.", K::Opened, "f.sav"},
        ChangeCase{"Procedure", "FREQUENCIES x.", K::None, ""},
        ChangeCase{"SaveKeepsPath", "SAVE OUTFILE='e.sav'.", K::None, ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SyntaxCommands, OpenBlockIsTheInnermostLeftOpen) {
    const std::pair<const char*, const char*> rows[] = {
        {"DO IF x > 1.\nCOMPUTE y = 1.", "DO IF"},
        {"\n\n   do   if x.\nEND IF.", ""},
        {"INPUT PROGRAM.\nLOOP #i = 1 TO 3.\nEND CASE.\nEND LOOP.", "INPUT PROGRAM"},
        {"DO REPEAT v = a b.\nLOOP.", "DO REPEAT"},
        {"DO REPEAT v = a b.\nLOOP.\nEND REPEAT.\nDO IF x.", "DO IF"},
        {"LOOPY = 1.\nFREQUENCIES x.", ""},
    };
    for (const auto& [text, block] : rows) {
        EXPECT_EQ(OpenBlockOf(text), block) << text;
    }
}

} // namespace
} // namespace qs::engine
