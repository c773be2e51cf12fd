// The checks of one command while typing; see LiveChecks.h.
#include "ui/LiveChecks.h"

#include "highlight/SynHighlighterSPSS.h"

#include <algorithm>
#include <cctype>
#include <tuple>
#include <utility>

namespace qs {

namespace {

int Distance(std::string_view a, std::string_view b) {
    std::vector<int> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = static_cast<int>(j);
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int up = row[j];
            const bool same = std::toupper(static_cast<unsigned char>(a[i - 1])) ==
                              std::toupper(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

bool StartsWord(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '@' || c == '#' || c == '$';
}

} // namespace

std::string NearestCommand(const TSynSPSSHighlighter& highlighter, std::string_view word) {
    std::string best;
    // A third of the word's letters may be wrong, at least one.
    int bestDistance = std::max<int>(1, static_cast<int>(word.size()) / 3) + 1;
    for (const std::string& command : highlighter.List(ElementList::Commands)) {
        const int distance = Distance(word, command);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = command;
        }
    }
    return best;
}

std::vector<LiveMark> CheckCommand(TSynSPSSHighlighter& highlighter,
                                   const std::vector<std::string_view>& lines, int startState) {
    std::vector<LiveMark> marks;
    struct Paren {
        std::size_t line, column;
    };
    std::vector<Paren> open;
    bool first = true;
    highlighter.SetLineState(startState);
    for (std::size_t l = 0; l < lines.size(); ++l) {
        highlighter.BeginLine(lines[l], static_cast<int>(l));
        for (; !highlighter.AtLineEnd(); highlighter.NextToken()) {
            const TokenKind kind = highlighter.GetTokenKind();
            const std::string_view text = highlighter.TokenText();
            const auto start = static_cast<std::size_t>(highlighter.TokenStart());
            if (kind == TokenKind::Space || kind == TokenKind::Comment) {
                continue;
            }
            if (std::exchange(first, false) && kind != TokenKind::Command &&
                kind != TokenKind::Execute && StartsWord(text.front())) {
                std::string word(text.substr(0, std::min(text.find_first_of(".(/="), text.size())));
                std::string message = "\"" + word + "\" is not a command the language knows";
                if (const std::string nearest = NearestCommand(highlighter, word); !nearest.empty()) {
                    message += "; did you mean " + nearest + "?";
                }
                marks.push_back({l, start, start + word.size(), std::move(message)});
            }
            if (kind == TokenKind::StringLiteral) {
                const char quote = text.front();
                if (text.size() < 2 || text.back() != quote) {
                    marks.push_back({l, start, start + text.size(),
                                     "The string is not closed: its " +
                                         std::string(quote == '"' ? "quote" : "apostrophe") +
                                         " is left open at the end of the line."});
                }
                continue;
            }
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (text[i] == '(') {
                    open.push_back({l, start + i});
                } else if (text[i] == ')' && !open.empty()) {
                    open.pop_back();
                } else if (text[i] == ')') {
                    marks.push_back({l, start + i, start + i + 1,
                                     "This parenthesis closes none opened in the command."});
                }
            }
        }
    }
    for (const Paren& paren : open) {
        marks.push_back({paren.line, paren.column, paren.column + 1,
                         "This parenthesis is not closed within the command."});
    }
    std::sort(marks.begin(), marks.end(), [](const LiveMark& a, const LiveMark& b) {
        return std::tie(a.line, a.start) < std::tie(b.line, b.start);
    });
    return marks;
}

} // namespace qs
