// What each variable of a data file needs for its values to be shown as text: its print
// format's formatter and, where wanted, the lookup of its value labels. The CSV export and
// the engine's Data View share it.
#pragma once

#include "datafile/ValueFormat.h"
#include "platform/spssio/SavDictionary.h"
#include "platform/spssio/SavText.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qs {

struct CaseColumn {
    int variable = 0;
    bool numeric = true;
    bool hex = false;
    bool plain = false; // the format's text never needs quotes
    ValueFormatter format;
    std::unordered_map<double, std::string_view> numberLabels;
    std::unordered_map<std::string_view, std::string_view> textLabels;
};

// A column per variable, in the dictionary's order; with `labels`, their value labels.
std::vector<CaseColumn> MakeCaseColumns(const spssio::SavDictionary& dict, bool labels);

// A string value in UTF-8; bytes that do not decode become one '?' each, as in PSPP's
// output. `out` holds the text when it had to be recoded.
std::string_view CaseText(std::string_view bytes, bool utf8, spssio::Recoder& recode,
                          std::string& out);

} // namespace qs
