// TSynSPSSHighlighter: construction, word lists, attributes and the editor interface.
// The scanning rules are in SynHighlighterSPSSRules.cpp.
#include "highlight/SynHighlighterSPSS.h"

#include "highlight/CommaText.h"
#include "highlight/SynHighlighterSPSSInternal.h"

#include <algorithm>

namespace qs {

namespace {

constexpr std::array<std::string_view, kTokenKindCount> kKindNames = {
    "Comment",
    "StringLiteral",
    "LineEnd",
    "Number",
    "Space",
    "Symbol",
    "Macro",
    "Command",
    "Variable",
    "Function",
    "Operator",
    "Execute",
    "SystemScratchVariable",
    "Subcommand",
    "Keyword",
    "Unknown",
};

// List index to the flag it sets in the word index.
constexpr std::array<std::uint32_t, kElementListCount> kListFlags = {
    word_flags::kCommand,        word_flags::kFunction,  word_flags::kSubcommand,
    word_flags::kKeyword,        word_flags::kThreeWord, word_flags::kTwoWord,
    word_flags::kStarter,        word_flags::kOperator,  word_flags::kExecute,
    word_flags::kSystemVariable,
};

constexpr std::string_view kSampleSource = "* Comment.\r\n"
                                           "/* Another comment*/\r\n"
                                           "GET FILE = !QUOTE(#Scratch).\r\n"
                                           "FREQUENCY MyVar /MISSING=INCLUDE.\r\n"
                                           "VAR LAB MyVar 'Label for variable MyVar'.\r\n"
                                           "SELECT IF (Region EQ 'NW').\r\n"
                                           "COMPUTE MyVar=1000 + MAX(TestVar).\r\n"
                                           "execute.\r\n";

} // namespace

std::string_view TokenKindName(TokenKind kind) {
    auto index = static_cast<size_t>(kind);
    return index < kKindNames.size() ? kKindNames[index] : std::string_view("Unknown");
}

TSynSPSSHighlighter::TSynSPSSHighlighter() : TSynSPSSHighlighter(GetLanguageElements()) {}

TSynSPSSHighlighter::TSynSPSSHighlighter(const LanguageElements& elements)
    : m_unknown("Unknown"), m_comment("Comment", 0xFF0000, clNone, fsItalic),
      m_number("Number", 0x0000FF), m_space("Space"), m_string("String", 0x0000FF),
      m_symbol("Symbol", 0xFF0000), m_operator("SPSS operator", 0x800080),
      m_macro("SPSS macro", 0x000000, clNone, fsBold),
      m_execute("SPSS execute command", 0x000000, clNone, fsBold),
      m_systemScratch("SPSS system variable", 0x008000),
      m_subcommand("SPSS subcommand", 0x0000FF, clNone, fsBold),
      m_variable("SPSS variable", 0x008000), m_command("SPSS command", 0x000000, clNone, fsBold),
      m_function("SPSS function", 0x808000), m_keyword("SPSS keywords", 0x00FF00, clNone, fsItalic),
      m_defaultFilter("SPSS Syntax Files (*.sps)|*.sps") {
    BuildLists(elements);
    RegisterAttributes();
    BuildDispatchTable();
}

void TSynSPSSHighlighter::BuildLists(const LanguageElements& elements) {
    for (size_t i = 0; i < kElementListCount; ++i) {
        m_lists[i] = ParseCommaText(elements.texts[i]);
    }
    for (const std::string& entry : m_lists[static_cast<size_t>(ElementList::MultiWordStarters)]) {
        m_starters.Add(entry, word_flags::kStarter);
    }
    BuildWordTable();
    // Sorted once after filling; duplicates stay.
    for (auto& list : m_lists) {
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return CompareTextNoCase(a, b) < 0; });
    }
}

void TSynSPSSHighlighter::BuildWordTable() {
    ++m_generation;
    m_words.Clear();
    for (size_t i = 0; i < kElementListCount; ++i) {
        for (const std::string& entry : m_lists[i]) {
            m_words.Add(entry, kListFlags[i]);
        }
    }
    for (const std::string& name : m_variables) {
        m_words.Add(name, word_flags::kVariable);
    }
}

void TSynSPSSHighlighter::RegisterAttributes() {
    for (TSynHighlighterAttributes* attribute :
         {&m_comment, &m_number, &m_space, &m_string, &m_symbol, &m_operator, &m_macro, &m_execute,
          &m_systemScratch, &m_subcommand, &m_variable, &m_command, &m_function, &m_keyword}) {
        AddAttribute(*attribute);
    }
    // "Unknown" is not registered, but a change to it still has to redraw the editors.
    m_unknown.SetOnChange([this] { NotifyChange(); });
}

