// Word completion in the editor: the list the editor control shows under the word being
// typed, filled from the candidate index by its ranking, and the word accepted from it.
#include "highlight/SynHighlighterSPSS.h"
#include "ui/TSyntaxEditor.h"

#include <QKeyEvent>

namespace qs {

namespace {

using SB = QsciScintillaBase;
constexpr int kTypedCharacters = 3; // typing opens the list from a word's third character
constexpr std::size_t kListedWords = 200; // the list shows ten; more are rarely scrolled to
constexpr char kSeparator = '\n';         // two-word commands hold a blank

std::size_t Utf8Characters(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return n;
}

} // namespace

void TSyntaxEditor::ConfigureCompletion() {
    // The ranking decides the order; the control only shows it.
    SendScintilla(SCI_AUTOCSETORDER, SC_ORDER_CUSTOM);
    SendScintilla(SCI_AUTOCSETSEPARATOR, static_cast<long>(kSeparator));
    SendScintilla(SCI_AUTOCSETIGNORECASE, 1);
    SendScintilla(SCI_AUTOCSETAUTOHIDE, 0L);
    SendScintilla(SCI_AUTOCSETCANCELATSTART, 0L);
    SendScintilla(SCI_AUTOCSETCHOOSESINGLE, 0L);
    SendScintilla(SCI_AUTOCSETMAXHEIGHT, 10);
    connect(this, qOverload<const char*, int>(&QsciScintillaBase::SCN_AUTOCSELECTION), this,
            [this](const char* text, int) { AcceptCompletion(text); });
}

void TSyntaxEditor::PlainListFont() {
    SendScintilla(SCI_STYLESETITALIC, STYLE_DEFAULT, 0L);
    SendScintilla(SCI_STYLESETBOLD, STYLE_DEFAULT, 0L);
}

void TSyntaxEditor::SetCompletionNames(const std::vector<std::string>& variables,
                                       const std::vector<std::string>& sets) {
    if (variables == m_completionVariables && sets == m_completionSets) {
        return;
    }
    m_completionVariables = variables;
    m_completionSets = sets;
    RebuildCompletion();
}

void TSyntaxEditor::RebuildCompletion() {
    std::vector<CompletionCandidate> candidates;
    if (m_highlighter != nullptr) {
        candidates = LanguageCandidates(*m_highlighter);
    }
    AddDataFileCandidates(candidates, m_completionVariables, m_completionSets);
    m_completion.Build(std::move(candidates));
}

bool TSyntaxEditor::CompletionActive() const {
    return const_cast<TSyntaxEditor*>(this)->SendScintilla(SCI_AUTOCACTIVE) != 0;
}

void TSyntaxEditor::ShowCompletion(CompletionTrigger trigger) {
    const bool requested = trigger == CompletionTrigger::Request ||
                           (m_completionRequested && CompletionActive());
    const auto close = [this] {
        if (CompletionActive()) {
            SendScintilla(SCI_AUTOCCANCEL);
        }
    };
    if (m_highlighter == nullptr || isReadOnly() || hasSelectedText() ||
        SendScintilla(SCI_GETSELECTIONS) > 1) {
        close();
        return;
    }
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, caret);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    const long lineEnd = SendScintilla(SCI_GETLINEENDPOSITION, line);
    const std::string_view text = Range(lineStart, lineEnd);
    const auto offset = static_cast<std::size_t>(caret - lineStart);
    const std::size_t wordStart = CompletionWordStart(text, offset);
    const std::string_view typed = text.substr(wordStart, offset - wordStart);
    const std::size_t characters = Utf8Characters(typed);
    if (requested ? characters == 0 && trigger != CompletionTrigger::Request
                  : characters < kTypedCharacters) {
        close();
        return;
    }
    if (!CaretAllowsCompletion(caret, line, text, offset)) {
        close();
        return;
    }
    std::vector<std::size_t> ranked = m_completion.Rank(typed, kListedWords + 1);
    // What is typed already is no choice to offer.
    const std::string folded = Folded(typed);
    std::erase_if(ranked, [this, &folded](std::size_t entry) {
        return Folded(m_completion.Text(entry)) == folded;
    });
    if (ranked.size() > kListedWords) {
        ranked.resize(kListedWords);
    }
    if (ranked.empty()) {
        close();
        return;
    }
    std::string list;
    for (const std::size_t entry : ranked) {
        if (!list.empty()) {
            list += kSeparator;
        }
        list += m_completion.Text(entry);
    }
    m_completionStart = lineStart + static_cast<long>(wordStart);
    m_completionRequested = requested;
    m_completionChosen = false;
    SendScintilla(SCI_AUTOCSHOW, static_cast<unsigned long>(typed.size()), list.c_str());
    // The best match is chosen even when no word begins with the typed text.
    const std::string first(m_completion.Text(ranked.front()));
    SendScintilla(SCI_AUTOCSELECT, 0UL, first.c_str());
}

bool TSyntaxEditor::CaretAllowsCompletion(long caret, long line, std::string_view text,
                                          std::size_t offset) {
    // Where the styles are current up to the caret, the token the caret ends is known from
    // them, without scanning a line that may run to megabytes. A string needs its token's
    // ends, which only the scan gives.
    if (offset > 0 && SendScintilla(SCI_GETENDSTYLED) >= caret) {
        const auto kind = static_cast<TokenKind>(SendScintilla(SCI_GETSTYLEAT, caret - 1));
        if (kind == TokenKind::Comment) {
            return false;
        }
        if (kind != TokenKind::StringLiteral) {
            return true;
        }
    }
    StyleUpTo(caret - static_cast<long>(offset));
    const int state = line > 0 ? static_cast<int>(SendScintilla(SCI_GETLINESTATE, line - 1)) : 0;
    return CompletionAllowed(*m_highlighter, text, offset, state);
}

bool TSyntaxEditor::CompletionKey(const QKeyEvent& e) {
    if (!CompletionActive() || (e.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    switch (e.key()) {
    case Qt::Key_Escape:
        SendScintilla(SCI_AUTOCCANCEL);
        return true;
    case Qt::Key_Tab:
        SendScintilla(SCI_AUTOCCOMPLETE);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // They reach the list through the keystroke table; from now on Enter takes its entry.
        m_completionChosen = true;
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A list that opened by itself while typing leaves Enter to break the line.
        if (!m_completionRequested && !m_completionChosen) {
            SendScintilla(SCI_AUTOCCANCEL);
        }
        return false;
    default:
        return false;
    }
}

void TSyntaxEditor::AcceptCompletion(const char* text) {
    // The word replaces what was typed of it; the control's own insertion is cancelled, as
    // it would keep the text after the caret's word start differently.
    SendScintilla(SCI_AUTOCCANCEL);
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    if (m_completionStart < 0 || m_completionStart > caret || text == nullptr) {
        return;
    }
    const std::string word(text);
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_SETTARGETRANGE, m_completionStart, caret);
    SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(word.size()), word.c_str());
    SendScintilla(SCI_GOTOPOS, m_completionStart + static_cast<long>(word.size()));
    SendScintilla(SCI_ENDUNDOACTION);
    m_completionStart = -1;
    FlushChanges();
}

} // namespace qs
