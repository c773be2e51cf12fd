// Tests of saving and loading highlighter styles in a registry hive file.
#include "HighlightTestUtil.h"
#include "highlight/HighlighterStyles.h"
#include "highlight/SynHighlighterSPSS.h"
#include "platform/registry/HiveFileBackend.h"
#include "platform/registry/Registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

class HighlighterStyles : public ::testing::Test {
protected:
    std::shared_ptr<RegistryBackend> Backend() {
        return std::make_shared<HiveFileBackend>((m_dir / "registry.reg").string());
    }
    TSynSPSSHighlighter Make() { return TSynSPSSHighlighter(test::MakeElements({})); }

    test::TempDir m_dir;
};

TEST_F(HighlighterStyles, SaveWritesAllFourteenAttributesThreeIntegersEach) {
    TSynSPSSHighlighter hl(test::MakeElements({}));
    hl.SymbolAttri().SetForeground(0x800000);
    ASSERT_TRUE(SaveStyles(hl, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    auto backend = Backend();
    std::vector<std::string> keys = backend->SubKeys(RootKey::CurrentUser, kHighlighterStyleKey);
    EXPECT_EQ(keys.size(), 14u);
    const std::string symbol = std::string(kHighlighterStyleKey) + "\\Symbol";
    EXPECT_EQ(backend->ReadValue(RootKey::CurrentUser, symbol, "Foreground"),
              RegistryValue::FromInteger(0x800000));
    EXPECT_EQ(backend->ReadValue(RootKey::CurrentUser, symbol, "Background"),
              RegistryValue::FromInteger(0x1FFFFFFF));
    const std::string comment = std::string(kHighlighterStyleKey) + "\\Comment";
    EXPECT_EQ(backend->ReadValue(RootKey::CurrentUser, comment, "Style"),
              RegistryValue::FromInteger(fsItalic));
    EXPECT_FALSE(
        backend->KeyExists(RootKey::CurrentUser, std::string(kHighlighterStyleKey) + "\\Unknown"));
}

TEST_F(HighlighterStyles, SavedStylesComeBack) {
    TSynSPSSHighlighter saved(test::MakeElements({}));
    saved.SPSSCommandAttri().SetForeground(0x123456);
    saved.SPSSCommandAttri().SetBackground(0xFFFFFF);
    saved.SPSSCommandAttri().SetStyle(fsUnderline | fsStrikeOut);
    ASSERT_TRUE(SaveStyles(saved, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    TSynSPSSHighlighter loaded(test::MakeElements({}));
    ASSERT_TRUE(LoadStyles(loaded, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    for (int i = 0; i < saved.AttrCount(); ++i) {
        EXPECT_EQ(loaded.Attribute(i)->Foreground(), saved.Attribute(i)->Foreground());
        EXPECT_EQ(loaded.Attribute(i)->Background(), saved.Attribute(i)->Background());
        EXPECT_EQ(loaded.Attribute(i)->Style(), saved.Attribute(i)->Style());
    }
}

TEST_F(HighlighterStyles, MissingKeyChangesNothing) {
    TSynSPSSHighlighter hl(test::MakeElements({}));
    EXPECT_FALSE(LoadStyles(hl, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    EXPECT_EQ(hl.CommentAttri().Foreground(), 0xFF0000u);
}

TEST_F(HighlighterStyles, LoadStopsAtFirstMissingSubkey) {
    TSynSPSSHighlighter saved(test::MakeElements({}));
    for (int i = 0; i < saved.AttrCount(); ++i) {
        saved.Attribute(i)->SetForeground(0x010101);
    }
    ASSERT_TRUE(SaveStyles(saved, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    Backend()->DeleteKey(RootKey::CurrentUser,
                         std::string(kHighlighterStyleKey) + "\\SPSS command");
    TSynSPSSHighlighter loaded(test::MakeElements({}));
    EXPECT_FALSE(LoadStyles(loaded, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    EXPECT_EQ(loaded.CommentAttri().Foreground(), 0x010101u);
    EXPECT_EQ(loaded.NumberAttri().Foreground(), 0x010101u);
    EXPECT_EQ(loaded.SpaceAttri().Foreground(), 0x010101u);
    EXPECT_EQ(loaded.SPSSCommandAttri().Foreground(), 0x000000u);
    EXPECT_EQ(loaded.SymbolAttri().Foreground(), 0xFF0000u);
}

TEST_F(HighlighterStyles, LoadTakesOnlyValuesThatAreThereAndKnownStyleBits) {
    ASSERT_TRUE(SaveStyles(Make(), RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    const std::string number = std::string(kHighlighterStyleKey) + "\\Number";
    auto backend = Backend();
    backend->DeleteValue(RootKey::CurrentUser, number, "Foreground");
    backend->WriteValue(RootKey::CurrentUser, number, "Background",
                        RegistryValue::FromString("not a number"));
    backend->WriteValue(RootKey::CurrentUser, number, "Style", RegistryValue::FromInteger(0x31));
    TSynSPSSHighlighter hl(test::MakeElements({}));
    hl.NumberAttri().SetForeground(0x777777);
    hl.NumberAttri().SetBackground(0x888888);
    EXPECT_TRUE(LoadStyles(hl, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    EXPECT_EQ(hl.NumberAttri().Foreground(), 0x777777u);
    EXPECT_EQ(hl.NumberAttri().Background(), 0x888888u);
    EXPECT_EQ(hl.NumberAttri().Style(), fsBold);
}

} // namespace
} // namespace qs
