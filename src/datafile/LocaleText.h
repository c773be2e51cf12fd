// Case-insensitive comparison of dictionary names under the user's locale, and the
// general float-to-text conversion the dictionary uses for numeric label values.
#pragma once

#include <string>
#include <string_view>

namespace qs {

// -1, 0 or +1. Letters compare without regard to case (UTF-8 aware), the order is the
// user locale's collation; strings that differ other than in case never compare equal,
// so the result is a total order fit for a search tree.
int CompareTextUserLocale(std::string_view a, std::string_view b);

inline bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
    return CompareTextUserLocale(a, b) == 0;
}

// General format with 15 significant digits, the shortest form: fixed notation while the
// integer part has at most 15 digits and the magnitude is at least 0.00001, otherwise
// scientific ("1E20", "1.5E-7"); the decimal separator is the user locale's.
std::string FloatToText(double value);

} // namespace qs
