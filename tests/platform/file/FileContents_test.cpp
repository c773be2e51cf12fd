// Whole files by UTF-8 name: a save replaces the content and leaves nothing beside it, a
// hard-linked file is written in place, and the stamp follows each change.
#include "platform/file/FileContents.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qs {
namespace {

namespace fs = std::filesystem;

struct SaveCase {
    const char* label;
    std::string name; // UTF-8
    std::string first;
    std::string second;
};

void PrintTo(const SaveCase& row, std::ostream* out) {
    *out << row.label;
}

class Saves : public testing::TestWithParam<SaveCase> {};

TEST_P(Saves, ReplaceTheContentAndLeaveNoOtherFile) {
    test::TempDir dir;
    const std::string path = test::Utf8Path(dir.path()) + "/" + GetParam().name;
    std::string bytes;
    EXPECT_FALSE(StampOf(path).exists);
    EXPECT_FALSE(ReadWholeFile(path, bytes).ok);

    FileStamp stamp;
    for (const std::string& content : {GetParam().first, GetParam().second}) {
        ASSERT_TRUE(SaveFileContents(path, content).ok);
        ASSERT_TRUE(ReadWholeFile(path, bytes).ok);
        EXPECT_EQ(bytes, content);
        const FileStamp now = StampOf(path);
        EXPECT_TRUE(now.exists);
        EXPECT_EQ(now.size, content.size());
        EXPECT_NE(now, stamp);
        stamp = now;
    }
    const auto entries = std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
    EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(
    FileContents, Saves,
    testing::Values(SaveCase{"Ascii", "job.sps", "one\r\n", "two and more\r\n"},
                    SaveCase{"NonAscii", "Données José.sps", "GET FILE='x'.\r\n", ""},
                    SaveCase{"BeyondBmp", "\xF0\x9F\x93\x8A.sps", std::string(70000, 'x'), "y"}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(FileContents, AHardLinkedFileIsWrittenInPlace) {
    test::TempDir dir;
    const std::string path = test::Utf8Path(dir.path()) + "/Ünïcødé.sps";
    ASSERT_TRUE(SaveFileContents(path, "old\r\n").ok);
    std::error_code ec;
    fs::create_hard_link(PathFromUtf8(path), dir / "other.sps", ec);
    if (ec) {
        GTEST_SKIP() << "no hard links here: " << ec.message();
    }
    ASSERT_TRUE(SaveFileContents(path, "new text\r\n").ok);
    EXPECT_EQ(test::ReadFileBytes(dir / "other.sps"), "new text\r\n");
}

TEST(FileContents, ASymbolicLinkIsFollowedAndKept) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "target.sps", "old\r\n");
    std::error_code ec;
    fs::create_symlink(dir / "target.sps", dir / "link.sps", ec);
    if (ec) {
        GTEST_SKIP() << "no symbolic links here: " << ec.message();
    }
    ASSERT_TRUE(SaveFileContents(test::Utf8Path(dir / "link.sps"), "new\r\n").ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.sps"));
    EXPECT_EQ(test::ReadFileBytes(dir / "target.sps"), "new\r\n");
}

#ifdef _WIN32
// The copy put in the old file's place takes the old file's attributes.
TEST(FileContents, AReplacedFileKeepsItsAttributes) {
    for (const DWORD attributes : {DWORD{FILE_ATTRIBUTE_ARCHIVE}, DWORD{FILE_ATTRIBUTE_HIDDEN}}) {
        SCOPED_TRACE(attributes);
        test::TempDir dir;
        const fs::path path = dir / "Caf\u00e9 \u00fc.sps";
        test::WriteFileBytes(path, "old text\r\n");
        ::SetFileAttributesW(path.c_str(), attributes);
        ASSERT_TRUE(SaveFileContents(test::Utf8Path(path), "new text\r\n").ok);
        EXPECT_EQ(test::ReadFileBytes(path), "new text\r\n");
        EXPECT_TRUE(::GetFileAttributesW(path.c_str()) & attributes);
    }
}
#endif

} // namespace
} // namespace qs
