// Tests of saving and loading highlighter styles in the registry.
#include "HighlightTestUtil.h"
#include "highlight/HighlighterStyles.h"
#include "highlight/SynHighlighterSPSS.h"
#include "platform/registry/Registry.h"
#include "support/TempRegistry.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

class HighlighterStyles : public ::testing::Test {
protected:
    std::shared_ptr<RegistryBackend> Backend() { return m_registry.store; }
    TSynSPSSHighlighter Make() { return TSynSPSSHighlighter(test::MakeElements({})); }

    test::TempRegistry m_registry;
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

// The registered attributes in enumeration order, the order of the store.
const std::vector<std::string> kStoredNames = {"Comment",
                                               "Number",
                                               "Space",
                                               "SPSS command",
                                               "SPSS execute command",
                                               "SPSS function",
                                               "SPSS keywords",
                                               "SPSS macro",
                                               "SPSS operator",
                                               "SPSS subcommand",
                                               "SPSS system variable",
                                               "SPSS variable",
                                               "String",
                                               "Symbol"};

std::string RowName(const ::testing::TestParamInfo<int>& info) {
    std::string name;
    for (char c : kStoredNames[static_cast<std::size_t>(info.param)]) {
        if (c != ' ') {
            name += c;
        }
    }
    return name;
}

// Loading stops at the first missing subkey: the attributes before it are loaded, it and
// all after it keep their styles.
class StyleStoreStop : public HighlighterStyles, public ::testing::WithParamInterface<int> {};

TEST_P(StyleStoreStop, LoadStopsAtTheMissingSubkey) {
    const int missing = GetParam();
    TSynSPSSHighlighter saved(test::MakeElements({}));
    for (int i = 0; i < saved.AttrCount(); ++i) {
        saved.Attribute(i)->SetForeground(0x010101);
        saved.Attribute(i)->SetBackground(0x020202);
        saved.Attribute(i)->SetStyle(fsUnderline);
    }
    ASSERT_TRUE(SaveStyles(saved, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    ASSERT_TRUE(Backend()->DeleteKey(RootKey::CurrentUser,
                                     std::string(kHighlighterStyleKey) + "\\" +
                                         kStoredNames[static_cast<std::size_t>(missing)]));
    TSynSPSSHighlighter loaded(test::MakeElements({}));
    TSynSPSSHighlighter defaults(test::MakeElements({}));
    EXPECT_FALSE(LoadStyles(loaded, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    ASSERT_EQ(loaded.AttrCount(), static_cast<int>(kStoredNames.size()));
    for (int i = 0; i < loaded.AttrCount(); ++i) {
        const TSynHighlighterAttributes& a = *loaded.Attribute(i);
        const TSynHighlighterAttributes& from =
            i < missing ? *saved.Attribute(i) : *defaults.Attribute(i);
        EXPECT_EQ(a.Name(), kStoredNames[static_cast<std::size_t>(i)]);
        EXPECT_EQ(a.Foreground(), from.Foreground()) << a.Name();
        EXPECT_EQ(a.Background(), from.Background()) << a.Name();
        EXPECT_EQ(a.Style(), from.Style()) << a.Name();
    }
}

// A store whose subkeys named `refused` cannot be created; all else goes to a hive file.
class RefusingBackend final : public RegistryBackend {
public:
    RefusingBackend(std::shared_ptr<RegistryBackend> inner, std::string refused)
        : m_inner(std::move(inner)), m_refused(std::move(refused)) {}
    bool CreateKey(RootKey root, const std::string& path) override {
        const std::string tail = "\\" + m_refused;
        if (path.size() >= tail.size() &&
            CompareTextNoCase(path.substr(path.size() - tail.size()), tail) == 0) {
            return false;
        }
        return m_inner->CreateKey(root, path);
    }
    bool KeyExists(RootKey root, const std::string& path) override {
        return m_inner->KeyExists(root, path);
    }
    bool DeleteKey(RootKey root, const std::string& path) override {
        return m_inner->DeleteKey(root, path);
    }
    std::vector<std::string> SubKeys(RootKey root, const std::string& path) override {
        return m_inner->SubKeys(root, path);
    }
    std::vector<std::string> ValueNames(RootKey root, const std::string& path) override {
        return m_inner->ValueNames(root, path);
    }
    std::optional<RegistryValue> ReadValue(RootKey root, const std::string& path,
                                           const std::string& name) override {
        return m_inner->ReadValue(root, path, name);
    }
    bool WriteValue(RootKey root, const std::string& path, const std::string& name,
                    const RegistryValue& value) override {
        return m_inner->WriteValue(root, path, name, value);
    }
    bool DeleteValue(RootKey root, const std::string& path, const std::string& name) override {
        return m_inner->DeleteValue(root, path, name);
    }

private:
    std::shared_ptr<RegistryBackend> m_inner;
    std::string m_refused;
};

TEST_P(StyleStoreStop, SaveStopsAtTheSubkeyItCannotOpen) {
    const int refused = GetParam();
    auto store = std::make_shared<RefusingBackend>(Backend(),
                                                   kStoredNames[static_cast<std::size_t>(refused)]);
    EXPECT_FALSE(SaveStyles(Make(), RootKey::CurrentUser, kHighlighterStyleKey, store));
    const std::vector<std::string> written =
        Backend()->SubKeys(RootKey::CurrentUser, kHighlighterStyleKey);
    EXPECT_EQ(written,
              std::vector<std::string>(kStoredNames.begin(), kStoredNames.begin() + refused));
    if (refused > 0) {
        const std::string last = std::string(kHighlighterStyleKey) + "\\" + written.back();
        EXPECT_EQ(Backend()->ValueNames(RootKey::CurrentUser, last).size(), 3u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryAttribute, StyleStoreStop, ::testing::Range(0, 14), RowName);

struct RoundTripRow {
    const char* name;
    TColor foreground;
    TColor background;
    TFontStyles style;
};

class StyleRoundTrip : public HighlighterStyles,
                       public ::testing::WithParamInterface<RoundTripRow> {};

// Every value comes back exactly, whichever attribute holds it.
TEST_P(StyleRoundTrip, SavedValuesComeBackInEveryAttribute) {
    const RoundTripRow& row = GetParam();
    TSynSPSSHighlighter saved(test::MakeElements({}));
    for (int i = 0; i < saved.AttrCount(); ++i) {
        saved.Attribute(i)->SetForeground(row.foreground);
        saved.Attribute(i)->SetBackground(row.background);
        saved.Attribute(i)->SetStyle(row.style);
    }
    ASSERT_TRUE(SaveStyles(saved, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    TSynSPSSHighlighter loaded(test::MakeElements({}));
    ASSERT_TRUE(LoadStyles(loaded, RootKey::CurrentUser, kHighlighterStyleKey, Backend()));
    for (int i = 0; i < loaded.AttrCount(); ++i) {
        EXPECT_EQ(loaded.Attribute(i)->Foreground(), row.foreground) << loaded.Attribute(i)->Name();
        EXPECT_EQ(loaded.Attribute(i)->Background(), row.background) << loaded.Attribute(i)->Name();
        EXPECT_EQ(loaded.Attribute(i)->Style(), row.style) << loaded.Attribute(i)->Name();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StyleRoundTrip,
    ::testing::Values(RoundTripRow{"NoColourOfItsOwn", clNone, clNone, 0},
                      RoundTripRow{"BlackOnWhiteAllStyles", 0x000000, 0xFFFFFF, kAllFontStyles},
                      RoundTripRow{"NavyOnSilverItalic", 0x800000, 0xC0C0C0, fsItalic},
                      RoundTripRow{"TopBitSetStrikeOut", 0xFF000000, 0x80000001, fsStrikeOut}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
