// Helpers for the highlighter tests: a highlighter over given word lists, and one line's
// tokens written as "[text]Kind" items for compact expectations.
#pragma once

#include "highlight/SynHighlighterSPSS.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace qs::test {

using ListEntries = std::vector<std::pair<ElementList, std::string>>;

inline LanguageElements MakeElements(const ListEntries& entries) {
    LanguageElements elements;
    for (const auto& [list, text] : entries) {
        std::string& target = elements[list];
        target += target.empty() ? text : "," + text;
    }
    return elements;
}

// Tokens of one line from the given state, e.g. "[x]Unknown [=]Operator".
inline std::string LineTokens(TSynSPSSHighlighter& hl, std::string_view line,
                              LineState state = LineState::Normal) {
    hl.SetLineState(static_cast<int>(state));
    std::string out;
    for (hl.BeginLine(line, 0); !hl.AtLineEnd(); hl.NextToken()) {
        if (!out.empty()) {
            out += ' ';
        }
        out += '[';
        out += hl.TokenText();
        out += ']';
        out += TokenKindName(hl.GetTokenKind());
    }
    return out;
}

} // namespace qs::test
