// Tests of the language element source: the definition file format, the file that the
// build puts beside the program, and the fallback to the built-in vocabulary.
#include "highlight/CommaText.h"
#include "highlight/LanguageElements.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qs {
namespace {

TEST(LanguageDefinition, SectionsFillTheirListsInOrder) {
    auto elements = ParseLanguageDefinition("[1 Commands]\nGET,SAVE\n\n"
                                            "[6 TwoWordCommands]\r\n\"DO IF\",\r\n\"END IF\"\r\n"
                                            "[10 SystemVariables]\nCASENUM\n");
    ASSERT_TRUE(elements);
    EXPECT_EQ(ParseCommaText((*elements)[ElementList::Commands]),
              (std::vector<std::string>{"GET", "SAVE"}));
    EXPECT_EQ(ParseCommaText((*elements)[ElementList::TwoWordCommands]),
              (std::vector<std::string>{"DO IF", "END IF"}));
    EXPECT_EQ(ParseCommaText((*elements)[ElementList::SystemVariables]),
              (std::vector<std::string>{"CASENUM"}));
    EXPECT_TRUE((*elements)[ElementList::Functions].empty());
}

struct BadDefinition {
    const char* name;
    std::string text;
};

class LanguageDefinitionRejects : public ::testing::TestWithParam<BadDefinition> {};

TEST_P(LanguageDefinitionRejects, WithAReason) {
    std::string error;
    EXPECT_FALSE(ParseLanguageDefinition(GetParam().text, &error));
    EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LanguageDefinitionRejects,
    ::testing::Values(BadDefinition{"Empty", ""},
                      BadDefinition{"TextBeforeFirstSection", "GET\n[1 Commands]\nSAVE\n"},
                      BadDefinition{"WrongNameForNumber", "[2 Commands]\nGET\n"},
                      BadDefinition{"NumberOutOfRange", "[11 Commands]\nGET\n"},
                      BadDefinition{"RepeatedSection", "[1 Commands]\nA\n[1 Commands]\nB\n"},
                      BadDefinition{"BinaryData", std::string("MZ\0\0[1 Commands]\n", 18)},
                      BadDefinition{"NoCommands", "[1 Commands]\n , \n[2 Functions]\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LanguageDefinition, BuiltinVocabularyHasEveryList) {
    const LanguageElements& builtin = BuiltinLanguageElements();
    for (size_t i = 0; i < kElementListCount; ++i) {
        EXPECT_FALSE(ParseCommaText(builtin.texts[i]).empty())
            << ElementListName(static_cast<ElementList>(i));
    }
}

TEST(LanguageDefinition, FileBesideProgramMatchesBuiltin) {
    auto file = ReadLanguageDefinition(std::filesystem::path(QS_BIN_DIR) / "lngpck.dll");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->texts, BuiltinLanguageElements().texts);
}

TEST(LanguageDefinition, MissingFileFallsBackToBuiltinAndSaysSo) {
    test::TempDir dir;
    std::ostringstream diagnostics;
    LanguageElements elements = LoadLanguageElements(dir / "lngpck.dll", diagnostics);
    EXPECT_EQ(elements.texts, BuiltinLanguageElements().texts);
    EXPECT_NE(diagnostics.str().find("lngpck.dll"), std::string::npos);
}

TEST(LanguageDefinition, UnreadableFileFallsBackToBuiltin) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "lngpck.dll", std::string("MZ\x90\0\x03\0", 6));
    std::ostringstream diagnostics;
    EXPECT_EQ(LoadLanguageElements(dir / "lngpck.dll", diagnostics).texts,
              BuiltinLanguageElements().texts);
    EXPECT_FALSE(diagnostics.str().empty());
}

TEST(LanguageDefinition, ReadableFileIsUsedSilently) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "lngpck.dll", "[1 Commands]\nONLYTHIS\n");
    std::ostringstream diagnostics;
    LanguageElements elements = LoadLanguageElements(dir / "lngpck.dll", diagnostics);
    EXPECT_EQ(elements[ElementList::Commands], "ONLYTHIS");
    EXPECT_TRUE(elements[ElementList::Keywords].empty());
    EXPECT_TRUE(diagnostics.str().empty());
}

// The user's imported file, when it reads, before the one beside the program.
struct UserFileCase {
    const char* name;
    const char* bytes; // nullptr: no user file
    const char* firstCommand; // nullptr: the built-in vocabulary's
    bool reported;
};

class UserDefinition : public ::testing::TestWithParam<UserFileCase> {};

TEST_P(UserDefinition, ComesBeforeTheProgramsOwn) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the import replaces the program's own file";
#endif
    test::TempDir config;
    test::ScopedEnv env("XDG_CONFIG_HOME", config.path().string());
    std::filesystem::create_directory(config / "quillstone");
    if (GetParam().bytes) {
        test::WriteFileBytes(config / "quillstone" / "lngpck.dll", GetParam().bytes);
    }
    EXPECT_EQ(UserLanguageDefinitionPath(), config / "quillstone" / "lngpck.dll");
    std::ostringstream diagnostics;
    const auto commands = ParseCommaText(LoadLanguageElements(diagnostics)[ElementList::Commands]);
    const auto builtin = ParseCommaText(BuiltinLanguageElements()[ElementList::Commands]);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), GetParam().firstCommand ? GetParam().firstCommand : builtin[0]);
    EXPECT_EQ(!diagnostics.str().empty(), GetParam().reported) << diagnostics.str();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UserDefinition,
    ::testing::Values(
        UserFileCase{"Imported", "[1 Commands]\nONLYTHIS\n", "ONLYTHIS", false},
        UserFileCase{"NoneImported", nullptr, nullptr, false},
        UserFileCase{"ImportedWithoutCommands", "[1 Commands]\n", nullptr, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LanguageDefinition, GetLanguageElementsFillsTenTexts) {
    std::array<std::string, kElementListCount> t;
    GetLanguageElements(t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9]);
    // The test binary has no lngpck.dll beside it unless the build put one there; either
    // way the texts are the default vocabulary.
    EXPECT_EQ(t, BuiltinLanguageElements().texts);
}

} // namespace
} // namespace qs
