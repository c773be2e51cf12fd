// Mode selection and the registration of the two menu entries.
#include "app/startup.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct ModeRow {
    const char* name;
    std::vector<std::string> args;
    TStartMode mode;
};
void PrintTo(const ModeRow& row, std::ostream* os) {
    *os << row.name;
}

class StartMode : public ::testing::TestWithParam<ModeRow> {};

TEST_P(StartMode, FirstArgumentDecides) {
    EXPECT_EQ(SelectStartMode(GetParam().args), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartMode,
    ::testing::Values(ModeRow{"None", {}, TStartMode::NoArgument},
                      ModeRow{"InstallLower", {"/install"}, TStartMode::Install},
                      ModeRow{"InstallMixed", {"/Install"}, TStartMode::Install},
                      ModeRow{"InstallInAPath", {"/home/ann/install/job.sps"},
                              TStartMode::NewDocument},
                      ModeRow{"OpenInAPath", {"/home/ann/open"}, TStartMode::NewDocument},
                      ModeRow{"ReopenInAPath", {"C:\\reopen\\x.sps"}, TStartMode::NewDocument},
                      ModeRow{"UninstallMixed", {"/UnInstall"}, TStartMode::Uninstall},
                      ModeRow{"Uninstall", {"/UNINSTALL"}, TStartMode::Uninstall},
                      ModeRow{"Open", {"/Open"}, TStartMode::Open},
                      ModeRow{"ReopenIsNotOpen", {"/REOPEN", "/x.sps"}, TStartMode::Reopen},
                      ModeRow{"New", {"/New"}, TStartMode::NewDocument},
                      ModeRow{"NewUpper", {"/NEW"}, TStartMode::NewDocument},
                      ModeRow{"AFile", {"/data/x.sps"}, TStartMode::NewDocument},
                      ModeRow{"OnlyFirstCounts", {"/New", "/INSTALL"}, TStartMode::NewDocument}),
    [](const testing::TestParamInfo<ModeRow>& row) { return std::string(row.param.name); });

TEST(StartFile, TheExtensionDecidesAndSwitchesAreNoFiles) {
    const std::pair<std::vector<std::string>, TStartFile> rows[] = {
        {{}, TStartFile::None},
        {{"/New"}, TStartFile::None},
        {{"/reopen", "/x.sav"}, TStartFile::None},
        {{"/data/survey.sav"}, TStartFile::DataFile},
        {{"/DATA/SURVEY.SAV"}, TStartFile::DataFile},
        {{"/data/big.ZSav"}, TStartFile::DataFile},
        {{"/data/my.saved/job.sps"}, TStartFile::SyntaxFile},
        {{"/data/my.sav.sps"}, TStartFile::SyntaxFile},
        {{"UPPER.SPS"}, TStartFile::SyntaxFile},
        {{"/data/notes"}, TStartFile::SyntaxFile},
    };
    for (const auto& [args, kind] : rows) {
        EXPECT_EQ(StartFileKind(args), kind) << (args.empty() ? "(none)" : args.front());
    }
}

TEST(MenuType, FlagsInTheOrderOneFourTwo) {
    EXPECT_EQ(MenuTypeText(mtFlag1), "0");
    EXPECT_EQ(MenuTypeText(0), "");
    EXPECT_EQ(MenuTypeText(mtFlag1 | mtFlag2 | mtFlag4), "0,2,3");
    EXPECT_EQ(MenuTypeText(mtFlag2 | mtFlag4), "2,3");
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"10", "10.0", "11.0", "11.5", "9.0", "12.0", "1"}) {
            reg.store->CreateKey(RootKey::CurrentUser,
                                 std::string("Software\\SPSS\\SPSS for Windows\\") + v);
        }
    }
    std::string Entry(const std::string& version, const std::string& entry,
                      const std::string& sub) {
        const auto v = reg.Value("Software\\SPSS\\SPSS for Windows\\" + version + "\\OtherApps\\" +
                                     entry + "\\" + sub,
                                 "");
        return v ? v->text : "<missing>";
    }
    test::TempRegistry reg;
};

