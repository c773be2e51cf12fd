// The main window's find and replace: opens the search and replace dialogs, keeps the
// find state up to date and repeats the last search for Find next and Find previous.
#pragma once

#include "app/find/FindState.h"
#include "app/find/SearchReplace.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;
class QsciScintilla;

namespace qs {

class TConfirmReplaceDialog;
class TTextSearchDialog;

class TFindReplace {
public:
    // Shows a dialog modally; true when it closed with OK.
    using TDialogRunner = std::function<bool(TTextSearchDialog&)>;

    // `setStatus` writes status panel 0; `beep` sounds the information beep (the
    // application's beep when empty). The state is the program's unless one is given.
    TFindReplace(QWidget* owner, QsciScintilla* editor,
                 std::function<void(const QString&)> setStatus, std::function<void()> beep,
                 TFindState& state = FindState());
    ~TFindReplace();
    TFindReplace(const TFindReplace&) = delete;
    TFindReplace& operator=(const TFindReplace&) = delete;

    // Tests answer the dialogs through this instead of a person.
    void SetDialogRunner(TDialogRunner runner);

    void OpenFindDialog(bool replace);
    void RunFind(bool replace, bool backwards);

    // False until a dialog search ran: the next search then covers the whole scope.
    bool ContinueFromCaret() const noexcept { return m_continueFromCaret; }
    // The confirm-replace instance, which lives until the first search.
    TConfirmReplaceDialog* ConfirmReplaceDialog() const noexcept { return m_confirmReplace.get(); }

private:
    std::optional<TSearchScope> SelectedOnlyScope(unsigned options);
    void RememberSelection(bool keepScope);

    QWidget* m_owner;
    QsciScintilla* m_editor;
    std::function<void(const QString&)> m_setStatus;
    std::function<void()> m_beep;
    TFindState& m_state;
    TDialogRunner m_runDialog;
    bool m_continueFromCaret = false;
    std::unique_ptr<TConfirmReplaceDialog> m_confirmReplace;

    // A selected-only search keeps its scope while Find next moves from match to match;
    // it is dropped once the selection or the text changes under it.
    std::optional<TSearchScope> m_scope;
    TSearchScope m_selectionAfterSearch{-1, -1};
    long m_lengthAfterSearch = -1;
};

} // namespace qs
