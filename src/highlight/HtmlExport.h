// Exports highlighted syntax as one standalone HTML page, each token in the colours and
// font style of its attribute, for pasting into reports and web pages.
#pragma once

#include "highlight/SynHighlighterSPSS.h"

#include <array>
#include <string>
#include <string_view>

namespace qs {

// CSS declarations for an attribute, e.g. "color:#ff0000;font-weight:bold".
std::string AttributeCss(const TSynHighlighterAttributes& attribute);

// The page for `text`, highlighted line by line from a Normal line state.
std::string ExportHtml(TSynSPSSHighlighter& highlighter, std::string_view text,
                       std::string_view title);

// Number of tokens of each kind (LineEnd tokens are not counted), indexed by ordinal.
std::array<std::size_t, kTokenKindCount> CountTokens(TSynSPSSHighlighter& highlighter,
                                                     std::string_view text);

} // namespace qs
