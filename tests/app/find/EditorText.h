// An editor in UTF-8 mode for the find tests, with selections given in characters so that
// the cases read naturally while the editor works in bytes.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QString>

namespace qs::test {

class EditorText {
public:
    EditorText() { editor.setUtf8(true); }

    void Load(const QString& text) {
        editor.setText(text);
        editor.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    }
    long Byte(int character) const { return editor.text().left(character).toUtf8().size(); }
    int Character(long byte) const {
        return QString::fromUtf8(editor.text().toUtf8().left(byte)).size();
    }
    void Select(int anchor, int caret) {
        editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, Byte(anchor), Byte(caret));
    }
    int Anchor() const { return Character(editor.SendScintilla(QsciScintillaBase::SCI_GETANCHOR)); }
    int Caret() const {
        return Character(editor.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
    }

    QsciScintilla editor;
};

} // namespace qs::test
