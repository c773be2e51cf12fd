// Syntax files go back to disk byte for byte but for their line ends, and a failed save
// leaves the old file whole.
#include "app/SyntaxFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qs {
namespace {

struct RoundTrip {
    const char* name;
    std::string file;      // bytes on disk
    TextEncoding encoding; // what reading finds
    std::string saved;     // what writing the unchanged text gives
};

void PrintTo(const RoundTrip& row, std::ostream* os) {
    *os << row.name;
}

class SyntaxFileRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SyntaxFileRoundTrip, ChangesNothingButLineEnds) {
    const RoundTrip& row = GetParam();
    const SyntaxFileText read = DecodeSyntaxFile(row.file);
    EXPECT_EQ(read.encoding, row.encoding);
    const EncodeResult written = EncodeSyntaxFile(read.text, read.encoding);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_EQ(written.bytes, row.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SyntaxFileRoundTrip,
    ::testing::Values(
        RoundTrip{"Ascii", "GET FILE='a.sav'.\r\nLIST.\r\n", TextEncoding::Utf8,
                  "GET FILE='a.sav'.\r\nLIST.\r\n"},
        RoundTrip{"Utf8", "TITLE 'Gr\xC3\xB6\xC3\x9F\x65 \xE2\x82\xAC'.\r\n", TextEncoding::Utf8,
                  "TITLE 'Gr\xC3\xB6\xC3\x9F\x65 \xE2\x82\xAC'.\r\n"},
        RoundTrip{"Utf8WithMark", "\xEF\xBB\xBF* caf\xC3\xA9.\r\n", TextEncoding::Utf8Bom,
                  "\xEF\xBB\xBF* caf\xC3\xA9.\r\n"},
        RoundTrip{"Latin1Bytes", "* caf\xE9 \x80 \x81\x8D\x8F\x90\x9D \xFF.\r\n",
                  TextEncoding::SingleByte, "* caf\xE9 \x80 \x81\x8D\x8F\x90\x9D \xFF.\r\n"},
        RoundTrip{"MixedLineEnds", "a\nb\r\nc\rd\r\n", TextEncoding::Utf8, "a\r\nb\r\nc\r\nd\r\n"},
        RoundTrip{"LastLineWithoutBreak", "a\r\nb", TextEncoding::Utf8, "a\r\nb\r\n"},
        RoundTrip{"EmptyLinesKept", "\r\n\r\na\r\n\r\n", TextEncoding::Utf8, "\r\n\r\na\r\n\r\n"},
        RoundTrip{"Empty", "", TextEncoding::Utf8, ""},
        RoundTrip{"NulBytesKept", std::string("a\0b\r\n", 5), TextEncoding::Utf8,
                  std::string("a\0b\r\n", 5)},
        RoundTrip{"TruncatedUtf8IsSingleByte", "x \xC3", TextEncoding::SingleByte, "x \xC3\r\n"},
        RoundTrip{"MarkBeforeBadBytes", "\xEF\xBB\xBF\xE9", TextEncoding::SingleByte,
                  "\xEF\xBB\xBF\xE9\r\n"}),
    [](const testing::TestParamInfo<RoundTrip>& row) { return std::string(row.param.name); });

TEST(SyntaxFileEncoding, TextTheCodePageCannotHoldIsRefused) {
    const EncodeResult written =
        EncodeSyntaxFile("ok\r\n\xE4\xB8\xAD\r\n", TextEncoding::SingleByte);
    EXPECT_FALSE(written.ok);
    EXPECT_NE(written.error.find("line 2"), std::string::npos) << written.error;
    // Windows-1252 letters typed into such a file are fine.
    EXPECT_EQ(EncodeSyntaxFile("\xE2\x82\xAC \xC3\xA9", TextEncoding::SingleByte).bytes,
              "\x80 \xE9\r\n");
}

TEST(SyntaxFileWrite, ReplacesAtomicallyAndKeepsPermissions) {
    test::TempDir dir;
    const auto path = dir / "job.sps";
    test::WriteFileBytes(path, "old\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const FileResult result = WriteFileAtomically(path.string(), "new\r\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(test::ReadFileBytes(path), "new\r\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left
}

TEST(SyntaxFileWrite, FollowsASymbolicLinkInsteadOfReplacingIt) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "real.sps", "old\r\n");
    std::filesystem::create_symlink(dir / "real.sps", dir / "link.sps");
    ASSERT_TRUE(WriteFileAtomically((dir / "link.sps").string(), "new\r\n").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.sps"));
    EXPECT_EQ(test::ReadFileBytes(dir / "real.sps"), "new\r\n");
}

TEST(SyntaxFileWrite, AFailedWriteLeavesTheOldFileWhole) {
    test::TempDir dir;
    const auto path = dir / "job.sps";
    test::WriteFileBytes(path, "old\r\n");
    // The folder does not exist: nothing can be written, nothing is touched.
    const FileResult missing = WriteFileAtomically((dir / "no" / "job.sps").string(), "x");
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.empty());
    // A full disk: the size limit stops the write half way.
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(WriteFileAtomically(path.string(), std::string(100000, 'x')).ok ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(test::ReadFileBytes(path), "old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(SyntaxFileLines, SplitLikeTheEditorCountsThem) {
    std::vector<std::string> lines;
    ForEachLine("a\r\n\nb\rc", [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "c"}));
}

} // namespace
} // namespace qs
