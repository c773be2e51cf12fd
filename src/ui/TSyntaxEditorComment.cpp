// Toggling `*` comments over the commands the caret or the selection touches, as one edit
// the user can undo.
#include "app/SyntaxFile.h"
#include "spss/CommentToggle.h"
#include "ui/TSyntaxEditor.h"

#include <algorithm>
#include <string_view>

namespace qs {

void TSyntaxEditor::ToggleComment() {
    if (isReadOnly() || SendScintilla(SCI_GETSELECTIONS) > 1) {
        return;
    }
    const long selStart = SendScintilla(SCI_GETSELECTIONSTART);
    const long selEnd = SendScintilla(SCI_GETSELECTIONEND);
    const long from = SendScintilla(SCI_LINEFROMPOSITION, selStart);
    long to = SendScintilla(SCI_LINEFROMPOSITION, selEnd);
    if (to > from && selEnd == SendScintilla(SCI_POSITIONFROMLINE, to)) {
        --to; // a selection of whole lines ends before the next line's start
    }
    // The commands are cut as the run sends them: a lone CR ends a line there too.
    const std::optional<CommentToggle> toggle = ToggleCommentCommands(
        CrLfLineEnds(Text()), static_cast<std::size_t>(from) + 1, static_cast<std::size_t>(to) + 1);
    if (!toggle) {
        return;
    }
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const long caretLine = SendScintilla(SCI_LINEFROMPOSITION, caret);
    const long caretColumn = caret - SendScintilla(SCI_POSITIONFROMLINE, caretLine);
    const long caretLineLength = SendScintilla(SCI_GETLINEENDPOSITION, caretLine) -
                                 SendScintilla(SCI_POSITIONFROMLINE, caretLine);
    const bool selected = selStart != selEnd;
    const long first = static_cast<long>(toggle->firstLine) - 1;
    const long last = static_cast<long>(toggle->lastLine) - 1;
    SendScintilla(SCI_BEGINUNDOACTION);
    for (long line = first; line <= last; ++line) {
        const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
        const std::string& text = toggle->lines[static_cast<std::size_t>(line - first)];
        if (Range(start, end) != text) {
            SendScintilla(SCI_SETTARGETRANGE, start, end);
            SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(text.size()), text.c_str());
        }
    }
    if (selected) {
        SendScintilla(SCI_SETSEL, SendScintilla(SCI_POSITIONFROMLINE, first),
                      SendScintilla(SCI_GETLINEENDPOSITION, last));
    } else {
        // The caret stays by the text it was at; the comment mark went in (or out) before it.
        const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, caretLine);
        const long lineLength = SendScintilla(SCI_GETLINEENDPOSITION, caretLine) - lineStart;
        const long mark = static_cast<long>(std::string_view("* ").size());
        const long shift = caretColumn == 0 || lineLength == caretLineLength ? 0
                           : toggle->commented                            ? mark
                                                                          : -mark;
        SendScintilla(SCI_GOTOPOS, lineStart + std::clamp(caretColumn + shift, 0L, lineLength));
    }
    SendScintilla(SCI_ENDUNDOACTION);
    FlushChanges();
}

} // namespace qs