void TSynSPSSHighlighter::BuildDispatchTable() {
    for (int c = 0; c < 256; ++c) {
        RuleProc proc = &TSynSPSSHighlighter::UnknownProc;
        if (c == 10) {
            proc = &TSynSPSSHighlighter::LineFeedProc;
        } else if (c == 13) {
            proc = &TSynSPSSHighlighter::CarriageReturnProc;
        } else if (c >= 1 && c <= 32) {
            proc = &TSynSPSSHighlighter::SpaceProc;
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '@') {
            proc = &TSynSPSSHighlighter::WordProc;
        } else if (c >= '0' && c <= '9') {
            proc = &TSynSPSSHighlighter::NumberProc;
        } else {
            switch (c) {
            case '!':
                proc = &TSynSPSSHighlighter::MacroProc;
                break;
            case '"':
            case '\'':
                proc = &TSynSPSSHighlighter::StringProc;
                break;
            case '#':
            case '$':
                proc = &TSynSPSSHighlighter::ScratchOrSystemProc;
                break;
            case '(':
            case ')':
            case '[':
            case ']':
            case '{':
            case '}':
                proc = &TSynSPSSHighlighter::SymbolProc;
                break;
            case '*':
                proc = &TSynSPSSHighlighter::StarProc;
                break;
            case '/':
                proc = &TSynSPSSHighlighter::SlashProc;
                break;
            case '<':
            case '=':
            case '>':
            case '~':
                proc = &TSynSPSSHighlighter::OperatorProc;
                break;
            default:
                break;
            }
        }
        // Code 0 stays UnknownProc: the line ends where its text ends, so a NUL byte
        // inside a line is an ordinary character and the rest of the line still shows.
        m_procTable[static_cast<size_t>(c)] = proc;
    }
}

TSynHighlighterAttributes* TSynSPSSHighlighter::AttributeFor(TokenKind kind) {
    switch (kind) {
    case TokenKind::Comment:
        return &m_comment;
    case TokenKind::StringLiteral:
        return &m_string;
    case TokenKind::LineEnd:
        return nullptr;
    case TokenKind::Number:
        return &m_number;
    case TokenKind::Space:
        return &m_space;
    case TokenKind::Symbol:
        return &m_symbol;
    case TokenKind::Macro:
        return &m_macro;
    case TokenKind::Command:
        return &m_command;
    case TokenKind::Variable:
        return &m_variable;
    case TokenKind::Function:
        return &m_function;
    case TokenKind::Operator:
        return &m_operator;
    case TokenKind::Execute:
        return &m_execute;
    case TokenKind::SystemScratchVariable:
        return &m_systemScratch;
    case TokenKind::Subcommand:
        return &m_subcommand;
    case TokenKind::Keyword:
        return &m_keyword;
    case TokenKind::Unknown:
        return &m_unknown;
    }
    return &m_unknown;
}

void TSynSPSSHighlighter::BeginLine(std::string_view line, int lineNumber) {
    m_line = line;
    m_lineNumber = lineNumber;
    m_run = 0;
    m_markPos = 0;
    m_lastEquals = -1;
    m_lastSlash = -1;
    m_contentKnown = false;
    m_quoteKnown = false;
    m_reach = 0;
    NextToken();
}

ScanPoint TSynSPSSHighlighter::StartPoint(int state) {
    ScanPoint point;
    point.state =
        state == static_cast<int>(LineState::InComment) ? LineState::InComment : LineState::Normal;
    return point;
}

ScanPoint TSynSPSSHighlighter::PointAfterToken() {
    // The marks are gathered lazily; up to the point, they make two points comparable.
    GatherMarks(m_run);
    return ScanPoint{m_run, m_state, m_lastEquals, m_lastSlash, m_reach};
}

void TSynSPSSHighlighter::ResumeLine(std::string_view line, int lineNumber,
                                     const ScanPoint& point) {
    m_line = line;
    m_lineNumber = lineNumber;
    m_run = point.pos;
    m_state = point.state;
    m_markPos = point.pos;
    m_lastEquals = point.lastEquals;
    m_lastSlash = point.lastSlash;
    m_contentKnown = false;
    m_quoteKnown = false;
    m_reach = point.reach;
    NextToken();
}

void TSynSPSSHighlighter::NextToken() {
    m_tokenStart = m_run;
    if (m_state == LineState::InComment) {
        CommentProc();
    } else if (AtEnd(m_run)) {
        LineEndProc();
    } else {
        (this->*m_procTable[static_cast<unsigned char>(m_line[m_run])])();
    }
    // Every rule reads at most one byte past its token; the word rule says when it reads on.
    m_reach = std::max(m_reach, m_run + 2);
}

void TSynSPSSHighlighter::SetLineState(int state) {
    m_state =
        state == static_cast<int>(LineState::InComment) ? LineState::InComment : LineState::Normal;
}

TSynHighlighterAttributes* TSynSPSSHighlighter::DefaultAttributesFor(int role) {
    switch (role) {
    case 0:
        return &m_comment;
    case 3:
        return &m_string;
    case 4:
        return &m_space;
    case 5:
        return &m_symbol;
    default:
        return nullptr;
    }
}

const std::bitset<256>& TSynSPSSHighlighter::WordCharacters() {
    static const std::bitset<256> set = [] {
        std::bitset<256> s;
        for (int c = 0; c < 256; ++c) {
            bool ascii = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' ||
                         (c >= 'a' && c <= 'z');
            bool accented = c >= 0xC0 && c != 0xD7 && c != 0xF7;
            s[static_cast<size_t>(c)] = ascii || accented;
        }
        return s;
    }();
    return set;
}

std::string_view TSynSPSSHighlighter::SampleSource() {
    return kSampleSource;
}

void TSynSPSSHighlighter::SetVariables(const std::vector<std::string>& names) {
    m_variables = names;
    BuildWordTable();
}

void TSynSPSSHighlighter::CopyStylesFrom(const TSynCustomHighlighter* other) {
    const auto* source = dynamic_cast<const TSynSPSSHighlighter*>(other);
    if (source == nullptr || source == this) {
        return;
    }
    for (int i = 0; i < AttrCount(); ++i) {
        Attribute(i)->AssignColorAndStyle(*source->Attribute(i));
    }
}

} // namespace qs
