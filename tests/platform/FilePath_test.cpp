// UTF-8 file names that no ANSI code page holds, carried to the system and through the
// readers that take them; the temporary, documents and program folders carry them too.
#include "platform/FilePath.h"

#include "about/DocumentInfo.h"
#include "about/VersionRecord.h"
#include "datafile/TSPSSVL.h"
#include "highlight/LanguageElements.h"
#include "platform/shell/Shell.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/WinText.h"
#endif

namespace qs {
namespace {

namespace fs = std::filesystem;

struct NameCase {
    const char* label;
    std::string utf8;
    std::u16string utf16; // written independently of the UTF-8 form
};

void PrintTo(const NameCase& row, std::ostream* out) {
    *out << row.label;
}

class NonAsciiNames : public testing::TestWithParam<NameCase> {
protected:
    // A folder named by the row inside the test's own, made from the UTF-16 form.
    void SetUp() override {
        folder = dir.path() / fs::path(GetParam().utf16);
        ASSERT_TRUE(fs::create_directory(folder));
        folderName = test::Utf8Path(dir.path()) + "/" + GetParam().utf8;
    }
    test::TempDir dir;
    fs::path folder;
    std::string folderName;
};

TEST_P(NonAsciiNames, ConvertAsUtf8BothWays) {
    EXPECT_EQ(PathFromUtf8(GetParam().utf8).u16string(), GetParam().utf16);
    EXPECT_EQ(Utf8FromPath(fs::path(GetParam().utf16)), GetParam().utf8);
}

TEST_P(NonAsciiNames, ReachTheFileThroughEachReader) {
    const std::string program = folderName + "/program.exe";
    test::WriteFileBytes(folder / "program.exe",
                         VersionRecordMarker() + '\x01' + "\\VarFileInfo\\Translation=0409 04e4" +
                             '\0' + "\\StringFileInfo\\040904e4\\FileVersion=2.5.1" + '\0' +
                             '\0');
    TDocumentInfo info;
    info.Filename = program;
    EXPECT_EQ(info.GetVersionString("FileVersion"), "2.5.1") << info.LastError();

    fs::copy_file(fs::path(QS_FIXTURES_DIR) / "sav" / "bdd__i18n.sav", folder / "data.sav");
    TSPSSDatafile data;
    data.SetFilename(folderName + "/data.sav");
    EXPECT_NO_THROW(data.Open());
    data.Close();

    std::string error;
    EXPECT_FALSE(ReadLanguageDefinition(PathFromUtf8(folderName + "/missing.dll"), &error));
    EXPECT_NE(error.find(GetParam().utf8), std::string::npos) << error;

    EXPECT_TRUE(RemoveFile(program));
    EXPECT_FALSE(fs::exists(folder / "program.exe"));
}

TEST_P(NonAsciiNames, TemporaryFilesLandInTheTemporaryFolder) {
#ifdef _WIN32
    const test::ScopedEnv tmp("TMP", folderName), temp("TEMP", folderName);
    const fs::path expected = folder;
#else
    const test::ScopedEnv runtime("XDG_RUNTIME_DIR", folderName);
    const fs::path expected = folder / "quillstone";
#endif
    const TempFileResult made = CreateTempFile("qst");
    ASSERT_EQ(made.error, 0) << made.message;
    EXPECT_TRUE(fs::is_regular_file(PathFromUtf8(made.path))) << made.path;
    std::error_code ec;
    EXPECT_TRUE(fs::equivalent(PathFromUtf8(made.path).parent_path(), expected, ec)) << made.path;
}

#ifdef _WIN32
// The documents folder follows the user's profile, not the environment; under Wine the
// test runs as a user named outside ASCII (QS_WINE_USER), and the folder takes that name.
TEST(FilePath, DocumentsFolderComesBackAsUtf8) {
    const std::string documents = GetPersonalFolder();
    EXPECT_TRUE(fs::is_directory(PathFromUtf8(documents))) << documents;
    if (const wchar_t* user = ::_wgetenv(L"QS_WINE_USER")) {
        EXPECT_NE(documents.find(Narrow(user)), std::string::npos) << documents;
    }
}
#else
TEST_P(NonAsciiNames, DocumentsFolderComesBackAsUtf8) {
    ASSERT_TRUE(fs::create_directory(folder / "Documents"));
    const test::ScopedEnv home("HOME", folderName);
    const test::ScopedEnv config("XDG_CONFIG_HOME", folderName + "/.config");
    std::error_code ec;
    EXPECT_TRUE(fs::equivalent(PathFromUtf8(GetPersonalFolder()), folder / "Documents", ec))
        << GetPersonalFolder();
}
#endif

// Latin letters beyond ASCII, letters of no Western code page, and a character beyond the
// 16-bit range (a surrogate pair in UTF-16).
INSTANTIATE_TEST_SUITE_P(
    FilePath, NonAsciiNames,
    testing::Values(NameCase{"Latin", "José Ünïcødé", u"Jos\u00e9 \u00dcn\u00efc\u00f8d\u00e9"},
                    NameCase{"Cyrillic", "Данные", u"\u0414\u0430\u043d\u043d\u044b\u0435"},
                    NameCase{"Cjk", "数据", u"\u6570\u636e"},
                    NameCase{"BeyondBmp", "\xF0\x9F\x93\x8A chart", u"\U0001F4CA chart"}),
    [](const auto& row) { return std::string(row.param.label); });

} // namespace
} // namespace qs
