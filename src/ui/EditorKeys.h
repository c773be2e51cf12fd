// The editor's keystroke table: which key runs which editor command.
#pragma once

#include <QKeyCombination>

#include <string_view>
#include <vector>

namespace qs {

enum class EditorCommand {
    ecUp,
    ecSelUp,
    ecScrollUp,
    ecDown,
    ecSelDown,
    ecScrollDown,
    ecLeft,
    ecSelLeft,
    ecWordLeft,
    ecSelWordLeft,
    ecRight,
    ecSelRight,
    ecWordRight,
    ecSelWordRight,
    ecPageDown,
    ecSelPageDown,
    ecPageBottom,
    ecSelPageBottom,
    ecPageUp,
    ecSelPageUp,
    ecPageTop,
    ecSelPageTop,
    ecLineStart,
    ecSelLineStart,
    ecEditorTop,
    ecSelEditorTop,
    ecLineEnd,
    ecSelLineEnd,
    ecEditorBottom,
    ecSelEditorBottom,
    ecToggleMode,
    ecCopy,
    ecCut,
    ecPaste,
    ecDeleteChar,
    ecDeleteLastChar,
    ecDeleteLastWord,
    ecUndo,
    ecRedo,
    ecLineBreak,
    ecTab,
    ecShiftTab,
    ecContextHelp,
    ecSelectAll,
    ecBlockIndent,
    ecBlockUnindent,
    ecInsertLine,
    ecDeleteWord,
    ecDeleteLine,
    ecDeleteEOL,
    ecGotoMarker0,
    ecGotoMarker9 = ecGotoMarker0 + 9,
    ecSetMarker0,
    ecSetMarker9 = ecSetMarker0 + 9,
    ecNormalSelect,
    ecColumnSelect,
    ecLineSelect,
    ecMatchBracket
};

struct EditorKeyBinding {
    EditorCommand command;
    QKeyCombination key;
};

// The 82 bindings in table order; a command with two keys has two rows.
const std::vector<EditorKeyBinding>& EditorKeyBindings();
// The command bound to a key, if any. Keypad Enter counts as Enter; Shift with a digit
// counts as that digit whatever symbol the keyboard layout puts on it.
bool FindEditorCommand(QKeyCombination key, EditorCommand& command);

} // namespace qs
