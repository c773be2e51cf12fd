// CSV export of a data file's cases; see CsvExport.h.
#include "datafile/CsvExport.h"

#include "datafile/ValueFormat.h"
#include "platform/spssio/SavText.h"

#include <cfloat>
#include <memory>
#include <unordered_map>
#include <vector>

namespace qs {

namespace {

constexpr std::int64_t kCasesPerRead = 4096;
constexpr std::size_t kFlushBytes = 256 * 1024;

// What one variable needs to be written: its formatter and, with labels, their lookup.
struct Column {
    int variable = 0;
    bool numeric = true;
    bool hex = false;
    ValueFormatter format;
    std::unordered_map<double, std::string_view> numberLabels;
    std::unordered_map<std::string_view, std::string_view> textLabels;
};

std::string_view TrimBlanks(std::string_view s, bool left)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    while (left && !s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

std::vector<Column> MakeColumns(const spssio::SavDictionary& dict, bool labels)
{
    std::vector<Column> columns;
    columns.reserve(dict.variables.size());
    const int epoch = ValueFormatter::DefaultEpoch();
    for (std::size_t i = 0; i < dict.variables.size(); ++i) {
        const spssio::SavVariable& v = dict.variables[i];
        const int f = v.printFormat;
        ValueFormat format{(f >> 16) & 0xFF, (f >> 8) & 0xFF, f & 0xFF};
        if (v.width > 0)
            format.width = format.type == 2 ? 2 * v.width : v.width; // past the 8-bit field
        Column c{static_cast<int>(i), v.width == 0, v.width > 0 && format.type == 2,
                 ValueFormatter(format, epoch), {}, {}};
        if (labels)
            for (const spssio::SavValueLabel& l : v.valueLabels) {
                // The first label of a value counts, as in the file's order.
                if (c.numeric)
                    c.numberLabels.emplace(l.number, l.label);
                else
                    c.textLabels.emplace(l.text, l.label);
            }
        columns.push_back(std::move(c));
    }
    return columns;
}

} // namespace

void AppendCsvField(std::string& out, std::string_view text)
{
    if (text.find_first_of(",\"\n\r") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue; // a CR LF inside a field is written as LF, as PSPP does
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

bool WriteCsv(spssio::CaseReader& reader, const CsvOptions& options, const CsvSink& sink,
              std::string& error)
{
    const spssio::SavDictionary& dict = reader.dictionary();
    std::vector<Column> columns = MakeColumns(dict, options.labels);
    spssio::Recoder recode(dict.encoding);
    std::string out;
    out.reserve(kFlushBytes + 64 * 1024);
    for (std::size_t i = 0; i < dict.variables.size(); ++i) {
        if (i > 0)
            out += ',';
        AppendCsvField(out, dict.variables[i].name);
    }
    out += '\n';

    spssio::CaseBlock block;
    std::string scratch, text;
    for (std::int64_t first = 0;; first += block.count) {
        const bool ok = reader.read(first, kCasesPerRead, block);
        for (std::int64_t row = 0; row < block.count; ++row) {
            const std::uint8_t* record = block.record(row);
            for (std::size_t i = 0; i < columns.size(); ++i) {
                Column& c = columns[i];
                if (i > 0)
                    out += ',';
                if (c.numeric) {
                    const double value = reader.number(record, c.variable);
                    if (!c.numberLabels.empty()) {
                        if (const auto it = c.numberLabels.find(value); it != c.numberLabels.end()) {
                            AppendCsvField(out, it->second);
                            continue;
                        }
                    }
                    if (value == -DBL_MAX)
                        out += ' ';
                    else
                        AppendCsvField(out, TrimBlanks(c.format.Number(value), true));
                    continue;
                }
                const std::string_view bytes = reader.bytes(record, c.variable, scratch);
                if (c.hex) {
                    AppendCsvField(out, TrimBlanks(c.format.String(bytes), true));
                    continue;
                }
                text = recode(bytes);
                const std::string_view value = TrimBlanks(text, false);
                if (!c.textLabels.empty()) {
                    if (const auto it = c.textLabels.find(value); it != c.textLabels.end()) {
                        AppendCsvField(out, it->second);
                        continue;
                    }
                }
                AppendCsvField(out, value);
            }
            out += '\n';
            if (out.size() >= kFlushBytes) {
                if (!sink(out)) {
                    error = "the output cannot be written";
                    return false;
                }
                out.clear();
            }
        }
        if (!ok) {
            sink(out);
            error = reader.error();
            return false;
        }
        if (block.count < kCasesPerRead)
            break;
    }
    if (!sink(out)) {
        error = "the output cannot be written";
        return false;
    }
    return true;
}

} // namespace qs
