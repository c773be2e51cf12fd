// The code editor of the main window: QScintilla set up as the document editor, with the
// SPSS highlighter, the program's key bindings and the few calls the window needs.
#pragma once

#include "highlight/CompletionIndex.h"

#include <Qsci/qsciscintilla.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qs {

class TSynSPSSHighlighter;
class TSpssLexer;

class TSyntaxEditor : public QsciScintilla {
    Q_OBJECT
public:
    enum class CharClass { Space, NewLine, Word, Punctuation };

    explicit TSyntaxEditor(QWidget* parent = nullptr);
    ~TSyntaxEditor() override;

    void SetHighlighter(TSynSPSSHighlighter* highlighter);
    // Makes this a read-only view of sample text: no gutter, no horizontal scroll bar.
    void SetSampleView();
    // Redraws with the highlighter's current colours and styles.
    void RefreshStyles();
    // Styles the text afresh (as far as it is shown), after the highlighter's words changed.
    void Restyle();

    // Replaces the whole text as the program's own act: no change notification, and the
    // undo history starts afresh.
    void LoadText(std::string_view utf8);
    // The same in pieces, for files too large to hold twice: BeginLoad, the pieces, EndLoad.
    void BeginLoad(std::uint64_t sizeHint);
    void AppendLoaded(std::string_view piece);
    void EndLoad();
    // Removes all text as the program's own act.
    void Clear();
    // Reports a change made since the last report now rather than from the event loop.
    void FlushChanges();
    // Drops the trailing blanks of the line the user edited last, also while the caret is
    // still on it (before a save); the caret keeps its column. Not reported as a change.
    void TrimEditedLine();
    std::string Text() const; // UTF-8, line ends as in the editor
    std::string SelectedText() const;
    bool IsEmpty() const;
    bool HasSelection() const;
    long LineCount() const; // counting a last line only when it holds text
    bool CanUndo() const;
    bool CanRedo() const;
    void ClearSelection(); // deletes the selected text, if any
    QString WordAtCaret() const;
    // The byte position of the text nearest to a point in the editor's coordinates.
    long PositionFromPoint(const QPoint& point) const;

    // The caret's line and display column (both from 0). Counted on from the last answer
    // where it can, so that asking after every key stays cheap on a line of megabytes.
    std::pair<long, long> CaretLineColumn();
    // Every line the caret can reach, an empty last one too.
    long DocumentLines() const;
    // Puts the caret at the start of a line (from 0), centred in the view when it was not
    // shown.
    void GotoLine(long line);

    // The open data file's names offered by completion beside the language's words; the
    // candidates are indexed here, once, not per key.
    void SetCompletionNames(const std::vector<std::string>& variables,
                            const std::vector<std::string>& sets);
    const CompletionIndex& Completion() const { return m_completion; }
    // The completion list for the word before the caret. Typing opens it from the third
    // character of a word; a request (Ctrl+Space) opens it for any word, even none.
    enum class CompletionTrigger { Typing, Request };
    void ShowCompletion(CompletionTrigger trigger);
    bool CompletionActive() const;

    // Comments out with `*` comments the commands the caret or the selection touches, or,
    // when all of them are such comments, takes the comments out; one undo step.
    void ToggleComment();

    // Bookmarks 0..9, set on the caret line (again on the same line: removed).
    void ToggleBookmark(int number);
    void GotoBookmark(int number);
    long BookmarkLine(int number) const; // -1 when not set

    // Lines the engine reported messages for (0-based): a margin symbol, the line's code
    // underlined, the messages as its tooltip. Editing a line removes its marks.
    enum class MarkKind { Error, Warning };
    void AddLineMark(long line, MarkKind kind, const QString& message);
    void ClearLineMarks(long first, long last);
    void ClearLineMarks();
    std::vector<long> MarkedLines() const;
    QString LineMarkMessage(long line) const; // the line's messages, one a line
    // The live check's message of the mark at `position`; empty where there is none.
    QString LiveMessageAt(long position) const;
    // To the next marked line after the caret's (direction > 0) or the previous one,
    // round the text's end; false when no line is marked.
    bool GotoLineMark(int direction);

signals:
    // QScintilla's cursorPositionChanged is never sent (see UpdateUi).

