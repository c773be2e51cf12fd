// Drives the SPSS highlighter from the editor control: styles only the lines the editor
// asks for (what is about to be shown), carrying the highlighter's line state per line.
#pragma once

#include <Qsci/qscilexercustom.h>

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
    // Takes the highlighter's current colours and styles: the control's lexer base keeps
    // the ones it asked for first and would not ask again.
    void ReloadStyles();

    // The editor font all styles share (the attributes only add bold, italic, underline).
    static QFont EditorFont();

private:
    TSynSPSSHighlighter& m_highlighter;
    std::string m_styles; // reused styling buffer
};

} // namespace qs
