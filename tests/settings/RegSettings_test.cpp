// Settings reads write their defaults back; wrong types raise the registry's error.
#include "settings/RegSettings.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(RegistrySettings, BaseKeyAlwaysEndsInABackslash) {
    test::TempRegistry reg;
    TRegistrySettings settings(reg.store);
    settings.SetBaseKey("Software\\Marrowgate\\Quillstone");
    EXPECT_EQ(settings.BaseKey(), "Software\\Marrowgate\\Quillstone\\");
    settings.SetBaseKey("Software\\X\\");
    EXPECT_EQ(settings.BaseKey(), "Software\\X\\");
    EXPECT_EQ(settings.GetRootKey(), RootKey::CurrentUser);
}

TEST(RegistrySettings, MissingValuesReadAsDefaultsAndAreWrittenBack) {
    test::TempRegistry reg;
    TRegistrySettings settings(reg.store);
    settings.SetBaseKey("Software\\Q");
    EXPECT_EQ(settings.ReadString("", "Folder"), "");
    EXPECT_EQ(settings.ReadInteger("Sub", "Flag"), 0);
    EXPECT_EQ(reg.Value("Software\\Q", "Folder"), RegistryValue::FromString(""));
    EXPECT_EQ(reg.Value("Software\\Q\\Sub", "Flag"), RegistryValue::FromInteger(0));

    settings.WriteString("", "Folder", "/data");
    settings.WriteInteger("Sub", "Flag", 7);
    EXPECT_EQ(settings.ReadString("", "Folder"), "/data");
    EXPECT_EQ(settings.ReadInteger("Sub", "Flag"), 7);
}

TEST(RegistrySettings, WrongTypesRaiseTheRegistryError) {
    test::TempRegistry reg;
    reg.Put("Software\\Q", "Text", RegistryValue::FromString("x"));
    reg.Put("Software\\Q", "Number", RegistryValue::FromInteger(1));
    TRegistrySettings settings(reg.store);
    settings.SetBaseKey("Software\\Q");
    EXPECT_THROW(settings.ReadInteger("", "Text"), ERegistryException);
    EXPECT_THROW(settings.ReadString("", "Number"), ERegistryException);
}

} // namespace
} // namespace qs
