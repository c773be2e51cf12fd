// The cases of a data file as CSV, as GNU PSPP's SAVE TRANSLATE /TYPE=CSV /FIELDNAMES
// /TEXTOPTIONS FORMAT=VARIABLE writes them: a line of variable names, then one line per
// case (LF ends), values in their print formats with the padding trimmed, system-missing
// as a single blank, user-missing values as they are, fields quoted (RFC 4180) when they
// hold a comma, a quote or a line end; text in UTF-8.
#pragma once

#include "platform/spssio/CaseReader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qs {

struct CsvOptions {
    bool labels = false; // a value's label in place of the value, where it has one
};

// Receives the text in pieces of some hundred kilobytes; false stops the export.
using CsvSink = std::function<bool(std::string_view)>;

// Writes every case; false with error set at a damaged case (the cases before it are
// written) or when the sink refuses.
bool WriteCsv(spssio::CaseReader& reader, const CsvOptions& options, const CsvSink& sink,
              std::string& error);

// Appends a field, quoted where it needs to be.
void AppendCsvField(std::string& out, std::string_view text);

} // namespace qs
