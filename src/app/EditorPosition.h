// Places in the syntax document as the user sees them: the line number typed into Go to
// line, and the caret's line, column and the modified marker in the status bar.
#pragma once

#include <string>
#include <string_view>

namespace qs {

struct LineNumberInput {
    long line = 0;     // from 1; valid when error is empty
    std::string error; // what to tell the user otherwise
};

// A whole number from 1 to lineCount, blanks around it allowed.
LineNumberInput ParseLineNumber(std::string_view text, long lineCount);

// "Ln 12, Col 5", and "Ln 12, Col 5  Modified" while the document has unsaved changes
// (both from 1). Spelled out: "12:5" alone reads as a time of day.
std::string CaretStatusText(long line, long column, bool modified);

// The display column reached after `text` (UTF-8), starting at column `start` (from 0):
// one column per character, tabs to the next multiple of tabWidth.
long ColumnAfter(std::string_view text, long start, int tabWidth);

} // namespace qs
