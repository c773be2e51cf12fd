// Find and replace around the editor's search: the dialogs, the state and the messages.
#include "app/find/FindReplace.h"

#include "app/find/dlgConfirmReplace.h"
#include "app/find/dlgReplaceText.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>

namespace qs {
namespace {

QString FromState(const std::string& text) {
    return QString::fromStdString(text);
}

std::string ToState(const QString& text) {
    return text.toStdString();
}

long TextLength(QsciScintilla& editor) {
    return editor.SendScintilla(QsciScintillaBase::SCI_GETTEXTLENGTH);
}

} // namespace

TFindReplace::TFindReplace(QWidget* owner, QsciScintilla* editor,
                           std::function<void(const QString&)> setStatus,
                           std::function<void()> beep, TFindState& state)
    : m_owner(owner), m_editor(editor), m_setStatus(std::move(setStatus)),
      m_beep(beep ? std::move(beep) : [] { QApplication::beep(); }), m_state(state),
      m_runDialog([](TTextSearchDialog& dialog) { return dialog.exec() == QDialog::Accepted; }),
      m_confirmReplace(std::make_unique<TConfirmReplaceDialog>()) {}

TFindReplace::~TFindReplace() = default;

void TFindReplace::SetDialogRunner(TDialogRunner runner) {
    m_runDialog = std::move(runner);
}

void TFindReplace::OpenFindDialog(bool replace) {
    m_setStatus(QString());
    TTextReplaceDialog* replaceDialog = nullptr;
    std::unique_ptr<TTextSearchDialog> dialog;
    if (replace) {
        auto owned = std::make_unique<TTextReplaceDialog>(m_owner);
        replaceDialog = owned.get();
        dialog = std::move(owned);
    } else {
        dialog = std::make_unique<TTextSearchDialog>(m_owner);
    }

    dialog->SetSearchBackwards(m_state.Backwards);
    dialog->SetSearchCaseSensitive(m_state.MatchCase);
    dialog->SetSearchFromCursor(m_state.FromCaret);
    dialog->SetSearchInSelectionOnly(m_state.SelectionOnly);
    dialog->SetSearchText(FromState(m_state.FindText));
    dialog->SetSearchTextHistory(FromState(m_state.FindHistory));
    if (replaceDialog) {
        replaceDialog->SetReplaceText(FromState(m_state.ReplaceWith));
        replaceDialog->SetReplaceTextHistory(FromState(m_state.ReplaceHistory));
    }
    dialog->SetSearchWholeWords(m_state.WholeWords);

    if (!m_runDialog(*dialog)) {
        return;
    }

    m_state.Backwards = dialog->SearchBackwards();
    m_state.MatchCase = dialog->SearchCaseSensitive();
    m_state.FromCaret = dialog->SearchFromCursor();
    m_state.SelectionOnly = dialog->SearchInSelectionOnly();
    m_state.WholeWords = dialog->SearchWholeWords();
    m_state.FindText = ToState(dialog->SearchText());
    m_state.FindHistory = ToState(dialog->SearchTextHistory());
    if (replaceDialog) {
        m_state.ReplaceWith = ToState(replaceDialog->ReplaceText());
        m_state.ReplaceHistory = ToState(replaceDialog->ReplaceTextHistory());
    }

    m_continueFromCaret = m_state.FromCaret;
    if (!m_state.FindText.empty()) {
        RunFind(replace, m_state.Backwards);
        m_continueFromCaret = true;
    }
}

void TFindReplace::RunFind(bool replace, bool backwards) {
    m_setStatus(QString());
    const unsigned options = SearchOptions(m_state, replace, backwards, m_continueFromCaret);
    // No per-match confirmation is attached: a replace changes every match in the scope
    // in one undoable step, which is what Replace promises and what a 20 MB document with
    // thousands of matches needs.
    const int found =
        SearchReplace(*m_editor, FromState(m_state.FindText), FromState(m_state.ReplaceWith),
                      options, {}, SelectedOnlyScope(options));
    if (found == 0) {
        m_beep();
        m_setStatus("Text not found");
        const TSearchScope selection = SelectionRange(*m_editor);
        m_editor->SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                                backwards ? selection.begin : selection.end);
    }
    RememberSelection(!replace);
    // Nothing shows the confirm-replace dialog, so it goes with the first search.
    m_confirmReplace.reset();
}

std::optional<TSearchScope> TFindReplace::SelectedOnlyScope(unsigned options) {
    if (!(options & soSelectedOnly)) {
        m_scope.reset();
        return std::nullopt;
    }
    // Find next starts from the match it selected, not within it.
    if (!(options & soEntireScope) && m_scope &&
        SelectionRange(*m_editor) == m_selectionAfterSearch &&
        TextLength(*m_editor) == m_lengthAfterSearch) {
        return m_scope;
    }
    const TSearchScope selection = SelectionRange(*m_editor);
    if (selection.begin < selection.end) {
        m_scope = selection;
    } else {
        m_scope.reset();
    }
    return std::nullopt; // the selection itself is the scope
}

void TFindReplace::RememberSelection(bool keepScope) {
    if (!keepScope) {
        // A replace leaves the scope selected (or no selection): the next search uses it.
        m_scope.reset();
    }
    m_selectionAfterSearch = SelectionRange(*m_editor);
    m_lengthAfterSearch = TextLength(*m_editor);
}

} // namespace qs