TEST_F(Registration, HandledVersionsGetBothEntriesOthersNone) {
    InstallMenuEntries("/opt/quillstone/bin/quillstone", reg.store);
    for (const char* v : {"10", "10.0", "11.0", "11.5"}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(Entry(v, "Quill Stone Open", "Launch"),
                  "\"/opt/quillstone/bin/quillstone\" /Open");
        EXPECT_EQ(Entry(v, "Quill Stone New", "Launch"), "\"/opt/quillstone/bin/quillstone\" /New");
        EXPECT_EQ(Entry(v, "Quill Stone New", "Menu"), "$FILE>&New>&Quillstone...");
        EXPECT_EQ(Entry(v, "Quill Stone Open", "Menu"), "$FILE>&Open>&Quillstone...");
        for (const char* entry : {"Quill Stone New", "Quill Stone Open"}) {
            EXPECT_EQ(Entry(v, entry, "MenuPos"), "2");
            EXPECT_EQ(Entry(v, entry, "MenuType"), "0");
            EXPECT_EQ(Entry(v, entry, "ReadFile"), "2");
            EXPECT_EQ(Entry(v, entry, "MenuEnable"), "1");
        }
    }
    for (const char* v : {"9.0", "12.0", "1"}) {
        EXPECT_TRUE(reg.store
                        ->SubKeys(RootKey::CurrentUser,
                                  std::string("Software\\SPSS\\SPSS for Windows\\") + v)
                        .empty())
            << v;
    }
    EXPECT_TRUE(reg.store->KeyExists(RootKey::CurrentUser,
                                     "Software\\Marrowgate\\SPSS Plugins\\Quill Stone Open"));
    EXPECT_EQ(reg.Value("Software\\Marrowgate\\Quillstone", "AppPath"),
              RegistryValue::FromString("/opt/quillstone/bin/"));
}

TEST_F(Registration, InstallingTwiceChangesNothingAndUninstallRemovesTheEntries) {
    InstallMenuEntries("/q/quillstone", reg.store);
    const std::string once = test::ReadFileBytes(reg.path);
    InstallMenuEntries("/q/quillstone", reg.store);
    EXPECT_EQ(test::ReadFileBytes(reg.path), once);

    UninstallMenuEntries(reg.store);
    for (const char* v : {"10", "10.0", "11.0", "11.5"}) {
        EXPECT_TRUE(
            reg.store
                ->SubKeys(RootKey::CurrentUser,
                          std::string("Software\\SPSS\\SPSS for Windows\\") + v + "\\OtherApps")
                .empty())
            << v;
    }
    // The plug-in keys and AppPath stay.
    EXPECT_TRUE(reg.store->KeyExists(RootKey::CurrentUser,
                                     "Software\\Marrowgate\\SPSS Plugins\\Quill Stone New"));
    EXPECT_TRUE(reg.Value("Software\\Marrowgate\\Quillstone", "AppPath"));
    const std::string after = test::ReadFileBytes(reg.path);
    UninstallMenuEntries(reg.store); // missing entries: quietly nothing
    EXPECT_EQ(test::ReadFileBytes(reg.path), after);
}

TEST(RegistrationWithoutSpss, CreatesTheVersionsKeyAndStillWritesAppPath) {
    test::TempRegistry reg;
    InstallMenuEntries("/q/quillstone", reg.store);
    EXPECT_TRUE(reg.store->KeyExists(RootKey::CurrentUser, "Software\\SPSS\\SPSS for Windows"));
    EXPECT_TRUE(
        reg.store->SubKeys(RootKey::CurrentUser, "Software\\SPSS\\SPSS for Windows").empty());
    EXPECT_TRUE(reg.Value("Software\\Marrowgate\\Quillstone", "AppPath"));
}

TEST(ListSpssVersions, EnumeratesInRegistryOrder) {
    test::TempRegistry reg;
    for (const char* v : {"11.5", "9.0", "10.0"}) {
        reg.store->CreateKey(RootKey::CurrentUser,
                             std::string("Software\\SPSS\\SPSS for Windows\\") + v);
    }
    std::vector<std::string> list{"old"};
    ListSpssVersions(list, reg.store);
    EXPECT_EQ(list, (std::vector<std::string>{"10.0", "11.5", "9.0"}));
}

} // namespace
} // namespace qs
