#include "app/EditorPosition.h"

#include <algorithm>
#include <cstring>

namespace qs {

namespace {

constexpr std::size_t kLongestNumber = 15; // more digits than any document has lines

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

LineNumberInput ParseLineNumber(std::string_view text, long lineCount) {
    const std::string_view digits = Trimmed(text);
    LineNumberInput result;
    if (digits.empty()) {
        result.error = "Enter a line number from 1 to " + std::to_string(lineCount) + ".";
        return result;
    }
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        result.error = "\"" + std::string(digits) + "\" is not a line number.";
        return result;
    }
    long line = -1;
    if (digits.size() <= kLongestNumber) {
        line = std::stol(std::string(digits));
    }
    if (line < 1 || line > lineCount) {
        result.error = "There is no line " + std::string(digits) + ": the document has " +
                       std::to_string(lineCount) + (lineCount == 1 ? " line." : " lines.");
        return result;
    }
    result.line = line;
    return result;
}

std::string CaretStatusText(long line, long column, bool modified) {
    std::string text = "Ln " + std::to_string(line) + ", Col " + std::to_string(column);
    if (modified) {
        text += "  Modified";
    }
    return text;
}

long ColumnAfter(std::string_view text, long start, int tabWidth) {
    long column = start;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        // Runs without a tab count by their characters alone: the lead bytes.
        const void* tab = std::memchr(p, '\t', static_cast<std::size_t>(end - p));
        const char* stop = tab != nullptr ? static_cast<const char*>(tab) : end;
        for (; p < stop; ++p) {
            column += (static_cast<unsigned char>(*p) & 0xC0) != 0x80;
        }
        if (p < end) {
            column = (column / tabWidth + 1) * tabWidth;
            ++p;
        }
    }
    return column;
}

} // namespace qs
