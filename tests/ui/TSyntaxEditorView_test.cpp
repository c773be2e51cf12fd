// The caret's column as counted for the status bar, and the caret line's shade.
#include "highlight/SynHighlighterSPSS.h"
#include "ui/TSyntaxEditor.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace qs {
namespace {

using SB = QsciScintillaBase;

TEST(CaretPlace, TheCountedColumnIsTheEditorsOwnAfterMovesAndEdits) {
    TSyntaxEditor editor;
    editor.LoadText("a\tb\xC3\xA9"
                    "cd\r\n\xE2\x82\xAC\xE2\x82\xAC\tx\r\nplain line\r\n");
    // The caret may stand in the space past a line's end (a move down from a longer line).
    const auto column = [&] {
        return editor.SendScintilla(SB::SCI_GETCOLUMN,
                                    editor.SendScintilla(SB::SCI_GETCURRENTPOS)) +
               editor.SendScintilla(SB::SCI_GETSELECTIONNCARETVIRTUALSPACE, 0UL);
    };
    // Each step moves the caret or changes the text; the count must follow every one.
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"line end", [&] { editor.SendScintilla(SB::SCI_LINEEND); }},
        {"left over a letter", [&] { editor.SendScintilla(SB::SCI_CHARLEFT); }},
        {"left over a tab", [&] { editor.SendScintilla(SB::SCI_GOTOPOS, 1L); }},
        {"type before the tab", [&] { editor.SendScintilla(SB::SCI_REPLACESEL, "xyz"); }},
        {"to the end again", [&] { editor.SendScintilla(SB::SCI_LINEEND); }},
        {"insert at the start", [&] { editor.SendScintilla(SB::SCI_INSERTTEXT, 0UL, "12345678"); }},
        {"down a line", [&] { editor.SendScintilla(SB::SCI_LINEDOWN); }},
        {"type at the end", [&] { editor.SendScintilla(SB::SCI_REPLACESEL, "\xC3\xA9\xC3\xA9"); }},
        {"last line", [&] { editor.SendScintilla(SB::SCI_DOCUMENTEND); }},
        {"delete backwards", [&] { editor.SendScintilla(SB::SCI_DELETEBACK); }},
    };
    for (const auto& [name, step] : steps) {
        step();
        const auto [line, col] = editor.CaretLineColumn();
        EXPECT_EQ(col, column()) << name;
        EXPECT_EQ(line, editor.SendScintilla(SB::SCI_LINEFROMPOSITION,
                                             editor.SendScintilla(SB::SCI_GETCURRENTPOS)))
            << name;
    }
}

TEST(CaretPlace, TheCaretLineShadeSuitsTheBackgroundAndTheStyleSampleHasNone) {
    const std::tuple<const char*, TColor, long> rows[] = {
        {"light background", 0xFFFFFF, 0x000000},
        {"dark background", 0x302010, 0xFFFFFF},
    };
    for (const auto& [name, paper, shade] : rows) {
        TSynSPSSHighlighter highlighter;
        highlighter.SpaceAttri().SetBackground(paper);
        TSyntaxEditor editor;
        editor.SetHighlighter(&highlighter);
        editor.RefreshStyles();
        EXPECT_EQ(editor.SendScintilla(SB::SCI_GETCARETLINEVISIBLE), 1) << name;
        EXPECT_EQ(editor.SendScintilla(SB::SCI_GETCARETLINEBACK), shade) << name;
        EXPECT_LT(editor.SendScintilla(SB::SCI_GETCARETLINEBACKALPHA), 64) << name;
        editor.SetSampleView();
        EXPECT_EQ(editor.SendScintilla(SB::SCI_GETCARETLINEVISIBLE), 0) << name;
    }
}

} // namespace
} // namespace qs
