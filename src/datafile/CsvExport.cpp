// CSV export of a data file's cases; see CsvExport.h.
#include "datafile/CsvExport.h"

#include "datafile/ValueFormat.h"
#include "platform/Utf8.h"
#include "platform/spssio/SavText.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <memory>
#include <unordered_map>
#include <vector>

namespace qs {

namespace {

// Cases are decoded some megabytes at a time, however wide a case is.
constexpr std::size_t kReadBytes = 4 << 20;
constexpr std::size_t kFlushBytes = 256 * 1024;

// What one variable needs to be written: its formatter and, with labels, their lookup.
struct Column {
    int variable = 0;
    bool numeric = true;
    bool hex = false;
    bool plain = false; // the format's text never needs quotes
    ValueFormatter format;
    std::unordered_map<double, std::string_view> numberLabels;
    std::unordered_map<std::string_view, std::string_view> textLabels;
};

std::string_view TrimBlanks(std::string_view s, bool left) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    while (left && !s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

// A string value in UTF-8; bytes that do not decode become one '?' each, as in PSPP's
// output (the dictionary's recoder marks them U+FFFD).
std::string_view Text(std::string_view bytes, bool utf8, spssio::Recoder& recode,
                      std::string& out) {
    if (IsAscii(bytes) || (utf8 && FirstInvalidUtf8(bytes) == std::string_view::npos))
        return bytes;
    out.clear();
    if (utf8) {
        for (std::size_t i = 0; i < bytes.size();) {
            const std::size_t n = Utf8SequenceLength(bytes, i);
            out.append(n == 0 ? std::string_view("?") : bytes.substr(i, n));
            i += n == 0 ? 1 : n;
        }
        return out;
    }
    const std::string recoded = recode(bytes);
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    for (std::size_t i = 0; i < recoded.size();) {
        if (recoded.compare(i, kReplacement.size(), kReplacement) == 0) {
            out += '?';
            i += kReplacement.size();
        } else {
            out += recoded[i++];
        }
    }
    return out;
}

std::vector<Column> MakeColumns(const spssio::SavDictionary& dict, bool labels) {
    std::vector<Column> columns;
    columns.reserve(dict.variables.size());
    const int epoch = ValueFormatter::DefaultEpoch();
    for (std::size_t i = 0; i < dict.variables.size(); ++i) {
        const spssio::SavVariable& v = dict.variables[i];
        const int f = v.printFormat;
        ValueFormat format{(f >> 16) & 0xFF, (f >> 8) & 0xFF, f & 0xFF};
        if (v.width > 0)
            format.width = format.type == 2 ? 2 * v.width : v.width; // past the 8-bit field
        // Only the formats with a comma in them (COMMA, DOLLAR, DOT) may need quotes.
        const bool plain =
            v.width == 0 && format.type != 3 && format.type != 4 && format.type != 32;
        Column c{static_cast<int>(i),
                 v.width == 0,
                 v.width > 0 && format.type == 2,
                 plain,
                 ValueFormatter(format, epoch),
                 {},
                 {}};
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

void AppendCsvField(std::string& out, std::string_view text) {
    static constexpr auto kSpecial = [] {
        std::array<bool, 256> special{};
        for (const char c : {',', '"', '\n', '\r'})
            special[static_cast<unsigned char>(c)] = true;
        return special;
    }();
    bool quote = false;
    for (const char c : text)
        if (kSpecial[static_cast<unsigned char>(c)]) {
            quote = true;
            break;
        }
    if (!quote) {
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
              std::string& error) {
    const spssio::SavDictionary& dict = reader.dictionary();
    std::vector<Column> columns = MakeColumns(dict, options.labels);
    spssio::Recoder recode(dict.encoding);
    const std::string encoding = spssio::foldName(dict.encoding);
    const bool utf8 = encoding == "UTF-8" || encoding == "UTF8";
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
    const auto perRead = static_cast<std::int64_t>(
        std::max<std::size_t>(1, kReadBytes / std::max<std::size_t>(1, reader.recordBytes())));
    for (std::int64_t first = 0;; first += block.count) {
        const bool ok = reader.read(first, perRead, block);
        for (std::int64_t row = 0; row < block.count; ++row) {
            const std::uint8_t* record = block.record(row);
            for (std::size_t i = 0; i < columns.size(); ++i) {
                Column& c = columns[i];
                if (i > 0)
                    out += ',';
                if (c.numeric) {
                    const double value = reader.number(record, c.variable);
                    if (!c.numberLabels.empty()) {
                        if (const auto it = c.numberLabels.find(value);
                            it != c.numberLabels.end()) {
                            AppendCsvField(out, it->second);
                            continue;
                        }
                    }
                    if (value == -DBL_MAX)
                        out += ' ';
                    else if (c.plain)
                        out += TrimBlanks(c.format.Number(value), true);
                    else
                        AppendCsvField(out, TrimBlanks(c.format.Number(value), true));
                    continue;
                }
                const std::string_view bytes = reader.bytes(record, c.variable, scratch);
                if (c.hex) {
                    AppendCsvField(out, TrimBlanks(c.format.String(bytes), true));
                    continue;
                }
                const std::string_view value = TrimBlanks(Text(bytes, utf8, recode, text), false);
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
        if (block.count < perRead)
            break;
    }
    if (!sink(out)) {
        error = "the output cannot be written";
        return false;
    }
    return true;
}

} // namespace qs
