// Columns of a data file shown as text; see CaseColumns.h.
#include "datafile/CaseColumns.h"

#include "platform/Utf8.h"

namespace qs {

// The dictionary's recoder marks undecodable bytes U+FFFD; PSPP writes one '?' for each.
std::string_view CaseText(std::string_view bytes, bool utf8, spssio::Recoder& recode,
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

std::vector<CaseColumn> MakeCaseColumns(const spssio::SavDictionary& dict, bool labels) {
    std::vector<CaseColumn> columns;
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
        CaseColumn c{static_cast<int>(i),
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

} // namespace qs
