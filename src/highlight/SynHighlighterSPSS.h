// TSynSPSSHighlighter: splits one line of SPSS command syntax at a time into tokens and
// gives each token a kind and a display attribute. The word lists come from the language
// element source; the names of the open data file's variables are set from outside.
#pragma once

#include "highlight/LanguageElements.h"
#include "highlight/SynHighlighterAttributes.h"
#include "highlight/WordIndex.h"
#include "highlight/WordTable.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// The editor reads the ordinals, so the order is fixed.
enum class TokenKind : std::uint8_t {
    Comment,
    StringLiteral,
    LineEnd,
    Number,
    Space,
    Symbol,
    Macro,
    Command,
    Variable,
    Function,
    Operator,
    Execute,
    SystemScratchVariable,
    Subcommand,
    Keyword,
    Unknown,
};
inline constexpr int kTokenKindCount = 16;
std::string_view TokenKindName(TokenKind kind);

enum class LineState : std::uint8_t { Normal = 0, InComment = 1 };

// Which of the class lists a word is in; the order of the class code sequence.
enum class ClassCode : std::uint8_t {
    None,
    C,
    S,
    K,
    F,
    O,
    CK,
    CS,
    SK,
    CF,
    SF,
    KF,
    OK,
    CSK,
    CKF,
    CSF,
    SKF,
};

// Where the scan of a line stands between two tokens: all it carries on from there, so a
// scan can go on from a point kept earlier without reading the line before it again.
struct ScanPoint {
    size_t pos = 0; // where the next token starts
    LineState state = LineState::Normal;
    std::ptrdiff_t lastEquals = -1; // the last '=' and '/' before pos
    std::ptrdiff_t lastSlash = -1;
    size_t reach = 0; // one past the furthest byte the tokens before pos have read
    // Whether a scan from here goes on as one from `other` does. Of the marks, the word rule
    // only asks which kinds there were and which came last; reach only bounds the past.
    bool ScansOnAs(const ScanPoint& other) const {
        return pos == other.pos && state == other.state &&
               (lastEquals < 0) == (other.lastEquals < 0) &&
               (lastSlash < 0) == (other.lastSlash < 0) &&
               (lastEquals > lastSlash) == (other.lastEquals > other.lastSlash);
    }
};

struct WordClass {
    ClassCode code = ClassCode::None;
    TokenKind preliminary = TokenKind::Unknown;
    bool starter = false;
};

class TSynSPSSHighlighter : public TSynCustomHighlighter {
public:
    // Takes the word lists from the program's language definition.
    TSynSPSSHighlighter();
    explicit TSynSPSSHighlighter(const LanguageElements& elements);

    // Attributes, as published.
    TSynHighlighterAttributes& CommentAttri() { return m_comment; }
    TSynHighlighterAttributes& NumberAttri() { return m_number; }
    TSynHighlighterAttributes& SpaceAttri() { return m_space; }
    TSynHighlighterAttributes& StringAttri() { return m_string; }
    TSynHighlighterAttributes& SymbolAttri() { return m_symbol; }
    TSynHighlighterAttributes& SPSSOperatorAttri() { return m_operator; }
    TSynHighlighterAttributes& SPSSMacroAttri() { return m_macro; }
    TSynHighlighterAttributes& SPSSExecuteAttri() { return m_execute; }
    TSynHighlighterAttributes& SPSSSytemScratchVariableAttri() { return m_systemScratch; }
    TSynHighlighterAttributes& SPSSSubcommandAttri() { return m_subcommand; }
    TSynHighlighterAttributes& SPSSVariableAttri() { return m_variable; }
    TSynHighlighterAttributes& SPSSCommandAttri() { return m_command; }
    TSynHighlighterAttributes& SPSSFunctionAttri() { return m_function; }
    TSynHighlighterAttributes& SPSSKeyWordAttri() { return m_keyword; }
    TSynHighlighterAttributes& UnknownAttri() { return m_unknown; }
    // The attribute of a token kind; nullptr for LineEnd.
    TSynHighlighterAttributes* AttributeFor(TokenKind kind);

    // The editor's interface. `line` must stay alive while the line is scanned; the line
    // ends at the end of `line`, and a NUL byte inside it is an ordinary character.
    void BeginLine(std::string_view line, int lineNumber);
    void NextToken();
    bool AtLineEnd() const { return m_kind == TokenKind::LineEnd; }
    std::string_view TokenText() const { return m_line.substr(m_tokenStart, m_run - m_tokenStart); }
    int TokenStart() const { return static_cast<int>(m_tokenStart); }
    TokenKind GetTokenKind() const { return m_kind; }
    int TokenKindOrdinal() const { return static_cast<int>(m_kind); }
    TSynHighlighterAttributes* TokenAttributes() { return AttributeFor(m_kind); }
    int GetLineState() const { return static_cast<int>(m_state); }
    void SetLineState(int state);
    void ResetLineState() { m_state = LineState::Normal; }
    int LineNumber() const { return m_lineNumber; }

