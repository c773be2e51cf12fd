// Starting programs with argument lists, checked through a child that reports what it
// received: on Windows this is the command line's quoting and its reading by the child.
#include "platform/shell/Shell.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#define QS_EXE ".exe"
#else
#define QS_EXE ""
#endif

namespace qs {
namespace {

const std::string kEcho = std::string(QS_BIN_DIR) + "/qs_echo_args" QS_EXE;

std::string Joined(const std::vector<std::string>& arguments) {
    std::string out;
    for (const std::string& a : arguments) {
        out += a;
        out += '\0';
    }
    return out;
}

struct ArgumentsRow {
    const char* label;
    std::vector<std::string> arguments;
};

class ArgumentsArriveVerbatim : public ::testing::TestWithParam<ArgumentsRow> {};

TEST_P(ArgumentsArriveVerbatim, ThroughReadProgramOutput) {
    const auto& arguments = GetParam().arguments;
    EXPECT_EQ(ReadProgramOutput(kEcho, arguments), std::optional<std::string>(Joined(arguments)));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ArgumentsArriveVerbatim,
    ::testing::Values(
        ArgumentsRow{"None", {}},
        ArgumentsRow{"Plain", {"/REOPEN", "file.sps"}},
        ArgumentsRow{"Blanks", {"C:\\Program Files\\x y.sps", "a\tb", " "}},
        ArgumentsRow{"Empty", {"", "x", ""}},
        ArgumentsRow{"Quotes", {"\"", "a\"b", "\"quoted\"", "say \"hi\""}},
        ArgumentsRow{"BackslashesBeforeQuotes", {"a\\\"b", "a\\\\\"b", "\\\"", "x \\\\\" y"}},
        ArgumentsRow{"TrailingBackslashes", {"C:\\dir\\", "C:\\my dir\\", "a b\\\\", "\\"}},
        ArgumentsRow{"BackslashesElsewhere", {"\\\\server\\share", "a\\\\b c"}},
        ArgumentsRow{"NonAscii", {"Grüße.sps", "東京 データ.sps", "🙂"}},
        ArgumentsRow{"ShellCharacters", {"$(touch x)", "; x", "%PATH%", "a & b | c ^ d"}}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(StartProgram, StartsTheChildWithItsArguments) {
    test::TempDir dir;
    const std::filesystem::path out = dir / "args.bin";
    const std::vector<std::string> arguments = {"C:\\a b\\\"q\".sps", "tail\\", "Ärger"};
    std::vector<std::string> call = {"--to", out.string()};
    call.insert(call.end(), arguments.begin(), arguments.end());
    const StartResult r = StartProgram(kEcho, call);
    ASSERT_TRUE(r.ok) << r.error;
    // The child runs on its own: the file may be there before all of it is written.
    for (int i = 0; i < 1000 && test::ReadFileBytes(out) != Joined(arguments); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(test::ReadFileBytes(out), Joined(arguments));
}

TEST(StartProgram, AMissingProgramIsReported) {
    const StartResult r = StartProgram(std::string(QS_BIN_DIR) + "/no-such-program" QS_EXE, {});
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(ReadProgramOutput(std::string(QS_BIN_DIR) + "/no-such-program" QS_EXE, {}),
              std::nullopt);
}

TEST(CreateTempFile, MakesANewEmptyFileEachTime) {
    const TempFileResult a = CreateTempFile("Qsxyz");
    const TempFileResult b = CreateTempFile("Qsxyz");
    ASSERT_FALSE(a.path.empty()) << a.message;
    ASSERT_FALSE(b.path.empty()) << b.message;
    const std::filesystem::path pa(a.path);
    EXPECT_NE(a.path, b.path);
    EXPECT_EQ(pa.filename().string().substr(0, 3), "Qsx");
    EXPECT_EQ(pa.extension(), ".TMP");
    EXPECT_EQ(std::filesystem::file_size(pa), 0u);
    std::filesystem::remove(pa);
    std::filesystem::remove(b.path);
}

TEST(ProgramFilePath, NamesThisTestProgram) {
    EXPECT_EQ(std::filesystem::path(ProgramFilePath()).stem(), "shell_args_test");
}

TEST(WindowsShell, FindProgramLooksAlongThePathForNameDotExe) {
#ifdef _WIN32
    const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
    const std::string bin = std::filesystem::path(QS_BIN_DIR).make_preferred().string();
    _putenv_s("PATH", ("C:\\no-such-folder;;" + bin).c_str());
    const std::string found = FindProgram("qs_echo_args");
    const std::string missing = FindProgram("no-such-program");
    const std::string withFolder = FindProgram("bin\\qs_echo_args");
    _putenv_s("PATH", saved.c_str());
    EXPECT_TRUE(std::filesystem::equivalent(found, kEcho)) << found;
    EXPECT_EQ(missing, "");
    EXPECT_EQ(withFolder, "");
#else
    GTEST_SKIP() << "the Windows search rules; Linux's are checked in shell_test";
#endif
}

TEST(WindowsShell, PersonalFolderIsTheUsersDocumentsFolder) {
#ifdef _WIN32
    const std::string folder = GetPersonalFolder();
    EXPECT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
#else
    GTEST_SKIP() << "the Windows known folder; Linux's rules are checked in shell_test";
#endif
}

} // namespace
} // namespace qs
