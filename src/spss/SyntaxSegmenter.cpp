// Syntax read as PSPP 1.6.2's segmenter reads it, reduced to what bears on commands.
#include "spss/SyntaxSegmenter.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace qs {
namespace {

struct CodePoint {
    char32_t value;
    std::size_t length;
};

// The code point at `pos`. A byte that starts no valid UTF-8 sequence is read, as PSPP reads
// it, as a replacement character: neither a blank nor a letter.
CodePoint At(std::string_view s, std::size_t pos) {
    if (static_cast<unsigned char>(s[pos]) < 0x80) {
        return {static_cast<unsigned char>(s[pos]), 1};
    }
    const std::size_t length = Utf8SequenceLength(s, pos);
    if (length == 0) {
        return {0xFFFD, 1};
    }
    char32_t value = static_cast<unsigned char>(s[pos]) & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        value = (value << 6) | (static_cast<unsigned char>(s[pos + k]) & 0x3F);
    }
    return {value, length};
}

// The Unicode spaces (categories Zs, Zl, Zp) and the ASCII controls tab to CR.
bool IsBlank(char32_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) ||
           (c >= 0x80 &&
            (c == 0xA0 || c == 0x85 || c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200A) ||
             c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000));
}

// Beyond ASCII a name takes the letters, marks, symbols and digits of any script. This keeps
// out the controls and the common punctuation, not every mark of every script: only a
// keyword followed at once by another such mark would be read otherwise.
bool IsOtherScriptWordChar(char32_t c) {
    if (c < 0xA0 || c == 0xFFFC || c == 0xFFFD || IsBlank(c)) {
        return false;
    }
    constexpr char32_t kLatinPunctuation[] = {0xA1, 0xA7, 0xAB, 0xAD, 0xB6, 0xB7, 0xBB, 0xBF};
    if (c < 0x100) {
        return std::find(std::begin(kLatinPunctuation), std::end(kLatinPunctuation), c) ==
               std::end(kLatinPunctuation);
    }
    const bool generalPunctuation = (c >= 0x2010 && c <= 0x206F && c != 0x2044 && c != 0x2052);
    const bool cjkPunctuation = (c >= 0x3001 && c <= 0x3003) || (c >= 0x3008 && c <= 0x3011) ||
                                (c >= 0x3014 && c <= 0x301F);
    return !generalPunctuation && !cjkPunctuation;
}

// ASCII classes, looked up: nearly every character of a file is ASCII.
enum : unsigned char { kWordStart = 1, kWordChar = 2 };
constexpr std::array<unsigned char, 128> kAscii = [] {
    std::array<unsigned char, 128> classes{};
    for (int c = 0; c < 128; ++c) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool start = letter || c == '@' || c == '#' || c == '$';
        const bool more = start || (c >= '0' && c <= '9') || c == '.' || c == '_';
        classes[static_cast<std::size_t>(c)] =
            static_cast<unsigned char>((start ? kWordStart : 0) | (more ? kWordChar : 0));
    }
    return classes;
}();

bool IsWordStart(char32_t c) {
    return c < 0x80 ? (kAscii[c] & kWordStart) != 0 : IsOtherScriptWordChar(c);
}

