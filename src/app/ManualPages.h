// Which page of PSPP's HTML manual (one page a command, named as texinfo names its nodes)
// tells about the command at the caret.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// The language definition's command names: single words (abbreviations among them), and
// those of two and of three words, each joined by one blank.
struct ManualVocabulary {
    std::vector<std::string> commands;
    std::vector<std::string> twoWordCommands;
    std::vector<std::string> threeWordCommands;
};

// The manual's start page and its index of commands.
inline constexpr std::string_view kManualStartPage = "index.html";
inline constexpr std::string_view kManualCommandIndex = "Command-Index.html";

// The file name texinfo gives a command's node: blanks become '-', other characters that
// are not letters or digits become _00xx ("T-TEST" gives "T_002dTEST.html").
std::string ManualPageName(std::string_view command);

// The first words of the command that line `line` (1-based) of `text` belongs to (or, on a
// line between commands, of the command after it), at most three, without a leading + - or
// . sign; a comment gives the word COMMENT.
std::vector<std::string> CommandHeadAt(std::string_view text, std::size_t line);

// The page of the command whose first words are `head`: its longest run of words that
// names a command of the language, where every word may be shortened to three letters or
// more (FREQ, VAR LAB); of the commands it may stand for, the longest with a page. Empty
// when no page fits; `hasPage` tells whether the manual has a page of that file name.
std::string ManualPageFor(const std::vector<std::string>& head, const ManualVocabulary& words,
                          const std::function<bool(const std::string&)>& hasPage);

} // namespace qs
