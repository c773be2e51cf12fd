// Comma text parsing and formatting.
#include "highlight/CommaText.h"

namespace qs {

namespace {

constexpr char kQuote = '"';
constexpr char kDelimiter = ',';

bool IsBlank(unsigned char c) {
    return c >= 1 && c <= 32;
}

// A cursor that treats a NUL byte like the end of the text.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}
    char Peek(size_t ahead = 0) const {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : '\0';
    }
    bool AtEnd() const { return Peek() == '\0'; }
    void Next() { ++m_pos; }
    void SkipBlanks() {
        while (IsBlank(static_cast<unsigned char>(Peek()))) {
            Next();
        }
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// Reads a quoted item starting at the opening quote; an unclosed item runs to the end.
std::string ReadQuoted(Cursor& cur) {
    std::string item;
    cur.Next();
    while (!cur.AtEnd()) {
        if (cur.Peek() == kQuote) {
            if (cur.Peek(1) != kQuote) {
                cur.Next();
                break;
            }
            cur.Next();
        }
        item += cur.Peek();
        cur.Next();
    }
    return item;
}

std::string ReadPlain(Cursor& cur) {
    std::string item;
    while (static_cast<unsigned char>(cur.Peek()) > 32 && cur.Peek() != kDelimiter) {
        item += cur.Peek();
        cur.Next();
    }
    return item;
}

bool NeedsQuotes(const std::string& item) {
    if (item.empty()) {
        return true;
    }
    for (char ch : item) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 32 || ch == kDelimiter || ch == kQuote) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<std::string> ParseCommaText(std::string_view text) {
    std::vector<std::string> items;
    Cursor cur(text);
    cur.SkipBlanks();
    while (!cur.AtEnd()) {
        items.push_back(cur.Peek() == kQuote ? ReadQuoted(cur) : ReadPlain(cur));
        cur.SkipBlanks();
        if (cur.Peek() == kDelimiter) {
            // A comma at the very end still separates: an empty last item follows it.
            if (cur.Peek(1) == '\0') {
                items.emplace_back();
            }
            cur.Next();
            cur.SkipBlanks();
        }
    }
    return items;
}

std::string FormatCommaText(const std::vector<std::string>& items) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += kDelimiter;
        }
        const std::string& item = items[i];
        if (!NeedsQuotes(item)) {
            out += item;
            continue;
        }
        out += kQuote;
        for (char ch : item) {
            out += ch;
            if (ch == kQuote) {
                out += kQuote;
            }
        }
        out += kQuote;
    }
    return out;
}

} // namespace qs
