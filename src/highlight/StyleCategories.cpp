// The style dialog's categories and the default styles it restores.
#include "highlight/StyleCategories.h"

namespace qs {

namespace {

using H = TSynSPSSHighlighter;

struct TDefaultStyle {
    TSynHighlighterAttributes& (H::*attribute)();
    TColor foreground;
    TFontStyles style;
};

constexpr TColor kWhite = 0xFFFFFF;

// Applied in this order, each change redrawing the editors that show the highlighter.
constexpr std::array<TDefaultStyle, kStyleCategoryCount> kDefaults{{
    {&H::SPSSMacroAttri, 0x000000, fsBold},
    {&H::SPSSCommandAttri, 0x000000, fsBold},
    {&H::SPSSKeyWordAttri, 0x00FF00, fsItalic},
    {&H::SPSSSubcommandAttri, 0x0000FF, fsBold},
    {&H::SPSSVariableAttri, 0x008000, 0},
    {&H::SPSSSytemScratchVariableAttri, 0x008000, 0},
    {&H::SPSSFunctionAttri, 0x808000, 0},
    {&H::SPSSOperatorAttri, 0x800080, 0},
    {&H::SPSSExecuteAttri, 0x000000, fsBold},
    {&H::CommentAttri, 0xFF0000, fsItalic},
    {&H::StringAttri, 0x0000FF, 0},
    {&H::NumberAttri, 0x0000FF, 0},
}};

// The dark default: light colours on a dark grey, each with a contrast of at least 4.5 to 1.
constexpr TColor kDarkPaper = 0x262626;
constexpr TColor kDarkText = 0xDCDCDC;
constexpr std::array<TDefaultStyle, kStyleCategoryCount> kDarkDefaults{{
    {&H::SPSSMacroAttri, 0xF0F0F0, fsBold},
    {&H::SPSSCommandAttri, 0xF0F0F0, fsBold},
    {&H::SPSSKeyWordAttri, 0x90EE90, fsItalic},
    {&H::SPSSSubcommandAttri, 0xFFB48C, fsBold},
    {&H::SPSSVariableAttri, 0x82D282, 0},
    {&H::SPSSSytemScratchVariableAttri, 0x82D282, 0},
    {&H::SPSSFunctionAttri, 0x78D2E6, 0},
    {&H::SPSSOperatorAttri, 0xF0A0DC, 0},
    {&H::SPSSExecuteAttri, 0xF0F0F0, fsBold},
    {&H::CommentAttri, 0xF0B48C, fsItalic},
    {&H::StringAttri, 0x8CA0FF, 0},
    {&H::NumberAttri, 0x8CA0FF, 0},
}};

// The attributes outside the categories, with their own foregrounds: the dark default sets
// them, as its paper must reach every character.
struct TOther {
    TSynHighlighterAttributes& (H::*attribute)();
    TColor foreground;
};
constexpr std::array<TOther, 3> kOthers{{
    {&H::SpaceAttri, clNone}, {&H::SymbolAttri, 0xFF0000}, {&H::UnknownAttri, clNone}}};

} // namespace

void ApplyDarkStyles(TSynSPSSHighlighter& highlighter) {
    for (const TDefaultStyle& entry : kDarkDefaults) {
        TSynHighlighterAttributes& attribute = (highlighter.*entry.attribute)();
        attribute.SetForeground(entry.foreground);
        attribute.SetBackground(kDarkPaper);
        attribute.SetStyle(entry.style);
    }
    for (const TOther& other : kOthers) {
        TSynHighlighterAttributes& attribute = (highlighter.*other.attribute)();
        attribute.SetForeground(kDarkText);
        attribute.SetBackground(kDarkPaper);
    }
}

const std::array<TStyleCategory, kStyleCategoryCount>& StyleCategories() {
    static const std::array<TStyleCategory, kStyleCategoryCount> categories{{
        {"Commands", &H::SPSSCommandAttri},
        {"Sub-commands", &H::SPSSSubcommandAttri},
        {"Keywords", &H::SPSSKeyWordAttri},
        {"Macro commands", &H::SPSSMacroAttri},
        {"Functions", &H::SPSSFunctionAttri},
        {"Operators", &H::SPSSOperatorAttri},
        {"Normal variables", &H::SPSSVariableAttri},
        {"System and scratch variables", &H::SPSSSytemScratchVariableAttri},
        {"Numbers", &H::NumberAttri},
        {"Strings", &H::StringAttri},
        {"Comments", &H::CommentAttri},
        {"Execute", &H::SPSSExecuteAttri},
    }};
    return categories;
}

TSynHighlighterAttributes* CategoryAttribute(TSynSPSSHighlighter& highlighter, int index) {
    if (index < 0 || index >= kStyleCategoryCount) {
        return nullptr;
    }
    return &(highlighter.*StyleCategories()[static_cast<std::size_t>(index)].attribute)();
}

void ApplyDefaultStyles(TSynSPSSHighlighter& highlighter) {
    for (const TDefaultStyle& entry : kDefaults) {
        TSynHighlighterAttributes& attribute = (highlighter.*entry.attribute)();
        attribute.SetForeground(entry.foreground);
        attribute.SetBackground(kWhite);
        attribute.SetStyle(entry.style);
    }
    // Those the dark default set go back to the editor's own colours; others stay.
    for (const TOther& other : kOthers) {
        TSynHighlighterAttributes& attribute = (highlighter.*other.attribute)();
        if (attribute.Background() == kDarkPaper && attribute.Foreground() == kDarkText) {
            attribute.SetForeground(other.foreground);
            attribute.SetBackground(clNone);
        }
    }
}

void SetStyleBit(TSynHighlighterAttributes& attribute, TFontStyles bit, bool on) {
    const TFontStyles style = attribute.Style();
    if (on && (style & bit) == 0) {
        attribute.SetStyle(static_cast<TFontStyles>(style | bit));
    } else if (!on && (style & bit) != 0) {
        attribute.SetStyle(static_cast<TFontStyles>(style & ~bit));
    }
}

} // namespace qs
