// What the style dialog edits, kept apart from the window: the categories it offers (each
// bound to one attribute of an SPSS highlighter) and the built-in default styles.
#pragma once

#include "highlight/SynHighlighterSPSS.h"

#include <array>

namespace qs {

struct TStyleCategory {
    const char* caption;
    TSynHighlighterAttributes& (TSynSPSSHighlighter::*attribute)();
};

inline constexpr int kStyleCategoryCount = 12;

// In the order the dialog lists them; "Space" and "Symbol" are not offered.
const std::array<TStyleCategory, kStyleCategoryCount>& StyleCategories();

// The attribute of category `index` in `highlighter`; nullptr outside the range (no
// category chosen).
TSynHighlighterAttributes* CategoryAttribute(TSynSPSSHighlighter& highlighter, int index);

// The twelve category attributes get their default colours (on white) and styles; "Space",
// "Symbol" and "Unknown" keep theirs.
void ApplyDefaultStyles(TSynSPSSHighlighter& highlighter);

// The dark default: the twelve category attributes and "Space", "Symbol" and "Unknown" get
// light colours on a dark paper. ApplyDefaultStyles gives the three their own colours back.
void ApplyDarkStyles(TSynSPSSHighlighter& highlighter);

// Adds or removes one font style bit; no change (and no redraw) when it is already so.
void SetStyleBit(TSynHighlighterAttributes& attribute, TFontStyles bit, bool on);

} // namespace qs
