// Checking a chosen language definition file and copying it into the program's folder.
#include "highlight/LanguageDefinitionImport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

namespace fs = std::filesystem;

const std::string kDefinition = "[1 Commands]\nFREQUENCIES,DESCRIPTIVES\n";

struct NameCase {
    const char* name;
    const char* path;
    bool accepted;
};

class LanguageDefinitionName : public testing::TestWithParam<NameCase> {};

TEST_P(LanguageDefinitionName, MustBeExactlyLngpckDll) {
    EXPECT_EQ(HasLanguageDefinitionName(GetParam().path), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    LanguageDefinitionImport, LanguageDefinitionName,
    testing::Values(NameCase{"Exact", "/home/u/new/lngpck.dll", true},
                    NameCase{"NoFolder", "lngpck.dll", true},
                    NameCase{"Capitals", "/home/u/LNGPCK.DLL", false},
                    NameCase{"CapitalExtension", "/home/u/lngpck.DLL", false},
                    NameCase{"OtherName", "/home/u/lngpck2.dll", false},
                    NameCase{"NameOnlyInTheFolder", "/home/lngpck.dll/other.dll", false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LanguageDefinitionImport, ARightlyNamedFileMustHoldADefinition) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "lngpck.dll", std::string("MZ\x90\0\x03\0\0\0", 8));
    EXPECT_FALSE(IsLanguageDefinitionFile(dir / "lngpck.dll"));
    test::WriteFileBytes(dir / "lngpck.dll", kDefinition);
    EXPECT_TRUE(IsLanguageDefinitionFile(dir / "lngpck.dll"));
}

TEST(LanguageDefinitionImport, CopiesIntoTheProgramFolderReplacingTheOldFile) {
    test::TempDir source;
    test::TempDir program;
    test::WriteFileBytes(source / "lngpck.dll", kDefinition);
    test::WriteFileBytes(program / "lngpck.dll", "old");
    const ImportResult result = ImportLanguageDefinition(source / "lngpck.dll", program.path());
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(test::ReadFileBytes(program / "lngpck.dll"), kDefinition);
    EXPECT_FALSE(fs::exists(program / "lngpck.dll.import"));
}

TEST(LanguageDefinitionImport, AFailedCopySaysWhyAndLeavesNothingBehind) {
    test::TempDir source;
    test::TempDir program;
    test::WriteFileBytes(source / "lngpck.dll", kDefinition);
    fs::create_directory(program / "lngpck.dll"); // the target cannot be replaced
    const ImportResult result = ImportLanguageDefinition(source / "lngpck.dll", program.path());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.rfind("The Language Definition file could not be copied to " +
                                     (program / "lngpck.dll").string() + ":\n",
                                 0),
              0u)
        << result.error;
    EXPECT_GT(result.error.size(), result.error.find(":\n") + 2); // the system's reason
    EXPECT_TRUE(fs::is_directory(program / "lngpck.dll"));
    EXPECT_FALSE(fs::exists(program / "lngpck.dll.import"));
}

TEST(LanguageDefinitionImport, AMissingProgramFolderFails) {
    test::TempDir source;
    test::WriteFileBytes(source / "lngpck.dll", kDefinition);
    const ImportResult result =
        ImportLanguageDefinition(source / "lngpck.dll", source / "no" / "such" / "folder");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
}

TEST(LanguageDefinitionImport, TheProgramsOwnFileIsNotCopiedOntoItself) {
    test::TempDir program;
    test::WriteFileBytes(program / "lngpck.dll", kDefinition);
    const ImportResult result = ImportLanguageDefinition(program / "lngpck.dll", program.path());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "The selected file is already the program's Language Definition file.");
    EXPECT_EQ(test::ReadFileBytes(program / "lngpck.dll"), kDefinition);
}

} // namespace
} // namespace qs
