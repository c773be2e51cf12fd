// The recent-files list: order, duplicates, the stored form and the menu captions.
#include "settings/RecentFiles.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

using Paths = std::vector<std::string>;

Paths Numbered(int from, int to) {
    Paths paths;
    for (int i = from; i >= to; --i) {
        paths.push_back("/s/file" + std::to_string(i) + ".sps");
    }
    return paths;
}

TEST(RecentFiles, KeepsTenMostRecentFirstWithoutCaseDuplicates) {
    TRecentFiles list;
    for (int i = 1; i <= 11; ++i) {
        list.Add("/s/file" + std::to_string(i) + ".sps");
    }
    EXPECT_EQ(list.Items(), Numbered(11, 2)); // the first file is gone
    list.Add("/s/file9.sps");                 // third entry moves to the top
    EXPECT_EQ(list.Items().front(), "/s/file9.sps");
    EXPECT_EQ(list.Items().size(), 10u);
    EXPECT_EQ(list.Items()[1], "/s/file11.sps");
    EXPECT_EQ(list.Items()[2], "/s/file10.sps");
    list.Add("/S/FILE10.SPS"); // same entry in another case keeps its old text
    EXPECT_EQ(list.Items().front(), "/s/file10.sps");
    EXPECT_EQ(list.Items().size(), 10u);
}

TEST(RecentFiles, StoredUnderTheDoubledRootKeyAndLoadedBack) {
    test::TempRegistry reg;
    TRegistry registry(reg.store);
    TRecentFiles list;
    list.Add("/a.sps");
    list.Add("/b.sps");
    reg.Put(kRecentFilesKey, "User_0", RegistryValue::FromString("stale"));
    reg.Put(kRecentFilesKey, "Item_5", RegistryValue::FromString("/stale.sps"));
    ASSERT_TRUE(list.Store(registry));

    const std::string key = "HKEY_CURRENT_USER\\Software\\Marrowgate\\Quillstone\\MRU";
    EXPECT_EQ(reg.Value(key, "Item_0"), RegistryValue::FromString("/b.sps"));
    EXPECT_EQ(reg.Value(key, "Item_1"), RegistryValue::FromString("/a.sps"));
    EXPECT_FALSE(reg.Value(key, "Item_5")); // the whole key was replaced
    EXPECT_FALSE(reg.Value(key, "User_0"));
    EXPECT_FALSE(
        reg.store->KeyExists(RootKey::CurrentUser, "Software\\Marrowgate\\Quillstone\\MRU"));

    TRecentFiles loaded;
    loaded.Add("/left-over.sps"); // loading starts from an empty list
    loaded.Load(registry);
    EXPECT_EQ(loaded.Items(), (Paths{"/b.sps", "/a.sps"}));
}

TEST(RecentFiles, LoadingClosesGapsAndSkipsWhatIsNoPath) {
    test::TempRegistry reg;
    reg.Put(kRecentFilesKey, "Item_0", RegistryValue::FromString("/zero.sps"));
    reg.Put(kRecentFilesKey, "Item_1", RegistryValue::FromString(""));
    reg.Put(kRecentFilesKey, "Item_3", RegistryValue::FromInteger(3));
    reg.Put(kRecentFilesKey, "Item_7", RegistryValue::FromString("/seven.sps"));
    reg.Put(kRecentFilesKey, "Item_9", RegistryValue::FromString("/ZERO.sps"));
    TRegistry registry(reg.store);
    TRecentFiles list;
    list.Load(registry);
    // Item_9 is loaded first; Item_0 then finds it (same without case) and moves it up.
    EXPECT_EQ(list.Items(), (Paths{"/ZERO.sps", "/seven.sps"}));
}

TEST(RecentFiles, MenuCaptionsUseDigitsThenA) {
    EXPECT_EQ(TRecentFiles::MenuCaption(0, "/x.sps"), "&1\t/x.sps");
    EXPECT_EQ(TRecentFiles::MenuCaption(8, "/x.sps"), "&9\t/x.sps");
    EXPECT_EQ(TRecentFiles::MenuCaption(9, "/x.sps"), "&A\t/x.sps");
}

TEST(RecentFiles, AddToStoredListWorksWithoutAWindowList) {
    test::TempRegistry reg;
    TRegistry registry(reg.store);
    AddToStoredRecentFiles(registry, "/one.sps");
    AddToStoredRecentFiles(registry, "/two.sps");
    TRecentFiles list;
    list.Load(registry);
    EXPECT_EQ(list.Items(), (Paths{"/two.sps", "/one.sps"}));
}

} // namespace
} // namespace qs
