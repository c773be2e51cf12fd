// Syntax read as PSPP 1.6.2's segmenter reads it: tokens, blanks, line ends and the places
// where a command ends, and the line rules of the constructs that take whole lines. The
// command splitter builds on it; its header states the rules.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace qs {

enum class SyntaxMode { Interactive, Batch };

class SyntaxSegmenter {
public:
    // Where the reading stands: the three facts PSPP's segmenter keeps between tokens.
    struct Cursor {
        std::size_t pos = 0;
        bool startOfLine = true;
        bool startOfCommand = true;
    };

    // One piece of the text, reduced to what bears on commands.
    struct Segment {
        enum class Kind : unsigned char {
            LineEnd,
            Blank,        // blanks, or a /* comment
            Token,        // what the lexer makes a token of
            EndCommand,   // a period that ends its line
            Separate,     // an empty line, or one of blanks and comments starting with a blank
            StartCommand, // + - or . in the first column; batch mode: any other first column
        };
        // What the first word of a command opens.
        enum class Opens : unsigned char { None, Comment, Document, Define, File, Do, Begin };

        Kind kind = Kind::Blank;
        std::size_t begin = 0;
        std::size_t end = 0;
        bool word = false; // a name (not a !name)
        Opens opens = Opens::None;

        bool Is(std::string_view text, char c) const {
            return end == begin + 1 && text[begin] == c;
        }
    };

    SyntaxSegmenter(std::string_view text, SyntaxMode mode) : m_text(text), m_mode(mode) {}

    std::string_view Text() const { return m_text; }
    SyntaxMode Mode() const { return m_mode; }

    // The segment at `c`, which moves past it. `c.pos` must be inside the text.
    Segment Next(Cursor& c) const;
    // The name that comes next from `pos` in the command, across a line end, as PSPP looks
    // ahead after DO, FILE and BEGIN; empty when something else comes first.
    std::string_view NextWord(std::size_t pos, std::size_t* after) const;
    // Whether BEGIN (from `beginAt` to `afterBegin`) opens inline data: DATA follows, then at
    // most a period before the line end. `dataNext`: DATA stands on the next line.
    bool OpensData(std::size_t beginAt, std::size_t afterBegin, bool& dataNext) const;

    // The LF that ends the line holding `pos`, or the end of the text.
    std::size_t LineEnd(std::size_t pos) const;
    // From `pos` to the line's end, without the CR of a CR LF.
    std::string_view LineText(std::size_t pos) const;
    // Past blanks (never a line end) and, if asked, /* comments.
    std::size_t SkipBlanks(std::size_t pos, bool comments) const;
    // Whether the character at `pos` is a blank.
    bool BlankAt(std::size_t pos) const;

    // The last character of `s` that is not a blank; 0 when there is none.
    static char32_t LastNonBlank(std::string_view s);
    // Where !ENDDEFINE starts in a line of a macro body, outside quotes and comments.
    static std::optional<std::size_t> FindEndDefine(std::string_view line);
    // Whether the line ends inline data: END DATA from the first column, one blank between
    // the words, then blanks and at most one period.
    static bool IsEndData(std::string_view line);
    static bool SameLetters(std::string_view a, std::string_view b);
    // PSPP's keyword match: the whole keyword, or at least `least` of its first letters.
    static bool Abbreviates(std::string_view word, std::string_view keyword, std::size_t least = 3);

private:
    std::string_view m_text;
    SyntaxMode m_mode;
};

} // namespace qs
