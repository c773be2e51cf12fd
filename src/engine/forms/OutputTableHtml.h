// PSPP's HTML tables as Qt's rich text can show them, and a shown table as tab-separated text
// for pasting into a spreadsheet.
#pragma once

#include <QString>

#include <string>

class QTextTable;

namespace qs {

// PSPP's <table> element rewritten where Qt's rich text needs it: cell borders with widths,
// collapsed borders, room around the cell text, the caption flush left.
QString QtTableHtml(const std::string& html);

// The table's cells, one line per row and a TAB between cells; a spanned cell's text sits in
// its first cell and the rest of the span is empty, so that a spreadsheet gets a grid.
QString TableTsv(const QTextTable& table);

} // namespace qs