    // A change made by the user (typing, paste, undo ...), never by LoadText or Clear.
    void UserChanged();
    void FocusEntered();
    // Undo or redo became possible or impossible through a key, with or without a change.
    void UndoStateChanged();
    // The caret moved, by a key, a click, an edit or the program.
    void CaretMoved();
    void ContextHelpRequested();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    bool viewportEvent(QEvent* e) override;

private:
    void Configure();
    void ConfigureLineMarks();
    // Live checks: the command at the caret, checked again after each change by the user.
    void ConfigureLiveChecks();
    void CheckCommandAtCaret();
    std::string LineBytes(long line) const;
    void DropMarksOfEdit(long position, int type, long length);
    bool RunBinding(QKeyCombination key);
    // Types a key's text into a very long line, or erases the character before or after the
    // caret there, with the line styled before the caret is placed; false when the key is
    // not plain typing or erasing there.
    bool TypeIntoLongLine(const QKeyEvent& e);
    bool EraseInLongLine(bool back);
    // Enter: breaks the line at the caret.
    void BreakLine();
    // Whether the caret is a single one, without a selection, on a line long enough for
    // the above, in a text that may change; gives the line and its start.
    bool AtLongLine(long& line, long& lineStart);
    // Takes `erase` bytes from `pos`, or puts `insert` in at the caret, then styles the line,
    // then places the caret.
    void EditLongLine(long line, long lineStart, long pos, long erase, const QByteArray& insert);
    // Styles the text before `pos`: a line starting there is styled from the state of the
    // line above it.
    void StyleUpTo(long pos);
    // After a change of text, caret or selection: trimming and brace highlights.
    void UpdateUi();
    void TrimLineIfLeft();
    // Removes the blanks at the end of a line; returns the number removed.
    long TrimLine(long line);
    // Sizes the line-number gutter for the number of lines the text has.
    void FitLineNumbers();
    // A faint shade over the caret's line, taken from the background the styles give.
    void ShowCaretLine();
    std::string_view Range(long from, long to);
    void SmartTab();
    void MoveToPageEdge(bool top, bool extend);
    // A selecting move in the current selection mode.
    void SelectingMove(int streamMessage, int rectangleMessage);
    void ShiftBlock(int by);
    // Words by the highlighter's word characters.
    CharClass ClassAt(long pos);
    long NextWordStart(long pos, int delta);
    // The run of one class around a position; with wordsOnly, of word characters only.
    std::pair<long, long> WordAround(long pos, bool wordsOnly);
    void MoveByWord(int delta, bool extend);
    void DeleteByWord(int delta);
    void SelectWordAt(long pos);
    void ConfigureCompletion();
    // The completion list takes the default style's font, which the lexer sets to that of
    // its first style, comments (italic).
    void PlainListFont();
    void RebuildCompletion();
    // Keys the open completion list takes; true when the key was one of them.
    bool CompletionKey(const QKeyEvent& e);
    // Not in a comment or a string: `text` is the caret's line, `offset` the caret in it.
    bool CaretAllowsCompletion(long caret, long line, std::string_view text, std::size_t offset);
    void AcceptCompletion(const char* text);

    std::unique_ptr<TSpssLexer> m_lexer;
    TSynSPSSHighlighter* m_highlighter = nullptr;
    bool m_liveChecks = true;
    std::vector<QString> m_liveMessages; // a live mark's indicator value - 1 indexes it
    CompletionIndex m_completion;
    std::vector<std::string> m_completionVariables;
    std::vector<std::string> m_completionSets;
    long m_completionStart = -1;     // where the word being completed begins
    bool m_completionRequested = false; // the open list came from a request
    bool m_completionChosen = false;    // the user moved in the open list
    bool m_loading = false;
    bool m_readOnlyAfterLoad = false;
    bool m_programEdit = false; // an edit the program makes on its own, not the user's
    int m_numberDigits = 0;     // digits the line-number gutter is sized for
    bool m_gutter = true;       // line numbers, bookmarks and the caret line shown
    bool m_changePending = false;
    long m_editedLine = -1; // the line the user changed last, trimmed when the caret leaves it
    long m_caret = -1;      // the caret position UpdateUi saw last
    // The column last counted, valid while the text before `pos` on its line is unchanged.
    struct ColumnMark {
        long line = -1;
        long lineStart = 0;
        long pos = 0;
        long column = 0;
    } m_columnMark;
    std::array<long, 10> m_bookmarkColumns{};
    std::map<int, QString> m_markMessages; // by the handle of the line's marker
    enum class SelectionMode { Normal, Column, Line } m_selectionMode = SelectionMode::Normal;
};

} // namespace qs
