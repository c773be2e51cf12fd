// One piece of a run's output as PSPP made it: a table, a chart, a text, the syntax of a
// command, or a message. The engine reads them from PSPP's HTML output; the Output window
// shows them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qs::engine {

struct OutputItem {
    enum class Kind { Table, Chart, Text, Syntax, Message };
    enum class Severity { None, Error, Warning, Note };

    Kind kind = Kind::Text;
    // Table: its caption; Chart: its description; Text, Syntax, Message: the text itself
    // (LF line ends, entities decoded).
    std::string title;
    // Table: the <table> element as PSPP wrote it (HTML, inline styles, footnotes); empty
    // for a table too large to keep as an item (a LIST of a whole dataset), which the
    // text output still holds.
    std::string html;
    // Chart: the image file. PSPP's name for it until the engine makes it a full path.
    std::string image;
    // Message: its severity and the line it names in the run's own text (0: none or another
    // file's line, which `title` then names).
    Severity severity = Severity::None;
    std::size_t line = 0;
};

using OutputItems = std::vector<OutputItem>;

} // namespace qs::engine
