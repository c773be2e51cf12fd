// Whole-text highlighting helpers shared by the command-line tool, tests and benchmarks.
#include "highlight/HighlightText.h"

#include <charconv>

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

void AppendToken(std::string& out, const HighlightToken& token) {
    char number[24];
    out.append(number, std::to_chars(number, number + sizeof number, token.line + 1).ptr);
    out += '\t';
    out.append(number, std::to_chars(number, number + sizeof number, token.start).ptr);
    out += '\t';
    out += TokenKindName(token.kind);
    out += '\t';
    out += token.text;
    out += '\n';
}

std::string FormatTokens(const std::vector<HighlightToken>& tokens) {
    std::string out;
    for (const HighlightToken& token : tokens) {
        AppendToken(out, token);
    }
    return out;
}

} // namespace qs
