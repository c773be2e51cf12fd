// The scanning rules of TSynSPSSHighlighter: one rule per kind of first character, the
// comment rule, and the word rule with its classification and phrase look-ahead.
#include "highlight/SynHighlighterSPSS.h"

#include "highlight/SynHighlighterSPSSInternal.h"

#include <algorithm>
#include <cstring>

using namespace qs::spss_scan;

namespace qs {

void TSynSPSSHighlighter::LineEndProc() {
    m_kind = TokenKind::LineEnd;
}

void TSynSPSSHighlighter::LineFeedProc() {
    ++m_run;
    m_kind = TokenKind::Space;
}

void TSynSPSSHighlighter::CarriageReturnProc() {
    ++m_run;
    m_kind = TokenKind::Space;
    if (At(m_run) == '\n') {
        ++m_run;
    }
}

void TSynSPSSHighlighter::SpaceProc() {
    ++m_run;
    while (!AtEnd(m_run) && IsBlank(m_line[m_run])) {
        ++m_run;
    }
    m_kind = TokenKind::Space;
}

void TSynSPSSHighlighter::SymbolProc() {
    ++m_run;
    m_kind = TokenKind::Symbol;
}

void TSynSPSSHighlighter::OperatorProc() {
    ++m_run;
    m_kind = TokenKind::Operator;
}

void TSynSPSSHighlighter::UnknownProc() {
    ++m_run;
    m_kind = TokenKind::Unknown;
}

void TSynSPSSHighlighter::StringProc() {
    const char quote = m_line[m_run];
    ++m_run;
    m_kind = TokenKind::StringLiteral;
    for (;;) {
        const void* found = AtEnd(m_run)
                                ? nullptr
                                : std::memchr(m_line.data() + m_run, quote, m_line.size() - m_run);
        if (found == nullptr) {
            m_run = m_line.size();
            return;
        }
        m_run = static_cast<size_t>(static_cast<const char*>(found) - m_line.data()) + 1;
        // Only single-quoted strings double their quote to include it.
        if (quote == '"' || At(m_run) != '\'') {
            return;
        }
        ++m_run;
    }
}

void TSynSPSSHighlighter::NumberProc() {
    ++m_run;
    m_kind = TokenKind::Number;
    while (IsDigit(At(m_run)) || (At(m_run) == '.' && IsDigit(At(m_run + 1)))) {
        ++m_run;
    }
}

void TSynSPSSHighlighter::MacroProc() {
    m_kind = TokenKind::Symbol;
    ++m_run;
    while (IsLetter(At(m_run))) {
        m_kind = TokenKind::Macro;
        ++m_run;
    }
}

void TSynSPSSHighlighter::ScratchOrSystemProc() {
    m_kind = TokenKind::Symbol;
    if (m_line[m_run] == '#') {
        ++m_run;
        while (IsScratchChar(At(m_run))) {
            if (At(m_run) == '.' && AtEnd(m_run + 1)) {
                break;
            }
            m_kind = TokenKind::SystemScratchVariable;
            ++m_run;
        }
        return;
    }
    ++m_run;
    const size_t start = m_run;
    while (IsLetter(At(m_run))) {
        ++m_run;
    }
    // Each letter reclassifies the run so far, so the last one decides: the whole run of
    // letters must be a listed name.
    if (m_run > start) {
        std::string_view name = m_line.substr(start, m_run - start);
        m_kind = (m_words.Find(name) & word_flags::kSystemVariable)
                     ? TokenKind::SystemScratchVariable
                     : TokenKind::Unknown;
    }
}

void TSynSPSSHighlighter::SlashProc() {
    m_kind = At(m_run + 1) == '*' ? TokenKind::Comment : TokenKind::Unknown;
    ++m_run;
}

size_t TSynSPSSHighlighter::FirstContent(std::string_view line) {
    auto content = [](char c) { return IsLetter(c) || (c >= '1' && c <= '9'); };
    return static_cast<size_t>(std::find_if(line.begin(), line.end(), content) - line.begin());
}

bool TSynSPSSHighlighter::HasContentBefore(size_t pos) {
    if (!m_contentKnown) {
        m_firstContent = FirstContent(m_line);
        m_contentKnown = true;
    }
    return m_firstContent < pos;
}

void TSynSPSSHighlighter::StarProc() {
    if (m_run > 0 && m_line[m_run - 1] == '/') {
        CommentProc();
    } else if (HasContentBefore(m_run)) {
        UnknownProc();
    } else {
        m_state = LineState::InComment;
        CommentProc();
    }
}

bool TSynSPSSHighlighter::QuoteAfter(size_t pos) {
    if (!m_quoteKnown) {
        size_t last = m_line.rfind('\'');
        m_lastQuote = last == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(last);
        m_quoteKnown = true;
    }
    return m_lastQuote > static_cast<std::ptrdiff_t>(pos);
}

void TSynSPSSHighlighter::CommentProc() {
    if (AtEnd(m_run)) {
        LineEndProc();
        return;
    }
    if (m_line[m_run] == '\n') {
        LineFeedProc();
        return;
    }
    if (m_line[m_run] == '\r') {
        CarriageReturnProc();
        return;
    }
    m_kind = TokenKind::Comment;
    for (;;) {
        // A period ends the comment unless a single quote follows later on the line.
        if (m_line[m_run] == '.' && !QuoteAfter(m_run)) {
            ++m_run;
            m_state = LineState::Normal;
            return;
        }
        ++m_run;
        if (AtEnd(m_run) || m_line[m_run] == '\n' || m_line[m_run] == '\r') {
            return;
        }
    }
}

} // namespace qs
