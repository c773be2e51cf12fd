// Saving a file on Windows: the bytes go in through a copy put in the old file's place,
// under names beyond the code page, and the stamp follows the file.
#include "app/SyntaxFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace qs {
namespace {

namespace fs = std::filesystem;

TEST(SyntaxFileWriteWindows, ReplacesTheFileKeepingItsAttributesAndLeavingNoCopy) {
    struct Row {
        const char* name;
        bool exists;
        DWORD attributes; // set on the old file; the new one must have them too
    };
    const Row rows[] = {{"a new file", false, 0},
                        {"an existing file", true, FILE_ATTRIBUTE_ARCHIVE},
                        {"a hidden file", true, FILE_ATTRIBUTE_HIDDEN}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        const fs::path path = dir / "Caf\u00e9 \u00fc.sps";
        if (row.exists) {
            test::WriteFileBytes(path, "old text\r\n");
            ::SetFileAttributesW(path.c_str(), row.attributes);
        }
        const FileStamp before = StampOf(test::Utf8Path(path));
        const FileResult saved = SaveFileContents(test::Utf8Path(path), "new text\r\n");
        ASSERT_TRUE(saved.ok) << saved.error;
        std::string read;
        ASSERT_TRUE(ReadWholeFile(test::Utf8Path(path), read).ok);
        EXPECT_EQ(read, "new text\r\n");
        if (row.exists) {
            EXPECT_TRUE(::GetFileAttributesW(path.c_str()) & row.attributes);
        }
        EXPECT_EQ(before.exists, row.exists);
        EXPECT_NE(StampOf(test::Utf8Path(path)), before);
        EXPECT_EQ(StampOf(test::Utf8Path(path)), StampOf(test::Utf8Path(path)));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}

} // namespace
} // namespace qs
