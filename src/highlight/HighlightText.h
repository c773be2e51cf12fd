// Runs the highlighter over a whole text the way an editor does: line by line (lines end at
// CR LF, LF or CR, which are not passed on), with the line state carried from line to line.
#pragma once

#include "highlight/SynHighlighterSPSS.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

struct HighlightToken {
    int line = 0;  // 0-based
    int start = 0; // 0-based position in the line
    TokenKind kind = TokenKind::Unknown;
    std::string_view text;
};

// The lines of `text` without their breaks; a break at the very end opens no new line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Calls onLine(lineIndex, line) for each line of `text`, in order, without collecting them.
template <typename OnLine> void ForEachLine(std::string_view text, OnLine&& onLine) {
    int index = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        // memchr twice per line is far quicker than testing each byte against both breaks.
        const char* begin = text.data() + pos;
        const char* last = text.data() + text.size();
        const void* lf = std::memchr(begin, '\n', static_cast<size_t>(last - begin));
        const char* lineEnd = lf != nullptr ? static_cast<const char*>(lf) : last;
        const void* cr = std::memchr(begin, '\r', static_cast<size_t>(lineEnd - begin));
        if (cr != nullptr) {
            lineEnd = static_cast<const char*>(cr);
        }
        const size_t end = static_cast<size_t>(lineEnd - text.data());
        if (end == text.size()) {
            onLine(index, text.substr(pos));
            return;
        }
        onLine(index++, text.substr(pos, end - pos));
        pos = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

// Highlights `text` from a Normal line state, calling onToken for every token but the
// LineEnd ones. Leaves the highlighter's line state as after the last line.
template <typename OnToken>
void HighlightText(TSynSPSSHighlighter& highlighter, std::string_view text, OnToken&& onToken) {
    highlighter.ResetLineState();
    ForEachLine(text, [&](int index, std::string_view line) {
        for (highlighter.BeginLine(line, index); !highlighter.AtLineEnd();
             highlighter.NextToken()) {
            onToken(HighlightToken{index, highlighter.TokenStart(), highlighter.GetTokenKind(),
                                   highlighter.TokenText()});
        }
    });
}

// The tokens of `text`, as HighlightText gives them.
std::vector<HighlightToken> CollectTokens(TSynSPSSHighlighter& highlighter, std::string_view text);

// One token per line: LINE (from 1), START, KIND name and TEXT, separated by tabs.
std::string FormatTokens(const std::vector<HighlightToken>& tokens);
// One token as FormatTokens writes it, appended to out.
void AppendToken(std::string& out, const HighlightToken& token);

} // namespace qs
