// The style dialog's categories, its default styles and the style bit switch.
#include "HighlightTestUtil.h"
#include "highlight/StyleCategories.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace qs {
namespace {

TEST(StyleCategories, TwelveCaptionsEachBoundToItsAttribute) {
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Commands", "SPSS command"},
        {"Sub-commands", "SPSS subcommand"},
        {"Keywords", "SPSS keywords"},
        {"Macro commands", "SPSS macro"},
        {"Functions", "SPSS function"},
        {"Operators", "SPSS operator"},
        {"Normal variables", "SPSS variable"},
        {"System and scratch variables", "SPSS system variable"},
        {"Numbers", "Number"},
        {"Strings", "String"},
        {"Comments", "Comment"},
        {"Execute", "SPSS execute command"},
    };
    TSynSPSSHighlighter hl(test::MakeElements({}));
    ASSERT_EQ(StyleCategories().size(), expected.size());
    for (int i = 0; i < kStyleCategoryCount; ++i) {
        EXPECT_EQ(StyleCategories()[static_cast<std::size_t>(i)].caption, expected[i].first);
        ASSERT_NE(CategoryAttribute(hl, i), nullptr);
        EXPECT_EQ(CategoryAttribute(hl, i)->Name(), expected[i].second) << i;
    }
    EXPECT_EQ(CategoryAttribute(hl, -1), nullptr);
    EXPECT_EQ(CategoryAttribute(hl, kStyleCategoryCount), nullptr);
}

struct DefaultRow {
    const char* name;
    TColor foreground;
    TColor background;
    TFontStyles style;
};

TEST(StyleCategories, DefaultsSetTheTwelveOnWhiteAndLeaveTheOthers) {
    const std::vector<DefaultRow> expected = {
        {"Comment", 0xFF0000, 0xFFFFFF, fsItalic},
        {"Number", 0x0000FF, 0xFFFFFF, 0},
        {"Space", 0x111111, 0x222222, fsStrikeOut}, // untouched
        {"SPSS command", 0x000000, 0xFFFFFF, fsBold},
        {"SPSS execute command", 0x000000, 0xFFFFFF, fsBold},
        {"SPSS function", 0x808000, 0xFFFFFF, 0},
        {"SPSS keywords", 0x00FF00, 0xFFFFFF, fsItalic},
        {"SPSS macro", 0x000000, 0xFFFFFF, fsBold},
        {"SPSS operator", 0x800080, 0xFFFFFF, 0},
        {"SPSS subcommand", 0x0000FF, 0xFFFFFF, fsBold},
        {"SPSS system variable", 0x008000, 0xFFFFFF, 0},
        {"SPSS variable", 0x008000, 0xFFFFFF, 0},
        {"String", 0x0000FF, 0xFFFFFF, 0},
        {"Symbol", 0x111111, 0x222222, fsStrikeOut}, // untouched
    };
    TSynSPSSHighlighter hl(test::MakeElements({}));
    for (int i = 0; i < hl.AttrCount(); ++i) {
        hl.Attribute(i)->SetForeground(0x111111);
        hl.Attribute(i)->SetBackground(0x222222);
        hl.Attribute(i)->SetStyle(fsStrikeOut);
    }
    ApplyDefaultStyles(hl);
    ASSERT_EQ(hl.AttrCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < hl.AttrCount(); ++i) {
        const auto& row = expected[static_cast<std::size_t>(i)];
        const TSynHighlighterAttributes& attribute = *hl.Attribute(i);
        EXPECT_EQ(attribute.Name(), row.name);
        EXPECT_EQ(attribute.Foreground(), row.foreground) << row.name;
        EXPECT_EQ(attribute.Background(), row.background) << row.name;
        EXPECT_EQ(attribute.Style(), row.style) << row.name;
    }
    EXPECT_EQ(hl.UnknownAttri().Foreground(), clNone);
}

// The dark default: every attribute readable on its paper (a contrast of 4.5 to 1 at least);
// the light default then gives the text its own colours back.
TEST(StyleCategories, TheDarkDefaultIsReadableAndTheLightOneUndoesIt) {
    const auto luminance = [](TColor c) {
        const auto channel = [](unsigned v) {
            const double x = v / 255.0;
            return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c & 0xFF) + 0.7152 * channel((c >> 8) & 0xFF) +
               0.0722 * channel((c >> 16) & 0xFF);
    };
    TSynSPSSHighlighter hl(test::MakeElements({}));
    ApplyDarkStyles(hl);
    std::vector<TSynHighlighterAttributes*> all{&hl.UnknownAttri()};
    for (int i = 0; i < hl.AttrCount(); ++i) {
        all.push_back(hl.Attribute(i));
    }
    for (const TSynHighlighterAttributes* attribute : all) {
        ASSERT_NE(attribute->Foreground(), clNone) << attribute->Name();
        ASSERT_NE(attribute->Background(), clNone) << attribute->Name();
        const double fore = luminance(attribute->Foreground());
        const double back = luminance(attribute->Background());
        EXPECT_GE((std::max(fore, back) + 0.05) / (std::min(fore, back) + 0.05), 4.5)
            << attribute->Name();
        EXPECT_LT(back, 0.1) << attribute->Name(); // dark
    }
    ApplyDefaultStyles(hl);
    EXPECT_EQ(hl.SpaceAttri().Background(), clNone);
    EXPECT_EQ(hl.UnknownAttri().Foreground(), clNone);
    EXPECT_EQ(hl.SymbolAttri().Foreground(), TColor{0xFF0000});
    EXPECT_EQ(hl.SPSSCommandAttri().Background(), TColor{0xFFFFFF});
}

struct StyleBitRow {
    const char* name;
    TFontStyles before;
    TFontStyles bit;
    bool on;
    TFontStyles after;
    int changes;
};

class StyleBit : public ::testing::TestWithParam<StyleBitRow> {};

TEST_P(StyleBit, AddsOrRemovesOnlyThatBitAndRedrawsOnlyOnAChange) {
    const StyleBitRow& row = GetParam();
    TSynSPSSHighlighter hl(test::MakeElements({}));
    TSynHighlighterAttributes& attribute = hl.NumberAttri();
    attribute.SetStyle(row.before);
    int changes = 0;
    hl.AddChangeListener([&] { ++changes; });
    SetStyleBit(attribute, row.bit, row.on);
    EXPECT_EQ(attribute.Style(), row.after);
    EXPECT_EQ(changes, row.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StyleBit,
    ::testing::Values(StyleBitRow{"AddBold", fsItalic, fsBold, true, fsBold | fsItalic, 1},
                      StyleBitRow{"BoldAlreadyThere", fsBold, fsBold, true, fsBold, 0},
                      StyleBitRow{"RemoveUnderline", fsUnderline | fsStrikeOut, fsUnderline, false,
                                  fsStrikeOut, 1},
                      StyleBitRow{"StrikeOutAlreadyOff", fsBold, fsStrikeOut, false, fsBold, 0}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
