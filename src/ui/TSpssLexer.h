// Drives the SPSS highlighter from the editor control: styles only the lines the editor
// asks for (what is about to be shown), carrying the highlighter's line state per line.
#pragma once

#include "highlight/LongLineStyles.h"

#include <Qsci/qscilexercustom.h>

#include <cstdint>
#include <string>

namespace qs {

class TSynSPSSHighlighter;

class TSpssLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    TSpssLexer(TSynSPSSHighlighter& highlighter, QObject* parent = nullptr);

    const char* language() const override { return "SPSS Syntax Files"; }
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QColor defaultPaper(int style) const override;
    QFont defaultFont(int style) const override;
    void styleText(int start, int end) override;
    void setEditor(QsciScintilla* editor) override;
    // From this length a line keeps the points of its scan: styling it again after one insert
    // or delete in it styles only the stretch around the change.
    static constexpr long kLongLine = 8 << 10;
    // Takes the highlighter's current colours and styles: the control's lexer base keeps
    // the ones it asked for first and would not ask again.
    void ReloadStyles();

    // The paper of the text: the whitespace's background, white when it has none.
    QColor Paper() const;

    // The editor font all styles share (the attributes only add bold, italic, underline).
    static QFont EditorFont();

private:
    // Styles the kept long line, starting in `startState`, from what was kept of it; false
    // when what was kept does not tell its styles now.
    bool StyleKeptLine(long line, int startState);
    // Styles the kept line as it will be once the bytes at [position, position + length) of
    // it are gone, before they go. The control places the caret right after an undo, which
    // lays the line out: with the styles already final, that layout is the only one.
    void StyleBeforeDelete(long position, long length);
    // The kept line's end takes the style of its last character; its end state is stored.
    void StyleLineEnd(long line, long lineEnd);
    // Where the kept line's text ends.
    long TextEnd() const;
    // Counts the last insert, made right at the kept line's end, as leaving the line as it
    // is when it began with a line break: that shows only once the insert is in.
    void SettleInsertAtEnd();

    TSynSPSSHighlighter& m_highlighter;
    std::string m_styles; // reused styling buffer
    // The last long line styled whole, and what it was styled under: the count of changes
    // to the text and the highlighter's words.
    LongLineStyles m_long;
    long m_longLine = -1;
    long m_longStart = -1;
    int m_longStartState = 0;
    std::uint64_t m_longStamp = 0;
    unsigned m_longGeneration = 0;
    std::uint64_t m_stamp = 0; // changes to the text so far
    struct Change {
        int type = 0; // the control's notice: before an insert or a delete
        long pos = -1;
        long length = 0;
    };
    Change m_lastChange;
    static constexpr long kMaxRemoved = 4096; // longer deletes restyle the whole line
    std::string m_removed;                    // the bytes the last delete took
    bool m_insertAtEnd = false; // the last change, an insert right at the kept line's end
    // Deletes styled ahead since the last styling: past many, a run of them (the undo of a
    // long typed run) is cheaper styled once, afterwards.
    int m_stylesAhead = 0;
    static constexpr int kMaxStylesAhead = 64;
    std::string m_lineAhead;        // the kept line as the last delete styled ahead left it
    std::uint64_t m_aheadStamp = 0; // the change it was made for
};

} // namespace qs
