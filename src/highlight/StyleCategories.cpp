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

} // namespace

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
