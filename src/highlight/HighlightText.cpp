// Whole-text highlighting helpers shared by the command-line tool, tests and benchmarks.
#include "highlight/HighlightText.h"

namespace qs {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](int, std::string_view line) { lines.push_back(line); });
    return lines;
}

std::vector<HighlightToken> CollectTokens(TSynSPSSHighlighter& highlighter, std::string_view text) {
    std::vector<HighlightToken> tokens;
    HighlightText(highlighter, text, [&](const HighlightToken& token) { tokens.push_back(token); });
    return tokens;
}

std::string FormatTokens(const std::vector<HighlightToken>& tokens) {
    std::string out;
    for (const HighlightToken& token : tokens) {
        out += std::to_string(token.line + 1);
        out += '\t';
        out += std::to_string(token.start);
        out += '\t';
        out += TokenKindName(token.kind);
        out += '\t';
        out += token.text;
        out += '\n';
    }
    return out;
}

} // namespace qs