    // Resuming a line's scan. ResumeLine starts at a point taken by PointAfterToken on the
    // same line (or made by StartPoint), as if the line had been scanned from its start.
    static ScanPoint StartPoint(int state);
    ScanPoint PointAfterToken();
    void ResumeLine(std::string_view line, int lineNumber, const ScanPoint& point);
    // The first byte the comment rule counts as content (a letter or a digit 1 to 9); the
    // line's length when there is none. A star after content starts no comment.
    static size_t FirstContent(std::string_view line);
    // Changes whenever the words change, so styles kept from an earlier scan can be known
    // to be out of date.
    unsigned Generation() const { return m_generation; }
    // 0 comment, 3 string, 4 whitespace, 5 symbol; nullptr for every other role.
    TSynHighlighterAttributes* DefaultAttributesFor(int role);
    static const std::bitset<256>& WordCharacters();
    static std::string_view SampleSource();
    static std::string_view LanguageName() { return "SPSS Syntax Files"; }
    const std::string& DefaultFilter() const { return m_defaultFilter; }
    void SetDefaultFilter(std::string filter) { m_defaultFilter = std::move(filter); }

    // Names of the open data file's variables; setting replaces them with a copy.
    const std::vector<std::string>& Variables() const { return m_variables; }
    void SetVariables(const std::vector<std::string>& names);

    // Takes colours and styles of the registered attributes from another SPSS highlighter;
    // does nothing for any other kind of highlighter.
    void CopyStylesFrom(const TSynCustomHighlighter* other);

    // A word list, sorted (case ignored) as filled from the language elements.
    const std::vector<std::string>& List(ElementList list) const {
        return m_lists[static_cast<size_t>(list)];
    }
    WordClass ClassifyWord(std::string_view word) const;

private:
    using RuleProc = void (TSynSPSSHighlighter::*)();

    void BuildLists(const LanguageElements& elements);
    void BuildWordTable();
    void BuildDispatchTable();
    void RegisterAttributes();

    char At(size_t pos) const { return pos < m_line.size() ? m_line[pos] : '\0'; }
    bool AtEnd(size_t pos) const { return pos >= m_line.size(); }

    // Rules, one per kind of first character.
    void LineEndProc();
    void LineFeedProc();
    void CarriageReturnProc();
    void SpaceProc();
    void SymbolProc();
    void OperatorProc();
    void UnknownProc();
    void StringProc();
    void NumberProc();
    void MacroProc();
    void ScratchOrSystemProc();
    void SlashProc();
    void StarProc();
    void CommentProc();
    void WordProc();

    // Word rule helpers.
    void PhraseLookAhead(std::string_view word, size_t& phraseEnd);
    void PhraseLookAheadFrom(std::string_view word, size_t& pos, size_t& phraseEnd);
    bool HasStarterPrefix(std::string_view word) const;
    void ApplyClassRule(ClassCode code, size_t wordStart);
    char BackToEqualsOrSlash(bool equals, bool slash);
    void GatherMarks(size_t upTo);
    void ParenNext();
    bool HasContentBefore(size_t pos);
    bool QuoteAfter(size_t pos);

    // Attributes in creation order.
    TSynHighlighterAttributes m_unknown;
    TSynHighlighterAttributes m_comment;
    TSynHighlighterAttributes m_number;
    TSynHighlighterAttributes m_space;
    TSynHighlighterAttributes m_string;
    TSynHighlighterAttributes m_symbol;
    TSynHighlighterAttributes m_operator;
    TSynHighlighterAttributes m_macro;
    TSynHighlighterAttributes m_execute;
    TSynHighlighterAttributes m_systemScratch;
    TSynHighlighterAttributes m_subcommand;
    TSynHighlighterAttributes m_variable;
    TSynHighlighterAttributes m_command;
    TSynHighlighterAttributes m_function;
    TSynHighlighterAttributes m_keyword;

    std::array<std::vector<std::string>, kElementListCount> m_lists;
    std::vector<std::string> m_variables;
    // Every list entry flagged by the lists it is in, and the variable names flagged as
    // such: one probe classifies a word.
    WordTable m_words;
    WordIndex m_starters; // MultiWordStarters, walked along a word to find starter prefixes
    std::string m_phrase; // the phrase being looked up by the look-ahead
    std::array<RuleProc, 256> m_procTable{};
    std::string m_defaultFilter;
    unsigned m_generation = 0;

    // Scanner state of the current line.
    std::string_view m_line;
    int m_lineNumber = 0;
    size_t m_run = 0;
    size_t m_tokenStart = 0;
    TokenKind m_kind = TokenKind::LineEnd;
    LineState m_state = LineState::Normal;
    // Facts about the line found once, on first need (see the rules that use them).
    size_t m_markPos = 0;
    std::ptrdiff_t m_lastEquals = -1;
    std::ptrdiff_t m_lastSlash = -1;
    bool m_contentKnown = false;
    size_t m_firstContent = 0;
    bool m_quoteKnown = false;
    std::ptrdiff_t m_lastQuote = -1;
    size_t m_reach = 0; // one past the furthest byte read so far
};

} // namespace qs
