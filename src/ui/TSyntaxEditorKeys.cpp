// The editor commands behind the keystroke table.
#include "ui/EditorKeys.h"
#include "ui/TSyntaxEditor.h"

namespace qs {

void TSyntaxEditor::SelectingMove(int streamMessage, int rectangleMessage) {
    switch (m_selectionMode) {
    case SelectionMode::Normal:
        SendScintilla(streamMessage);
        break;
    case SelectionMode::Column:
        SendScintilla(rectangleMessage);
        break;
    case SelectionMode::Line:
        SendScintilla(SCI_SETSELECTIONMODE, SC_SEL_LINES);
        SendScintilla(streamMessage);
        break;
    }
}

void TSyntaxEditor::ShiftBlock(int by) {
    const long first = SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONSTART));
    long last = SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONEND));
    if (last > first &&
        SendScintilla(SCI_GETSELECTIONEND) == SendScintilla(SCI_POSITIONFROMLINE, last)) {
        --last; // a selection ending at a line start leaves that line alone
    }
    SendScintilla(SCI_BEGINUNDOACTION);
    for (long line = first; line <= last; ++line) {
        const long indent = SendScintilla(SCI_GETLINEINDENTATION, line);
        SendScintilla(SCI_SETLINEINDENTATION, line, std::max<long>(0, indent + by));
    }
    SendScintilla(SCI_ENDUNDOACTION);
}