bool IsWordChar(char32_t c) {
    return c < 0x80 ? (kAscii[c] & kWordChar) != 0 : IsOtherScriptWordChar(c);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsQuote(char c) {
    return c == '\'' || c == '"';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Past a /* comment whose "/*" ends before `pos`: after its "*/", or at its line's end.
std::size_t CommentEnd(std::string_view s, std::size_t pos) {
    for (; pos < s.size(); ++pos) {
        if (s[pos] == '\n') {
            return pos;
        }
        if (s[pos] == '*' && pos + 1 < s.size() && s[pos + 1] == '/') {
            return pos + 2;
        }
    }
    return pos;
}

// Past blanks (never a line end) and, if asked, /* comments.
std::size_t SkipBlanksIn(std::string_view s, std::size_t pos, bool comments) {
    while (pos < s.size() && s[pos] != '\n') {
        if (s[pos] == ' ') {
            ++pos;
            continue;
        }
        if (comments && s[pos] == '/' && pos + 1 < s.size() && s[pos + 1] == '*') {
            pos = CommentEnd(s, pos + 2);
            continue;
        }
        const CodePoint c = At(s, pos);
        if (!IsBlank(c.value)) {
            break;
        }
        pos += c.length;
    }
    return pos;
}

// Whether only blanks and comments stand between `pos` and the end of its line.
bool EndsLine(std::string_view s, std::size_t pos) {
    pos = SkipBlanksIn(s, pos, true);
    return pos == s.size() || s[pos] == '\n';
}

// Past a string whose quote stands at `pos`: after its closing quote, or at the line end.
std::size_t StringEnd(std::string_view s, std::size_t pos) {
    const char quote = s[pos];
    for (++pos; pos < s.size() && s[pos] != '\n'; ++pos) {
        if (s[pos] == quote) {
            if (pos + 1 < s.size() && s[pos + 1] == quote) {
                ++pos;
                continue;
            }
            return pos + 1;
        }
    }
    return pos;
}

// Whether a string (or a line end) starts at `pos`: a + before it joins two strings.
bool StringStarts(std::string_view s, std::size_t pos) {
    if (pos >= s.size()) {
        return false;
    }
    const char c = Upper(s[pos]);
    if (c == 'X' || c == 'U') {
        return pos + 1 < s.size() && IsQuote(s[pos + 1]);
    }
    return IsQuote(c) || c == '\n';
}

} // namespace

SyntaxSegmenter::Segment SyntaxSegmenter::Next(Cursor& c) const {
    using Kind = Segment::Kind;
    const std::string_view s = m_text;
    Segment seg{Kind::Blank, c.pos, c.pos};
    const auto done = [&](Kind kind, std::size_t end) {
        seg.kind = kind;
        seg.end = c.pos = end;
        if (kind == Kind::Token) {
            c.startOfCommand = false;
        }
        return seg;
    };
    if (c.startOfLine) {
        c.startOfLine = false;
        const char first = s[c.pos];
        if (first == '+' && StringStarts(s, SkipBlanksIn(s, c.pos + 1, true))) {
            return done(Kind::Token, c.pos + 1);
        }
        if (first == '+' || first == '-' || first == '.') {
            c.startOfCommand = true;
            return done(Kind::StartCommand, c.pos + 1);
        }
        if (IsBlank(At(s, c.pos).value)) {
            if (EndsLine(s, c.pos)) {
                c.startOfCommand = true;
                return done(Kind::Separate, c.pos);
            }
        } else if (m_mode == SyntaxMode::Batch && !c.startOfCommand) {
            c.startOfCommand = true;
            return done(Kind::StartCommand, c.pos);
        }
        c.startOfCommand = true;
    }
    const std::size_t pos = c.pos;
    const char ch = s[pos];
    const char next = pos + 1 < s.size() ? s[pos + 1] : '\0';
    if (ch == '\n') {
        c.startOfLine = true;
        return done(Kind::LineEnd, pos + 1);
    }
    if (ch == '/' && next == '*') {
        return done(Kind::Blank, CommentEnd(s, pos + 2));
    }
    const CodePoint cp = At(s, pos);
    if (IsBlank(cp.value)) {
        return done(Kind::Blank, SkipBlanksIn(s, pos, false));
    }
    if (ch == '*' && c.startOfCommand) {
        seg.opens = Segment::Opens::Comment;
        return done(Kind::Token, pos + 1);
    }
    if (ch == '.' && !IsDigit(next)) {
        if (EndsLine(s, pos + 1)) {
            c.startOfCommand = true;
            return done(Kind::EndCommand, pos + 1);
        }
        return done(Kind::Token, pos + 1);
    }
    if (IsQuote(ch)) {
        return done(Kind::Token, StringEnd(s, pos));
    }
    if ((Upper(ch) == 'X' || Upper(ch) == 'U') && IsQuote(next)) {
        return done(Kind::Token, StringEnd(s, pos + 1));
    }
    if (IsDigit(ch) || ch == '.') {
        // Digits, a fraction, an exponent: a period that ends the line is left to end the
        // command.
        std::size_t end = pos + 1;
        const auto digits = [&] {
            while (end < s.size() && IsDigit(s[end])) {
                ++end;
            }
        };
        digits();
        if (ch != '.' && end + 1 < s.size() && s[end] == '.' && IsDigit(s[end + 1])) {
            ++end;
            digits();
        }
        if (end < s.size() && Upper(s[end]) == 'E') {
            ++end;
            if (end < s.size() && (s[end] == '+' || s[end] == '-')) {
                ++end;
            }
            digits();
        }
        return done(Kind::Token, end);
    }
    if (ch == '!' && next == '*') {
        return done(Kind::Token, pos + 2);
    }
    if (ch != '!' && !IsWordStart(cp.value)) {
        return done(Kind::Token, pos + cp.length); // punctuation, or a character PSPP refuses
    }
    std::size_t end = pos + cp.length;
    while (end < s.size()) {
        const auto byte = static_cast<unsigned char>(s[end]);
        if (byte < 0x80) {
            if ((kAscii[byte] & kWordChar) == 0) {
                break;
            }
            ++end;
            continue;
        }
        const CodePoint more = At(s, end);
        if (!IsWordChar(more.value)) {
            break;
        }
        end += more.length;
    }
    if (s[end - 1] == '.' && end - 1 > pos && EndsLine(s, end)) {
        --end; // the period ends the command, not the name
    }
    seg.word = ch != '!';
    if (c.startOfCommand) {
        using O = Segment::Opens;
        const std::string_view word = s.substr(pos, end - pos);
        seg.opens = Abbreviates(word, "COMMENT", 4)  ? O::Comment
                    : Abbreviates(word, "DOCUMENT")  ? O::Document
                    : Abbreviates(word, "DEFINE", 6) ? O::Define
                    : Abbreviates(word, "FILE")      ? O::File
                    : Abbreviates(word, "DO")        ? O::Do
                    : Abbreviates(word, "BEGIN")     ? O::Begin
                                                     : O::None;
    }
    return done(Kind::Token, end);
}

std::string_view SyntaxSegmenter::NextWord(std::size_t pos, std::size_t* after) const {
    using Kind = Segment::Kind;
    Cursor c{pos, false, false};
    while (c.pos < m_text.size()) {
        const Segment s = Next(c);
        if (s.kind == Kind::LineEnd || s.kind == Kind::Blank) {
            continue;
        }
        const bool opensText =
            s.opens == Segment::Opens::Comment || s.opens == Segment::Opens::Document;
        if (s.kind != Kind::Token || !s.word || opensText) {
            break;
        }
        if (after != nullptr) {
            *after = s.end;
        }
        return m_text.substr(s.begin, s.end - s.begin);
    }
    return {};
}

bool SyntaxSegmenter::OpensData(std::size_t beginAt, std::size_t afterBegin, bool& dataNext) const {
    std::size_t pos = 0;
    if (!Abbreviates(NextWord(afterBegin, &pos), "DATA")) {
        return false;
    }
    pos = SkipBlanks(pos, true);
    if (pos < m_text.size() && m_text[pos] == '.') {
        pos = SkipBlanks(pos + 1, true);
    }
    if (pos < m_text.size() && m_text[pos] != '\n') {
        return false;
    }
    dataNext = m_text.substr(beginAt, pos - beginAt).find('\n') != std::string_view::npos;
    return true;
}

std::size_t SyntaxSegmenter::LineEnd(std::size_t pos) const {
    const std::size_t end = m_text.find('\n', pos);
    return end == std::string_view::npos ? m_text.size() : end;
}

std::string_view SyntaxSegmenter::LineText(std::size_t pos) const {
    const std::size_t end = LineEnd(pos);
    const bool crlf = end < m_text.size() && end > pos && m_text[end - 1] == '\r';
    return m_text.substr(pos, end - pos - (crlf ? 1 : 0));
}

std::size_t SyntaxSegmenter::SkipBlanks(std::size_t pos, bool comments) const {
    return SkipBlanksIn(m_text, pos, comments);
}

bool SyntaxSegmenter::BlankAt(std::size_t pos) const {
    return pos < m_text.size() && IsBlank(At(m_text, pos).value);
}

char32_t SyntaxSegmenter::LastNonBlank(std::string_view s) {
    char32_t last = 0;
    for (std::size_t i = 0; i < s.size();) {
        const CodePoint c = At(s, i);
        if (!IsBlank(c.value)) {
            last = c.value;
        }
        i += c.length;
    }
    return last;
}

std::optional<std::size_t> SyntaxSegmenter::FindEndDefine(std::string_view line) {
    constexpr std::string_view kEnd = "!ENDDEFINE";
    for (std::size_t pos = 0;;) {
        pos = SkipBlanksIn(line, pos, true);
        if (pos + kEnd.size() > line.size()) {
            return std::nullopt;
        }
        const char c = line[pos];
        if (c == '!' && SameLetters(line.substr(pos, kEnd.size()), kEnd)) {
            return pos;
        }
        ++pos;
        if (IsQuote(c)) {
            pos = line.find(c, pos);
            if (pos == std::string_view::npos) {
                return std::nullopt;
            }
            ++pos;
        }
    }
}

bool SyntaxSegmenter::IsEndData(std::string_view line) {
    if (line.size() < 4 || !SameLetters(line.substr(0, 3), "END")) {
        return false;
    }
    const CodePoint gap = At(line, 3);
    if (!IsBlank(gap.value)) {
        return false;
    }
    std::size_t pos = 3 + gap.length;
    if (line.size() - pos < 4 || !SameLetters(line.substr(pos, 4), "DATA")) {
        return false;
    }
    bool period = false;
    for (pos += 4; pos < line.size();) {
        const CodePoint c = At(line, pos);
        if (c.value == '.' && !period) {
            period = true;
        } else if (!IsBlank(c.value)) {
            return false;
        }
        pos += c.length;
    }
    return true;
}

bool SyntaxSegmenter::SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Upper(x) == Upper(y); });
}

bool SyntaxSegmenter::Abbreviates(std::string_view word, std::string_view keyword,
                                  std::size_t least) {
    if (word.size() >= least && word.size() < keyword.size()) {
        return SameLetters(word, keyword.substr(0, word.size()));
    }
    return SameLetters(word, keyword);
}

} // namespace qs
