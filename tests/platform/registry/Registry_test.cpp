// Key-at-a-time access: paths, typed reads and the registry's error texts.
#include "platform/registry/HiveFileBackend.h"
#include "platform/registry/Registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::shared_ptr<HiveFileBackend> store =
        std::make_shared<HiveFileBackend>((dir / "registry.reg").string());
    TRegistry reg{store};
};

TEST_F(RegistryTest, BackslashPathsStartAtTheRootOthersAtTheOpenKey) {
    ASSERT_TRUE(reg.OpenKey("\\Software\\Marrowgate", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Marrowgate");
    ASSERT_TRUE(reg.OpenKey("Quillstone", true)); // relative to the open key
    EXPECT_EQ(reg.CurrentPath(), "Software\\Marrowgate\\Quillstone");
    ASSERT_TRUE(reg.OpenKey("\\Other", true));
    EXPECT_EQ(reg.CurrentPath(), "Other");
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("HKEY_CURRENT_USER\\Software\\Marrowgate\\Quillstone\\MRU", true));
    // With no key open a relative path starts at the root, so the root's name becomes a key.
    EXPECT_TRUE(store->KeyExists(RootKey::CurrentUser,
                                 "HKEY_CURRENT_USER\\Software\\Marrowgate\\Quillstone\\MRU"));
    EXPECT_FALSE(store->KeyExists(RootKey::CurrentUser, "Software\\Marrowgate\\Quillstone\\MRU"));
}

TEST_F(RegistryTest, KeyNamesIgnoreCaseAndEnumerateSorted) {
    ASSERT_TRUE(reg.OpenKey("\\Versions", true));
    for (const char* name : {"11.5", "beta", "10.0", "Alpha", "9.0", "10"}) {
        reg.CreateKey(name);
    }
    reg.CreateKey("ALPHA"); // the same key
    EXPECT_EQ(reg.GetKeyNames(),
              (std::vector<std::string>{"10", "10.0", "11.5", "9.0", "Alpha", "beta"}));
    EXPECT_TRUE(reg.KeyExists("\\versions\\BETA"));
    EXPECT_FALSE(reg.OpenKey("\\Missing", false));
    EXPECT_EQ(reg.CurrentPath(), "Versions"); // a failed open keeps the open key
}

TEST_F(RegistryTest, TypedValuesAndTheRegistryErrors) {
    ASSERT_TRUE(reg.OpenKey("\\Software\\Q", true));
    reg.WriteString("Name", "text");
    reg.WriteInteger("Number", 10);
    reg.WriteString("", "unnamed");
    EXPECT_EQ(reg.ReadString("name"), "text");
    EXPECT_EQ(reg.ReadInteger("NUMBER"), 10);
    EXPECT_EQ(reg.ReadString(""), "unnamed");
    EXPECT_TRUE(reg.ValueExists("Number"));
    EXPECT_FALSE(reg.ValueExists("Missing"));
    EXPECT_EQ(reg.ReadString("Missing"), "");

    auto message = [](auto&& call) {
        try {
            call();
        } catch (const ERegistryException& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { reg.ReadString("Number"); }), "Invalid data type for 'Number'");
    EXPECT_EQ(message([&] { reg.ReadInteger("Name"); }), "Invalid data type for 'Name'");
    EXPECT_EQ(message([&] { reg.ReadInteger("Missing"); }), "Failed to get data for 'Missing'");
    EXPECT_EQ(message([&] { reg.WriteString("bad\nname", "x"); }),
              "Failed to set data for 'bad\nname'");
    EXPECT_EQ(message([&] { reg.CreateKey("bad\x01key"); }), "Failed to create key bad\x01key");

    reg.WriteInteger("Name", 3); // a value may change its type
    EXPECT_EQ(reg.ReadInteger("Name"), 3);
    EXPECT_TRUE(reg.DeleteValue("Name"));
    EXPECT_FALSE(reg.DeleteValue("Name"));
}

TEST_F(RegistryTest, DeleteKeyTakesEverythingBelowIt) {
    ASSERT_TRUE(reg.OpenKey("\\A\\B\\C\\D", true));
    reg.WriteString("v", "1");
    ASSERT_TRUE(reg.OpenKey("\\A\\B2", true));
    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey("\\a\\b"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B\\C\\D"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B"));
    EXPECT_TRUE(reg.KeyExists("\\A\\B2"));
    EXPECT_FALSE(reg.DeleteKey("\\A\\B")); // already gone
}

TEST_F(RegistryTest, ValuesOnAMissingKeyFailLikeTheRegistry) {
    ASSERT_TRUE(reg.OpenKey("\\Gone", true));
    EXPECT_TRUE(TRegistry(store).DeleteKey("\\Gone")); // another object deletes it
    EXPECT_EQ(reg.ReadString("x"), "");
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
}

} // namespace
} // namespace qs
