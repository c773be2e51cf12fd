// Splits syntax text into commands the way the engine reads typed syntax, and says how
// a command changes the active dataset, so that the engine host knows which file its
// data document stands for.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qs::engine {

struct SyntaxCommand {
    std::size_t firstLine = 0; // 1-based, counted in the text that was split
    std::size_t lastLine = 0;
    std::string text;          // the command's lines joined by LF
};

// Interactive rules: a period as the last non-blank character of a line ends a command,
// and so does a blank line; the lines from BEGIN DATA up to END DATA belong to the
// command before them. CR LF and lone CR count as line ends.
std::vector<SyntaxCommand> SplitCommands(std::string_view text);

struct DatasetChange {
    enum class Kind {
        None,     // leaves the active dataset where it came from
        Opened,   // GET FILE: the dataset now stands for `path`
        Replaced, // a new dataset that no file stands for yet
        Included  // INCLUDE/INSERT: the change is whatever `path`'s commands do
    };
    Kind kind = Kind::None;
    std::string path; // as written in the command (quotes removed), may be relative
};

// `text` as a single-quoted syntax string, each quote inside doubled.
std::string SyntaxQuoted(std::string_view text);

// What `command` (one command's text) does to the active dataset.
DatasetChange DatasetChangeOf(std::string_view command);

} // namespace qs::engine
