// Mistakes in one command of syntax, found while typing and without the engine: a command
// word the language does not know, parentheses that do not balance within the command, a
// string left open at its line's end. The command's lines are read as the highlighter reads
// them, so that a comment is never checked and a string is what the screen shows as one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qs {

class TSynSPSSHighlighter;

struct LiveMark {
    std::size_t line = 0;  // of the lines given, from 0
    std::size_t start = 0; // bytes within that line
    std::size_t end = 0;
    std::string message;
};

// Checks the command made of `lines` (its first line first), the first starting in the
// highlighter line state `startState`.
std::vector<LiveMark> CheckCommand(TSynSPSSHighlighter& highlighter,
                                   const std::vector<std::string_view>& lines, int startState);

// The known command nearest to `word` in spelling (case ignored), or "" when none is near.
std::string NearestCommand(const TSynSPSSHighlighter& highlighter, std::string_view word);

} // namespace qs
