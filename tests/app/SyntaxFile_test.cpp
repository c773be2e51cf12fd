// Syntax files go back to disk byte for byte but for their line ends; a save keeps the old
// file's owner, mode, attributes and links, and a failed one leaves the old file whole.
#include "app/SyntaxFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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

constexpr uid_t kNobody = 65534;

struct stat StatOf(const std::filesystem::path& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

std::ptrdiff_t EntriesIn(const test::TempDir& dir) {
    return std::distance(std::filesystem::directory_iterator(dir.path()),
                         std::filesystem::directory_iterator());
}

// Waits for a forked child; true when it exited with 0.
bool ChildSucceeded(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A full disk, played by a file size limit that stops a write after 1024 bytes.
bool SavedUnderSizeLimit(const std::filesystem::path& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(SaveFileContents(path.string(), std::string(100000, 'x')).ok ? 0 : 1);
    }
    return ChildSucceeded(pid);
}

TEST(SyntaxFileWrite, ReplacesAtomicallyKeepingModeOwnerAndAttributes) {
    test::TempDir dir;
    const auto path = dir / "job.sps";
    test::WriteFileBytes(path, "old\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    if (geteuid() == 0) { // only root can give a file away
        ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
    }
    const bool xattrs = setxattr(path.c_str(), "user.origin", "kept", 4, 0) == 0;
    ASSERT_TRUE(xattrs || errno == ENOTSUP) << std::strerror(errno);
    const struct stat before = StatOf(path);
    const FileResult result = SaveFileContents(path.string(), "new\r\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(test::ReadFileBytes(path), "new\r\n");
    const struct stat after = StatOf(path);
    EXPECT_NE(after.st_ino, before.st_ino); // replaced, not overwritten
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(EntriesIn(dir), 1); // no temporary file left
    if (!xattrs) {
        GTEST_SKIP() << "this file system keeps no user attributes";
    }
    char value[16] = {};
    EXPECT_EQ(getxattr(path.c_str(), "user.origin", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
}

TEST(SyntaxFileWrite, FollowsASymbolicLinkInsteadOfReplacingIt) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "real.sps", "old\r\n");
    std::filesystem::create_symlink(dir / "real.sps", dir / "link.sps");
    ASSERT_TRUE(SaveFileContents((dir / "link.sps").string(), "new\r\n").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.sps"));
    EXPECT_EQ(test::ReadFileBytes(dir / "real.sps"), "new\r\n");
    // A link to a file not there yet creates that file.
    std::filesystem::create_symlink("later.sps", dir / "dangling.sps");
    ASSERT_TRUE(SaveFileContents((dir / "dangling.sps").string(), "x\r\n").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling.sps"));
    EXPECT_EQ(test::ReadFileBytes(dir / "later.sps"), "x\r\n");
}

TEST(SyntaxFileWrite, AFailedWriteLeavesTheOldFileWhole) {
    test::TempDir dir;
    const auto path = dir / "job.sps";
    test::WriteFileBytes(path, "old\r\n");
    // The folder does not exist: nothing can be written, nothing is touched.
    const FileResult missing = SaveFileContents((dir / "no" / "job.sps").string(), "x");
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.empty());
    EXPECT_FALSE(SavedUnderSizeLimit(path));
    EXPECT_EQ(test::ReadFileBytes(path), "old\r\n");
    EXPECT_EQ(EntriesIn(dir), 1);
    // Written in place, the text beyond the old end goes first and fails first.
    std::filesystem::create_hard_link(path, dir / "other.sps");
    EXPECT_FALSE(SavedUnderSizeLimit(path));
    EXPECT_EQ(test::ReadFileBytes(path), "old\r\n");
}

struct InPlaceCase {
    const char* name;
    mode_t folderMode;
    bool fileOwnedByRoot; // which the saving user cannot give a new file
};

void PrintTo(const InPlaceCase& row, std::ostream* os) {
    *os << row.name;
}

class SyntaxFileInPlace : public ::testing::TestWithParam<InPlaceCase> {};

// Root ignores permission bits and may give files away: the save runs as a plain user.
TEST_P(SyntaxFileInPlace, WritesTheFileItselfWhereAReplaceWouldFailOrLoseSomething) {
    const InPlaceCase& row = GetParam();
    const bool root = geteuid() == 0;
    if (!root && row.fileOwnedByRoot) {
        GTEST_SKIP() << "only root can make a file that another user may write but not own";
    }
    test::TempDir dir;
    const auto path = dir / "job.sps";
    test::WriteFileBytes(path, "old text\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    if (root) {
        ASSERT_EQ(chown(dir.path().c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(chown(path.c_str(), row.fileOwnedByRoot ? 0 : kNobody,
                        row.fileOwnedByRoot ? 0 : kNobody),
                  0);
    }
    ASSERT_EQ(chmod(dir.path().c_str(), row.folderMode), 0);
    const struct stat before = StatOf(path);
    const pid_t pid = fork();
    if (pid == 0) {
        if (root && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(2);
        }
        const FileResult result = SaveFileContents(path.string(), "new\r\n");
        if (!result.ok) {
            std::fprintf(stderr, "%s\n", result.error.c_str());
        }
        _exit(result.ok ? 0 : 1);
    }
    EXPECT_TRUE(ChildSucceeded(pid));
    EXPECT_EQ(test::ReadFileBytes(path), "new\r\n");
    const struct stat after = StatOf(path);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(EntriesIn(dir), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, SyntaxFileInPlace,
                         ::testing::Values(InPlaceCase{"ReadOnlyFolder", 0555, false},
                                           InPlaceCase{"FileOfAnotherOwner", 0755, true}),
                         [](const testing::TestParamInfo<InPlaceCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(SyntaxFileWrite, AHardLinkedFileKeepsBothLinksSharingTheNewText) {
    test::TempDir dir;
    const auto path = dir / "job.sps";
    test::WriteFileBytes(path, "old text\r\n");
    std::filesystem::create_hard_link(path, dir / "other.sps");
    for (const std::string text : {"a longer new text\r\n", "short\r\n"}) {
        ASSERT_TRUE(SaveFileContents(path.string(), text).ok);
        EXPECT_EQ(test::ReadFileBytes(path), text);
        EXPECT_EQ(test::ReadFileBytes(dir / "other.sps"), text);
        EXPECT_EQ(std::filesystem::hard_link_count(path), 2u);
    }
}

TEST(SyntaxFileWrite, ANewFileTakesTheUmask) {
    // The mask is read once per process: check in a fresh one that has set its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            umask(027);
            bool ok = false;
            {
                test::TempDir dir;
                ok = SaveFileContents((dir / "new.sps").string(), "x").ok &&
                     (StatOf(dir / "new.sps").st_mode & 0777) == 0640 && ProcessUmask() == 027;
            }
            _exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(SyntaxFileStamp, ChangesWhenTheFileIsRewritten) {
    test::TempDir dir;
    const auto path = dir / "job.sps";
    EXPECT_FALSE(StampOf(path.string()).exists);
    ASSERT_TRUE(SaveFileContents(path.string(), "one\r\n").ok);
    const FileStamp first = StampOf(path.string());
    EXPECT_TRUE(first.exists);
    EXPECT_EQ(first.size, 5u);
    EXPECT_EQ(StampOf(path.string()), first);
    ASSERT_TRUE(SaveFileContents(path.string(), "two\r\n").ok); // same size
    const FileStamp saved = StampOf(path.string());
    EXPECT_NE(saved, first);
    // Another program replaces the file.
    test::WriteFileBytes(dir / "elsewhere", "two\r\n");
    std::filesystem::rename(dir / "elsewhere", path);
    EXPECT_NE(StampOf(path.string()), saved);
    std::filesystem::create_symlink(path, dir / "link.sps");
    EXPECT_EQ(StampOf((dir / "link.sps").string()), StampOf(path.string()));
}

TEST(SyntaxFileLines, SplitLikeTheEditorCountsThem) {
    std::vector<std::string> lines;
    ForEachLine("a\r\n\nb\rc", [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "c"}));
}

} // namespace
} // namespace qs
