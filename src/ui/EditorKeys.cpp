#include "ui/EditorKeys.h"

namespace qs {

namespace {

constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kAlt = Qt::AltModifier;

std::vector<EditorKeyBinding> BuildBindings() {
    using C = EditorCommand;
    std::vector<EditorKeyBinding> b = {
        {C::ecUp, Qt::Key_Up},
        {C::ecSelUp, kShift | Qt::Key_Up},
        {C::ecScrollUp, kCtrl | Qt::Key_Up},
        {C::ecDown, Qt::Key_Down},
        {C::ecSelDown, kShift | Qt::Key_Down},
        {C::ecScrollDown, kCtrl | Qt::Key_Down},
        {C::ecLeft, Qt::Key_Left},
        {C::ecSelLeft, kShift | Qt::Key_Left},
        {C::ecWordLeft, kCtrl | Qt::Key_Left},
        {C::ecSelWordLeft, kCtrl | kShift | Qt::Key_Left},
        {C::ecRight, Qt::Key_Right},
        {C::ecSelRight, kShift | Qt::Key_Right},
        {C::ecWordRight, kCtrl | Qt::Key_Right},
        {C::ecSelWordRight, kCtrl | kShift | Qt::Key_Right},
        {C::ecPageDown, Qt::Key_PageDown},
        {C::ecSelPageDown, kShift | Qt::Key_PageDown},
        {C::ecPageBottom, kCtrl | Qt::Key_PageDown},
        {C::ecSelPageBottom, kCtrl | kShift | Qt::Key_PageDown},
        {C::ecPageUp, Qt::Key_PageUp},
        {C::ecSelPageUp, kShift | Qt::Key_PageUp},
        {C::ecPageTop, kCtrl | Qt::Key_PageUp},
        {C::ecSelPageTop, kCtrl | kShift | Qt::Key_PageUp},
        {C::ecLineStart, Qt::Key_Home},
        {C::ecSelLineStart, kShift | Qt::Key_Home},
        {C::ecEditorTop, kCtrl | Qt::Key_Home},
        {C::ecSelEditorTop, kCtrl | kShift | Qt::Key_Home},
        {C::ecLineEnd, Qt::Key_End},
        {C::ecSelLineEnd, kShift | Qt::Key_End},
        {C::ecEditorBottom, kCtrl | Qt::Key_End},
        {C::ecSelEditorBottom, kCtrl | kShift | Qt::Key_End},
        {C::ecToggleMode, Qt::Key_Insert},
        {C::ecCopy, kCtrl | Qt::Key_Insert},
        {C::ecCut, kShift | Qt::Key_Delete},
        {C::ecPaste, kShift | Qt::Key_Insert},
        {C::ecDeleteChar, Qt::Key_Delete},
        {C::ecDeleteLastChar, Qt::Key_Backspace},
        {C::ecDeleteLastChar, kShift | Qt::Key_Backspace},
        {C::ecDeleteLastWord, kCtrl | Qt::Key_Backspace},
        {C::ecUndo, kAlt | Qt::Key_Backspace},
        {C::ecRedo, kAlt | kShift | Qt::Key_Backspace},
        {C::ecLineBreak, Qt::Key_Return},
        {C::ecLineBreak, kShift | Qt::Key_Return},
        {C::ecTab, Qt::Key_Tab},
        {C::ecShiftTab, kShift | Qt::Key_Backtab},
        {C::ecContextHelp, kCtrl | Qt::Key_F1},
        {C::ecSelectAll, kCtrl | Qt::Key_A},
        {C::ecCopy, kCtrl | Qt::Key_C},
        {C::ecPaste, kCtrl | Qt::Key_V},
        {C::ecCut, kCtrl | Qt::Key_X},
        {C::ecBlockIndent, kCtrl | kShift | Qt::Key_I},
        {C::ecBlockUnindent, kCtrl | kShift | Qt::Key_U},
        {C::ecLineBreak, kCtrl | Qt::Key_M},
        {C::ecInsertLine, kCtrl | Qt::Key_N},
        {C::ecDeleteWord, kCtrl | Qt::Key_T},
        {C::ecDeleteLine, kCtrl | Qt::Key_Y},
        {C::ecDeleteEOL, kCtrl | kShift | Qt::Key_Y},
        {C::ecUndo, kCtrl | Qt::Key_Z},
        {C::ecRedo, kCtrl | kShift | Qt::Key_Z},
    };
    for (int n = 0; n < 10; ++n) {
        b.push_back({static_cast<C>(static_cast<int>(C::ecGotoMarker0) + n),
                     kCtrl | static_cast<Qt::Key>(Qt::Key_0 + n)});
    }
    for (int n = 0; n < 10; ++n) {
        b.push_back({static_cast<C>(static_cast<int>(C::ecSetMarker0) + n),
                     kCtrl | kShift | static_cast<Qt::Key>(Qt::Key_0 + n)});
    }
    b.push_back({C::ecNormalSelect, kCtrl | kShift | Qt::Key_N});
    b.push_back({C::ecColumnSelect, kCtrl | kShift | Qt::Key_C});
    b.push_back({C::ecLineSelect, kCtrl | kShift | Qt::Key_L});
    b.push_back({C::ecMatchBracket, kCtrl | kShift | Qt::Key_B});
    return b;
}

// With Shift held, X11 and most layouts report the digit keys as the symbols on them.
Qt::Key DigitBehindShiftedSymbol(Qt::Key key) {
    static constexpr std::pair<Qt::Key, Qt::Key> kUs[] = {
        {Qt::Key_ParenRight, Qt::Key_0},  {Qt::Key_Exclam, Qt::Key_1},
        {Qt::Key_At, Qt::Key_2},          {Qt::Key_NumberSign, Qt::Key_3},
        {Qt::Key_Dollar, Qt::Key_4},      {Qt::Key_Percent, Qt::Key_5},
        {Qt::Key_AsciiCircum, Qt::Key_6}, {Qt::Key_Ampersand, Qt::Key_7},
        {Qt::Key_Asterisk, Qt::Key_8},    {Qt::Key_ParenLeft, Qt::Key_9}};
    for (const auto& [symbol, digit] : kUs) {
        if (symbol == key) {
            return digit;
        }
    }
    return key;
}

} // namespace

const std::vector<EditorKeyBinding>& EditorKeyBindings() {
    static const std::vector<EditorKeyBinding> bindings = BuildBindings();
    return bindings;
}

bool FindEditorCommand(QKeyCombination key, EditorCommand& command) {
    Qt::KeyboardModifiers mods = key.keyboardModifiers() & ~Qt::KeypadModifier;
    Qt::Key k = key.key();
    if (k == Qt::Key_Enter) {
        k = Qt::Key_Return;
    }
    if (k == Qt::Key_Tab && (mods & Qt::ShiftModifier)) {
        k = Qt::Key_Backtab;
    }
    if (mods & Qt::ShiftModifier) {
        k = DigitBehindShiftedSymbol(k);
    }
    const QKeyCombination wanted(mods, k);
    for (const EditorKeyBinding& binding : EditorKeyBindings()) {
        if (binding.key == wanted) {
            command = binding.command;
            return true;
        }
    }
    return false;
}

} // namespace qs
