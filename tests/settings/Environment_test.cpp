// The settings behind the Environment dialog and the main window.
#include "settings/Environment.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

const std::string kKey = "Software\\Marrowgate\\Quillstone";

TEST(Environment, FirstOpeningCreatesTheThreeValues) {
    test::TempRegistry reg;
    TRegistrySettings settings(reg.store);
    settings.SetBaseKey(kKey);
    std::vector<std::string> errors;
    const EnvironmentValues values = ReadEnvironment(settings, "/home/u/Documents", errors);
    EXPECT_EQ(values.syntaxFilesPath, "/home/u/Documents");
    EXPECT_EQ(values.datafilesPath, "/home/u/Documents");
    EXPECT_TRUE(values.refreshDataObjects);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(reg.Value(kKey, "SyntaxFilePath"), RegistryValue::FromString(""));
    EXPECT_EQ(reg.Value(kKey, "DataFilePath"), RegistryValue::FromString(""));
    EXPECT_EQ(reg.Value(kKey, "RefreshDataObjects"), RegistryValue::FromInteger(0));
}

TEST(Environment, OkStoresTextsAsTheyStandAndTheBoxAsZeroOrOne) {
    test::TempRegistry reg;
    TRegistrySettings settings(reg.store);
    settings.SetBaseKey(kKey);
    WriteEnvironment(settings, {"/no/such/folder", "", false});
    EXPECT_EQ(reg.Value(kKey, "SyntaxFilePath"), RegistryValue::FromString("/no/such/folder"));
    EXPECT_EQ(reg.Value(kKey, "DataFilePath"), RegistryValue::FromString(""));
    EXPECT_EQ(reg.Value(kKey, "RefreshDataObjects"), RegistryValue::FromInteger(1));
    WriteEnvironment(settings, {"", "", true});
    EXPECT_EQ(reg.Value(kKey, "RefreshDataObjects"), RegistryValue::FromInteger(0));
}

TEST(Environment, WrongTypesFallBackAndFolderErrorsAreReported) {
    test::TempRegistry reg;
    reg.Put(kKey, "SyntaxFilePath", RegistryValue::FromInteger(5));
    reg.Put(kKey, "DataFilePath", RegistryValue::FromString("/data"));
    reg.Put(kKey, "RefreshDataObjects", RegistryValue::FromString("no"));
    TRegistrySettings settings(reg.store);
    settings.SetBaseKey(kKey);
    std::vector<std::string> errors;
    const EnvironmentValues values = ReadEnvironment(settings, "/docs", errors);
    EXPECT_EQ(values.syntaxFilesPath, "/docs");
    EXPECT_EQ(values.datafilesPath, "/data");
    EXPECT_TRUE(values.refreshDataObjects);
    EXPECT_EQ(errors, std::vector<std::string>{"Invalid data type for 'SyntaxFilePath'"});

    TRegistry registry(reg.store);
    const MainWindowSettings window = ReadMainWindowSettings(registry, "/docs");
    EXPECT_EQ(window.syntaxFolder, "/docs");
    EXPECT_EQ(window.dataFolder, "/data");
    EXPECT_TRUE(window.autoRefresh);
    EXPECT_EQ(window.errors, errors);
}

TEST(Environment, MainWindowSettingsOfAFreshUserWriteNothingBack) {
    test::TempRegistry reg;
    TRegistry registry(reg.store);
    const MainWindowSettings window = ReadMainWindowSettings(registry, "/docs");
    EXPECT_EQ(window.syntaxFolder, "/docs");
    EXPECT_EQ(window.dataFolder, "/docs");
    EXPECT_TRUE(window.autoRefresh);
    EXPECT_TRUE(reg.store->KeyExists(RootKey::CurrentUser, kKey));
    EXPECT_TRUE(reg.store->ValueNames(RootKey::CurrentUser, kKey).empty());

    reg.Put(kKey, "RefreshDataObjects", RegistryValue::FromInteger(1));
    reg.Put(kKey, "SyntaxFilePath", RegistryValue::FromString("/syntax"));
    const MainWindowSettings changed = ReadMainWindowSettings(registry, "/docs");
    EXPECT_FALSE(changed.autoRefresh);
    EXPECT_EQ(changed.syntaxFolder, "/syntax");
}

} // namespace
} // namespace qs
