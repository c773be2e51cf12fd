// The word rule of TSynSPSSHighlighter: every prefix of a word is classified, the last
// classification decides, and a multi-word command name is taken as one token.
#include "highlight/SynHighlighterSPSS.h"

#include "highlight/SynHighlighterSPSSInternal.h"

#include <algorithm>

using namespace qs::spss_scan;

namespace qs {

WordClass TSynSPSSHighlighter::ClassifyWord(std::string_view word) const {
    const std::uint32_t bits = m_words.Find(word);
    return Classify(bits, bits & word_flags::kVariable);
}

// The word rule classifies every prefix of the word and the last classification decides.
// Only a few prefixes can change the outcome, so only they are looked up, each with one
// hash probe: a prefix followed by a period (a known word ends there), the whole word, and
// the prefixes that may be multi-word starters (a starter anywhere in the word makes the
// look-ahead run at its end).
void TSynSPSSHighlighter::WordProc() {
    const size_t start = m_run;
    size_t end = start + 1;
    while (IsWordSetChar(At(end))) {
        ++end;
    }
    size_t tokenEnd = end;
    std::uint32_t bits = 0;
    bool stopsAtPeriod = false;
    for (size_t dot = start + 1; dot < end && !stopsAtPeriod; ++dot) {
        if (m_line[dot] != '.') {
            continue;
        }
        bits = m_words.Find(m_line.substr(start, dot - start));
        if ((bits & word_flags::kKnownWord) != 0) {
            tokenEnd = dot;
            stopsAtPeriod = true;
        }
    }
    const std::string_view word = m_line.substr(start, tokenEnd - start);
    if (!stopsAtPeriod) {
        bits = m_words.Find(word);
    }

    const WordClass wc = Classify(bits, bits & word_flags::kVariable);
    m_kind = wc.preliminary;
    m_run = tokenEnd - 1; // R: the last character of the word
    size_t phraseEnd = 0; // 0 = none; a phrase never ends at position 0
    // Before a period the look-ahead finds no blank, so it only matters at the word's end.
    if (!stopsAtPeriod && HasStarterPrefix(word)) {
        PhraseLookAhead(word, phraseEnd);
    }
    if (phraseEnd != 0) {
        m_kind = TokenKind::Command;
        m_run = phraseEnd;
    } else {
        ApplyClassRule(wc.code, start);
    }
    if (m_kind != TokenKind::Unknown && At(m_run + 1) == '.') {
        ++m_run;
        return;
    }
    ++m_run;
}

bool TSynSPSSHighlighter::HasStarterPrefix(std::string_view word) const {
    WordIndex::Node node = WordIndex::kRoot;
    for (char c : word) {
        node = m_starters.Step(node, static_cast<unsigned char>(c));
        if (node == WordIndex::kNone) {
            return false;
        }
        if (m_starters.Bits(node) != 0) {
            return true;
        }
    }
    return false;
}

// With R the last character of the word: the phrase is the word, one blank and the whole
// next word (any number of blanks may stand between them in the text), optionally followed
// the same way by a third word. Scanning character by character, only the last blank
// before a word and the last character of that word decide, so whole words are looked up.
void TSynSPSSHighlighter::PhraseLookAhead(std::string_view word, size_t& phraseEnd) {
    size_t pos = m_run + 1;
    PhraseLookAheadFrom(word, pos, phraseEnd);
    m_reach = std::max(m_reach, pos + 1);
}

void TSynSPSSHighlighter::PhraseLookAheadFrom(std::string_view word, size_t& pos,
                                              size_t& phraseEnd) {
    if (At(pos) != ' ') {
        return;
    }
    while (At(pos) == ' ') {
        ++pos;
    }
    const size_t secondStart = pos;
    while (IsPhraseChar(At(pos))) {
        ++pos;
    }
    if (pos == secondStart) {
        return;
    }
    const size_t secondEnd = pos - 1;
    m_phrase.assign(word);
    m_phrase += ' ';
    m_phrase.append(m_line.substr(secondStart, pos - secondStart));
    if ((m_words.Find(m_phrase) & word_flags::kTwoWord) == 0) {
        phraseEnd = 0;
        m_kind = TokenKind::Unknown;
        return;
    }
    phraseEnd = secondEnd;
    if (At(pos) != ' ') {
        return;
    }
    while (At(pos) == ' ') {
        ++pos;
    }
    const size_t thirdStart = pos;
    while (IsPhraseChar(At(pos))) {
        ++pos;
    }
    if (pos == thirdStart) {
        return;
    }
    m_phrase += ' ';
    m_phrase.append(m_line.substr(thirdStart, pos - thirdStart));
    if (m_words.Find(m_phrase) & word_flags::kThreeWord) {
        phraseEnd = pos - 1;
    }
}

// Looks back from R to the line start for the nearest '=' and/or '/' (as asked) and
// gives the one found first, or NUL. The positions are gathered once per line, as R
// only moves forward.
char TSynSPSSHighlighter::BackToEqualsOrSlash(bool equals, bool slash) {
    GatherMarks(m_run + 1);
    std::ptrdiff_t eq = equals ? m_lastEquals : -1;
    std::ptrdiff_t sl = slash ? m_lastSlash : -1;
    if (eq < 0 && sl < 0) {
        return '\0';
    }
    return eq > sl ? '=' : '/';
}

void TSynSPSSHighlighter::GatherMarks(size_t upTo) {
    for (; m_markPos < upTo && m_markPos < m_line.size(); ++m_markPos) {
        if (m_line[m_markPos] == '=') {
            m_lastEquals = static_cast<std::ptrdiff_t>(m_markPos);
        } else if (m_line[m_markPos] == '/') {
            m_lastSlash = static_cast<std::ptrdiff_t>(m_markPos);
        }
    }
}

void TSynSPSSHighlighter::ParenNext() {
    if (At(m_run + 1) == '(') {
        m_kind = TokenKind::Function;
    }
}

void TSynSPSSHighlighter::ApplyClassRule(ClassCode code, size_t wordStart) {
    auto keywordOrSubcommand = [this] {
        char found = BackToEqualsOrSlash(true, true);
        if (found == '=') {
            m_kind = TokenKind::Keyword;
        } else if (found == '/') {
            m_kind = TokenKind::Subcommand;
        }
    };
    auto keywordAfterEquals = [this] {
        if (BackToEqualsOrSlash(true, false) == '=') {
            m_kind = TokenKind::Keyword;
        }
    };
    auto subcommandAfterSlash = [this] {
        if (BackToEqualsOrSlash(false, true) == '/') {
            m_kind = TokenKind::Subcommand;
        }
    };
    switch (code) {
    case ClassCode::None:
        break;
    case ClassCode::C:
        m_kind = TokenKind::Command;
        if (IsCommentWord(m_line.substr(wordStart, m_run + 1 - wordStart))) {
            m_state = LineState::InComment;
        }
        break;
    case ClassCode::S:
        m_kind = TokenKind::Subcommand;
        break;
    case ClassCode::K:
        m_kind = TokenKind::Keyword;
        break;
    case ClassCode::F:
        m_kind = TokenKind::Function;
        break;
    case ClassCode::O:
        m_kind = TokenKind::Operator;
        break;
    case ClassCode::CS:
        m_kind = TokenKind::Command;
        subcommandAfterSlash();
        break;
    case ClassCode::CK:
        m_kind = TokenKind::Command;
        keywordAfterEquals();
        break;
    case ClassCode::SK:
        m_kind = TokenKind::Subcommand;
        keywordOrSubcommand();
        break;
    case ClassCode::CF:
        m_kind = TokenKind::Command;
        ParenNext();
        break;
    case ClassCode::SF:
        m_kind = TokenKind::Subcommand;
        ParenNext();
        break;
    case ClassCode::KF:
        m_kind = TokenKind::Keyword;
        ParenNext();
        break;
    case ClassCode::OK:
        m_kind = TokenKind::Operator;
        keywordAfterEquals();
        break;
    case ClassCode::CSK:
        m_kind = TokenKind::Command;
        keywordOrSubcommand();
        break;
    case ClassCode::CKF:
        m_kind = TokenKind::Command;
        keywordAfterEquals();
        ParenNext();
        break;
    case ClassCode::CSF:
        m_kind = TokenKind::Command;
        subcommandAfterSlash();
        ParenNext();
        break;
    case ClassCode::SKF:
        // A word in the subcommand, keyword and function lists at once (MEAN, SUM, FIRST,
        // MISSING, ...) with no '=' or '/' before it and no '(' after it mostly stands in
        // a list of statistics continued on a new line, so it shows as a keyword, the kind
        // it gets after '='. A variable of the open data file (or an execute command) of
        // that name keeps its own kind: there the line gives no sign of a keyword.
        if (m_kind == TokenKind::Unknown) {
            m_kind = TokenKind::Keyword;
        }
        keywordOrSubcommand();
        ParenNext();
        break;
    }
}

} // namespace qs
