// Comma text: the list format of the language definition (items separated by commas and/or
// blanks, double-quoted items with "" for one quote, empty items between two commas).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qs {

// Splits comma text into its items. The text ends at the first NUL byte, as the
// language definition's texts are C strings.
std::vector<std::string> ParseCommaText(std::string_view text);

// Joins items so that ParseCommaText gives them back; quotes only where needed.
std::string FormatCommaText(const std::vector<std::string>& items);

} // namespace qs