bool TSyntaxEditor::RunBinding(QKeyCombination key) {
    using C = EditorCommand;
    C command;
    if (!FindEditorCommand(key, command)) {
        return false;
    }
    const int n = static_cast<int>(command);
    if (command >= C::ecGotoMarker0 && command <= C::ecGotoMarker9) {
        GotoBookmark(n - static_cast<int>(C::ecGotoMarker0));
        return true;
    }
    if (command >= C::ecSetMarker0 && command <= C::ecSetMarker9) {
        ToggleBookmark(n - static_cast<int>(C::ecSetMarker0));
        return true;
    }
    switch (command) {
    case C::ecUp:
        SendScintilla(SCI_LINEUP);
        break;
    case C::ecSelUp:
        SelectingMove(SCI_LINEUPEXTEND, SCI_LINEUPRECTEXTEND);
        break;
    case C::ecScrollUp:
        SendScintilla(SCI_LINESCROLLUP);
        break;
    case C::ecDown:
        SendScintilla(SCI_LINEDOWN);
        break;
    case C::ecSelDown:
        SelectingMove(SCI_LINEDOWNEXTEND, SCI_LINEDOWNRECTEXTEND);
        break;
    case C::ecScrollDown:
        SendScintilla(SCI_LINESCROLLDOWN);
        break;
    case C::ecLeft:
        SendScintilla(SCI_CHARLEFT);
        break;
    case C::ecSelLeft:
        SelectingMove(SCI_CHARLEFTEXTEND, SCI_CHARLEFTRECTEXTEND);
        break;
    case C::ecWordLeft:
        MoveByWord(-1, false);
        break;
    case C::ecSelWordLeft:
        MoveByWord(-1, true);
        break;
    case C::ecRight:
        SendScintilla(SCI_CHARRIGHT);
        break;
    case C::ecSelRight:
        SelectingMove(SCI_CHARRIGHTEXTEND, SCI_CHARRIGHTRECTEXTEND);
        break;
    case C::ecWordRight:
        MoveByWord(1, false);
        break;
    case C::ecSelWordRight:
        MoveByWord(1, true);
        break;
    case C::ecPageDown:
        SendScintilla(SCI_PAGEDOWN);
        break;
    case C::ecSelPageDown:
        SelectingMove(SCI_PAGEDOWNEXTEND, SCI_PAGEDOWNRECTEXTEND);
        break;
    case C::ecPageBottom:
        MoveToPageEdge(false, false);
        break;
    case C::ecSelPageBottom:
        MoveToPageEdge(false, true);
        break;
    case C::ecPageUp:
        SendScintilla(SCI_PAGEUP);
        break;
    case C::ecSelPageUp:
        SelectingMove(SCI_PAGEUPEXTEND, SCI_PAGEUPRECTEXTEND);
        break;
    case C::ecPageTop:
        MoveToPageEdge(true, false);
        break;
    case C::ecSelPageTop:
        MoveToPageEdge(true, true);
        break;
    case C::ecLineStart:
        SendScintilla(SCI_HOME);
        break;
    case C::ecSelLineStart:
        SelectingMove(SCI_HOMEEXTEND, SCI_HOMERECTEXTEND);
        break;
    case C::ecEditorTop:
        SendScintilla(SCI_DOCUMENTSTART);
        break;
    case C::ecSelEditorTop:
        SelectingMove(SCI_DOCUMENTSTARTEXTEND, SCI_DOCUMENTSTARTEXTEND);
        break;
    case C::ecLineEnd:
        SendScintilla(SCI_LINEEND);
        break;
    case C::ecSelLineEnd:
        SelectingMove(SCI_LINEENDEXTEND, SCI_LINEENDRECTEXTEND);
        break;
    case C::ecEditorBottom:
        SendScintilla(SCI_DOCUMENTEND);
        break;
    case C::ecSelEditorBottom:
        SelectingMove(SCI_DOCUMENTENDEXTEND, SCI_DOCUMENTENDEXTEND);
        break;
    case C::ecToggleMode:
        SendScintilla(SCI_EDITTOGGLEOVERTYPE);
        break;
    case C::ecCopy:
        copy();
        break;
    case C::ecCut:
        cut();
        break;
    case C::ecPaste:
        paste();
        break;
    case C::ecDeleteChar:
        if (!EraseInLongLine(false)) {
            SendScintilla(SCI_CLEAR);
        }
        break;
    case C::ecDeleteLastChar:
        if (!EraseInLongLine(true)) {
            SendScintilla(SCI_DELETEBACK);
        }
        break;
    case C::ecDeleteLastWord:
        DeleteByWord(-1);
        break;
    case C::ecUndo:
        undo();
        break;
    case C::ecRedo:
        redo();
        break;
    case C::ecLineBreak:
        BreakLine();
        break;
    case C::ecTab:
        if (SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONSTART)) !=
            SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONEND))) {
            SendScintilla(SCI_TAB); // a block: indent it
        } else {
            SmartTab();
        }
        break;
    case C::ecShiftTab:
        SendScintilla(SCI_BACKTAB);
        break;
    case C::ecContextHelp:
        emit ContextHelpRequested();
        break;
    case C::ecSelectAll:
        SendScintilla(SCI_SELECTALL);
        break;
    case C::ecBlockIndent:
        ShiftBlock(SendScintilla(SCI_GETINDENT));
        break;
    case C::ecBlockUnindent:
        ShiftBlock(-SendScintilla(SCI_GETINDENT));
        break;
    case C::ecInsertLine:
        SendScintilla(SCI_NEWLINE);
        SendScintilla(SCI_CHARLEFT);
        break;
    case C::ecDeleteWord:
        DeleteByWord(1);
        break;
    case C::ecDeleteLine:
        SendScintilla(SCI_LINEDELETE);
        break;
    case C::ecDeleteEOL:
        SendScintilla(SCI_DELLINERIGHT);
        break;
    case C::ecNormalSelect:
        m_selectionMode = SelectionMode::Normal;
        SendScintilla(SCI_SETSELECTIONMODE, SC_SEL_STREAM);
        break;
    case C::ecColumnSelect:
        m_selectionMode = SelectionMode::Column;
        break;
    case C::ecLineSelect:
        m_selectionMode = SelectionMode::Line;
        break;
    case C::ecMatchBracket:
        moveToMatchingBrace();
        break;
    default:
        return false;
    }
    return true;
}

} // namespace qs
