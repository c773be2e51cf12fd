// Reading the version strings of program files: our own executables, files without a
// record, and records that are damaged or incomplete.
#include "about/DocumentInfo.h"
#include "about/VersionRecord.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace qs {
namespace {

namespace fs = std::filesystem;

// A record as the build writes one; built at run time so that this test's own file holds
// no record.
std::string Record(const std::string& entries) {
    return VersionRecordMarker() + '\x01' + entries + '\0';
}

std::string Entry(const std::string& text) {
    return text + '\0';
}

const std::string kTranslation = Entry("\\VarFileInfo\\Translation=0409 04e4");

std::string ReadFrom(const test::TempDir& dir, const std::string& bytes,
                     const std::string& name, std::string* error = nullptr) {
    const fs::path file = dir / "program";
    test::WriteFileBytes(file, bytes);
    TDocumentInfo info;
    info.Filename = file.string();
    std::string value = info.GetVersionString(name);
    if (error != nullptr) {
        *error = info.LastError();
    }
    return value;
}

class OurPrograms : public testing::TestWithParam<const char*> {};

TEST_P(OurPrograms, CarryTheProjectVersionAndTheirOwnName) {
    TDocumentInfo info;
    if (!QS_WITH_WINDOWS && (std::string_view(GetParam()) == "quillstone" ||
                             std::string_view(GetParam()) == "quillstone-engine")) {
        GTEST_SKIP() << "the editor and the engine host are built only with the windows "
                        "(QS_BUILD_UI), which this build leaves out";
    }
#ifdef _WIN32
    info.Filename = (fs::path(QS_BIN_DIR) / (std::string(GetParam()) + ".exe")).string();
#else
    info.Filename = (fs::path(QS_BIN_DIR) / GetParam()).string();
#endif
    EXPECT_EQ(info.FileVersion(), QS_PROJECT_VERSION) << info.LastError();
    EXPECT_EQ(info.GetVersionString("OriginalFilename"), GetParam());
    EXPECT_EQ(info.GetVersionString("ProductName"), "Quillstone");
}

INSTANTIATE_TEST_SUITE_P(DocumentInfo, OurPrograms,
                         testing::Values("quillstone", "quillstone-engine",
                                         "quillstone-highlight", "quillstone-dict"),
                         [](const auto& row) {
                             std::string name = row.param;
                             std::erase(name, '-');
                             return name;
                         });

TEST(DocumentInfo, AFileWithoutARecordGivesEmptyTextAndCodeMinusOne) {
    test::TempDir dir;
    std::string error;
    EXPECT_EQ(ReadFrom(dir, "#!/bin/sh\necho no version here\n", "FileVersion", &error), "");
    EXPECT_EQ(error, "Failed to get information about the file (-1)");
}

TEST(DocumentInfo, ThisTestProgramHoldsTheReaderButNoRecord) {
    // The reader's own code must not be taken for a record.
    TDocumentInfo info;
    info.Filename = "/proc/self/exe";
    EXPECT_EQ(info.FileVersion(), "");
    EXPECT_EQ(info.LastError(), "Failed to get information about the file (-1)");
}

TEST(DocumentInfo, AMissingFileGivesEmptyText) {
    TDocumentInfo info;
    info.Filename = "/nonexistent/quillstone";
    EXPECT_EQ(info.FileVersion(), "");
    EXPECT_FALSE(info.LastError().empty());
}

struct ReadingCase {
    const char* name;
    std::string bytes;
    std::string query;
    std::string value;
    int code; // 0: read
};

class Readings : public testing::TestWithParam<ReadingCase> {};

TEST_P(Readings, GiveTheStringOrTheStepThatFailed) {
    test::TempDir dir;
    std::string error;
    EXPECT_EQ(ReadFrom(dir, GetParam().bytes, GetParam().query, &error), GetParam().value);
    EXPECT_EQ(error, GetParam().code == 0 ? std::string()
                                         : "Failed to get information about the file (" +
                                               std::to_string(GetParam().code) + ")");
}

const std::string kVersion = Entry("\\StringFileInfo\\040904e4\\FileVersion=2.5.1");

INSTANTIATE_TEST_SUITE_P(
    DocumentInfo, Readings,
    testing::Values(
        ReadingCase{"AmidOtherBytes", "ELF" + std::string(100, '\0') + Record(kTranslation + kVersion) + "tail",
                    "FileVersion", "2.5.1", 0},
        ReadingCase{"NamesCompareWithoutCase", Record(kTranslation + kVersion), "fileversion",
                    "2.5.1", 0},
        ReadingCase{"NoTranslation", Record(kVersion), "FileVersion", "", -3},
        ReadingCase{"BadTranslation", Record(Entry("\\VarFileInfo\\Translation=none") + kVersion),
                    "FileVersion", "", -3},
        ReadingCase{"MissingString", Record(kTranslation + kVersion), "CompanyName", "", -4},
        // The block name comes from the translation: 0413 04e4 is "041304e4".
        ReadingCase{"OtherTranslation",
                    Record(Entry("\\VarFileInfo\\Translation=0413 04e4") + kVersion +
                           Entry("\\StringFileInfo\\041304e4\\FileVersion=3.0")),
                    "FileVersion", "3.0", 0},
        ReadingCase{"ShortLanguagePaddedToEightDigits",
                    Record(Entry("\\VarFileInfo\\Translation=0 4b0") +
                           Entry("\\StringFileInfo\\000004b0\\FileVersion=4.0")),
                    "FileVersion", "4.0", 0},
        // A marker without a well-formed record after it is passed over.
        ReadingCase{"DamagedMarkerBeforeTheRecord",
                    VersionRecordMarker() + "\x02junk" + VersionRecordMarker() + '\x01' +
                        "no terminator\n" + Record(kTranslation + kVersion),
                    "FileVersion", "2.5.1", 0},
        ReadingCase{"CutOffRecord",
                    VersionRecordMarker() + '\x01' + kTranslation + "\\StringFileInfo",
                    "FileVersion", "", -1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DocumentInfo, ARecordAcrossTheReadingChunksIsFound) {
    test::TempDir dir;
    // The reader reads 1 MiB at a time; put the marker across the first boundary.
    const std::string bytes =
        std::string((1 << 20) - 10, 'x') + Record(kTranslation + kVersion) + std::string(5000, 'y');
    EXPECT_EQ(ReadFrom(dir, bytes, "FileVersion"), "2.5.1");
}

TEST(DocumentInfo, TranslationBlockNameIsEightLowercaseHexDigits) {
    EXPECT_EQ(TranslationBlockName(0x0409, 0x04E4), "040904e4");
    EXPECT_EQ(TranslationBlockName(0, 0x04B0), "000004b0");
    EXPECT_EQ(TranslationBlockName(0xFFFF, 0xFFFF), "ffffffff");
}

} // namespace
} // namespace qs
