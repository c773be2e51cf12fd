// Finding the statistics package's folder and the help files in it.
#include "app/HelpFiles.h"

#include "support/TempRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qs {
namespace {

constexpr const char* kVersions = "Software\\SPSS\\SPSS for Windows";

struct DirectoryCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> versions; // name, Directory ("" : none)
    const char* expected;                                      // nullptr: the lookup fails
};

class SpssDirectory : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(SpssDirectory, IsTheLastHandledVersionsFolder) {
    test::TempRegistry reg;
    for (const auto& [version, directory] : GetParam().versions) {
        const std::string setup = std::string(kVersions) + "\\" + version + "\\Setup";
        if (*directory != '\0') {
            reg.Put(setup, "Directory", RegistryValue::FromString(directory));
        } else {
            reg.store->CreateKey(RootKey::CurrentUser, std::string(kVersions) + "\\" + version);
        }
    }
    if (GetParam().expected == nullptr) {
        try {
            GetSpssDirectory(reg.store);
            FAIL() << "no error";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
        }
        return;
    }
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(GetSpssDirectory(reg.store), GetParam().expected + sep);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpssDirectory,
    ::testing::Values(
        DirectoryCase{"NoVersions", {}, nullptr},
        DirectoryCase{"OnlyUnhandled", {{"9.0", "/nine"}, {"12.0", "/twelve"}}, nullptr},
        DirectoryCase{"One", {{"11.0", "/opt/spss"}}, "/opt/spss"},
        DirectoryCase{"LastOfTwoHandled", {{"10.0", "/ten"}, {"11.0", "/eleven"}}, "/eleven"},
        DirectoryCase{"UnhandledAfterwardsIsIgnored",
                      {{"10.0", "/ten"}, {"9.0", "/nine"}, {"12.0", "/twelve"}},
                      "/ten"},
        DirectoryCase{"NameOnlyNeedsToBeginWith10", {{"10abc", "/odd"}}, "/odd"},
        DirectoryCase{"MissingDirectoryReadsEmpty", {{"11.0", ""}}, ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SpssDirectory, CreatesTheKeysItLooksIn) {
    test::TempRegistry reg;
    EXPECT_THROW(GetSpssDirectory(reg.store), std::out_of_range);
    EXPECT_TRUE(reg.store->KeyExists(RootKey::CurrentUser, kVersions));
    reg.store->CreateKey(RootKey::CurrentUser, std::string(kVersions) + "\\10.0");
    GetSpssDirectory(reg.store);
    EXPECT_TRUE(
        reg.store->KeyExists(RootKey::CurrentUser, std::string(kVersions) + "\\10.0\\Setup"));
}

TEST(HelpFiles, PackageHelpAndOwnHelpPaths) {
    const std::string s(1, kPathSeparator);
    EXPECT_EQ(SpssHelpFile("C" + s), "C" + s + "Help" + s + "main" + s + "master_help.chm");
    EXPECT_EQ(ProgramHelpFile(s + "opt" + s + "q" + s + "quillstone"),
              s + "opt" + s + "q" + s + "QuillstoneHelp.chm");
    EXPECT_EQ(ProgramHelpFile("quillstone"), "QuillstoneHelp.chm");
}

} // namespace
} // namespace qs
