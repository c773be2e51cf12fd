// The editor adapter: what counts as a user's change, the keystroke table, bookmarks,
// and the highlighter's styles reaching the text.
#include "highlight/StyleCategories.h"
#include "highlight/SynHighlighterSPSS.h"
#include "ui/EditorKeys.h"
#include "ui/LiveChecks.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <tuple>

namespace qs {
namespace {

void Press(TSyntaxEditor& editor, QKeyCombination key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
    QApplication::sendEvent(&editor, &press);
}

long Caret(TSyntaxEditor& editor) {
    return editor.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
}

TEST(EditorKeys, TheTableHasItsEightyTwoBindingsAndNoKeyTwice) {
    const auto& bindings = EditorKeyBindings();
    EXPECT_EQ(bindings.size(), 82u);
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        for (std::size_t j = i + 1; j < bindings.size(); ++j) {
            EXPECT_NE(bindings[i].key, bindings[j].key) << i << " and " << j;
        }
    }
    EditorCommand command;
    ASSERT_TRUE(FindEditorCommand(QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter), command));
    EXPECT_EQ(command, EditorCommand::ecLineBreak);
    // Ctrl+Shift+3 arrives as Ctrl+Shift+# on most layouts.
    ASSERT_TRUE(
        FindEditorCommand(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_NumberSign, command));
    EXPECT_EQ(static_cast<int>(command), static_cast<int>(EditorCommand::ecSetMarker0) + 3);
    EXPECT_FALSE(FindEditorCommand(Qt::ControlModifier | Qt::Key_F, command));
}

TEST(SyntaxEditor, LoadingIsNoChangeButTypingIs) {
    TSyntaxEditor editor;
    int changes = 0;
    QObject::connect(&editor, &TSyntaxEditor::UserChanged, [&] { ++changes; });
    editor.LoadText("GET FILE='a.sav'.\r\nLIST.\r\n");
    QApplication::processEvents();
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_EQ(editor.LineCount(), 2);
    Press(editor, Qt::Key_X, "x");
    EXPECT_EQ(changes, 1); // reported at the end of the key, not later
    Press(editor, QKeyCombination(Qt::AltModifier, Qt::Key_Backspace)); // undo
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(editor.Text(), "GET FILE='a.sav'.\r\nLIST.\r\n");
}

TEST(SyntaxEditor, TextKeepsNulBytesAndEveryLineEnd) {
    TSyntaxEditor editor;
    const std::string text("a\0b\nc\rd\r\n", 9);
    editor.LoadText(text);
    EXPECT_EQ(editor.Text(), text);
    EXPECT_EQ(editor.LineCount(), 3);
}

TEST(SyntaxEditor, EditorKeysWinOverTheWindowsShortcutsExceptCtrlN) {
    TSyntaxEditor editor;
    const auto overridden = [&](QKeyCombination key) {
        QKeyEvent e(QEvent::ShortcutOverride, key.key(), key.keyboardModifiers());
        QApplication::sendEvent(&editor, &e);
        return e.isAccepted();
    };
    EXPECT_TRUE(overridden(QKeyCombination(Qt::Key_Delete)));
    EXPECT_TRUE(overridden(Qt::ControlModifier | Qt::Key_C));
    EXPECT_FALSE(overridden(Qt::ControlModifier | Qt::Key_N));
    EXPECT_FALSE(overridden(QKeyCombination(Qt::Key_F3)));
    // Del with nothing selected deletes the next character.
    editor.LoadText("abc");
    Press(editor, QKeyCombination(Qt::Key_Delete));
    EXPECT_EQ(editor.Text(), "bc");
}

TEST(SyntaxEditor, KeysWithCtrlOrAltThatTheTableDoesNotBindTypeNothing) {
    TSyntaxEditor editor;
    editor.LoadText("x");
    const std::pair<Qt::Key, const char*> keys[] = {
        {Qt::Key_Equal, "="}, {Qt::Key_Plus, "+"},       {Qt::Key_Minus, "-"},
        {Qt::Key_Semicolon, ";"}, {Qt::Key_Apostrophe, "'"}, {Qt::Key_Comma, ","},
        {Qt::Key_Period, "."}, {Qt::Key_Q, "q"}};
    for (const auto& [key, text] : keys) {
        Press(editor, Qt::ControlModifier | key, text);
        Press(editor, Qt::AltModifier | key, text);
    }
    EXPECT_EQ(editor.Text(), "x");
    Press(editor, QKeyCombination(Qt::Key_Equal), "="); // without them it is text
    EXPECT_EQ(editor.Text(), "=x");
}

// One command's mistakes, as the highlighter reads its lines: what is marked, and where.
TEST(LiveChecks, MarkTheMistakesOfACommand) {
    struct Row {
        std::vector<std::string_view> lines;
        std::vector<std::tuple<std::size_t, std::size_t, std::string>> marks; // line, start, text
    };
    const Row rows[] = {
        {{"FREQUENCIES x."}, {}},
        {{"freq x /STATISTICS=MEAN."}, {}},
        {{"FREQUENCIS x."}, {{0, 0, "did you mean FREQUENCIES?"}}},
        {{"COMPUTE y = (x + 1."}, {{0, 12, "not closed within the command"}}},
        {{"COMPUTE y = (x + 1", "  )) * 2."}, {{1, 3, "closes none"}}},
        {{"ECHO 'one."}, {{0, 5, "apostrophe is left open"}}},
        {{"ECHO \"it's\"."}, {}},
        {{"* A comment with 'a quote and (a parenthesis."}, {}},
        {{"COMPUTE y = x. /* (not closed */"}, {}},
    };
    TSynSPSSHighlighter highlighter;
    for (const Row& row : rows) {
        const std::vector<LiveMark> marks = CheckCommand(highlighter, row.lines, 0);
        ASSERT_EQ(marks.size(), row.marks.size()) << row.lines.front();
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const auto& [line, start, text] = row.marks[i];
            EXPECT_EQ(marks[i].line, line) << row.lines.front();
            EXPECT_EQ(marks[i].start, start) << row.lines.front();
            EXPECT_NE(marks[i].message.find(text), std::string::npos) << marks[i].message;
        }
    }
}

// Typing marks a mistake of the command at the caret; correcting it clears the mark.
TEST(SyntaxEditor, LiveMarksComeAndGoWithTheText) {
    TSynSPSSHighlighter highlighter;
    TSyntaxEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.LoadText("LIST.\n");
    editor.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    const auto type = [&](const QString& text) {
        for (const QChar c : text) {
            Press(editor, QKeyCombination(Qt::Key_A), c);
        }
        QCoreApplication::processEvents(); // the change is reported from the event loop
    };
    type("ECHO 'open.");
    const long quote = 6 + 5; // "LIST.\n" then "ECHO "
    EXPECT_TRUE(editor.LiveMessageAt(quote).contains("left open"));
    Press(editor, QKeyCombination(Qt::Key_Backspace));
    type("'.");
    EXPECT_TRUE(editor.LiveMessageAt(quote).isEmpty());
    EXPECT_EQ(editor.Text(), "LIST.\nECHO 'open'.");
}

// On the dark default, what is drawn over the text turns light, the gutter and the area past
// the text dark; the light default brings them back.
TEST(SyntaxEditor, TheEditorsOwnColoursFollowTheTextsPaper) {
    TSynSPSSHighlighter highlighter;
    TSyntaxEditor editor;
    editor.SetHighlighter(&highlighter);
    const auto lightness = [&](int message, long style) {
        const long bgr = editor.SendScintilla(message, style);
        return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF).lightness();
    };
    for (const bool dark : {true, false}) {
        dark ? ApplyDarkStyles(highlighter) : ApplyDefaultStyles(highlighter);
        editor.RefreshStyles();
        SCOPED_TRACE(dark);
        EXPECT_EQ(lightness(QsciScintilla::SCI_STYLEGETBACK, QsciScintilla::STYLE_DEFAULT) < 128, dark);
        EXPECT_EQ(lightness(QsciScintilla::SCI_STYLEGETBACK, QsciScintilla::STYLE_LINENUMBER) < 128, dark);
        EXPECT_EQ(lightness(QsciScintilla::SCI_GETCARETFORE, 0) >= 128, dark);
        EXPECT_EQ(lightness(QsciScintilla::SCI_STYLEGETFORE, static_cast<long>(TokenKind::Unknown)) >= 128, dark);
    }
}

TEST(SyntaxEditor, TheLineNumberGutterFitsTheLargestNumber) {
    TSynSPSSHighlighter highlighter;
    TSyntaxEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.RefreshStyles();
    const auto fits = [&](const char* digits) {
        return editor.SendScintilla(QsciScintilla::SCI_GETMARGINWIDTHN, 0) >
               editor.SendScintilla(QsciScintilla::SCI_TEXTWIDTH, QsciScintilla::STYLE_LINENUMBER,
                                    digits);
    };
    editor.LoadText("LIST.\r\n");
    EXPECT_TRUE(fits("9999"));
    editor.LoadText(std::string(99998, '\n')); // 99,999 lines
    EXPECT_TRUE(fits("99999"));
    editor.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    Press(editor, QKeyCombination(Qt::Key_Return)); // the 100,000th
    EXPECT_TRUE(fits("100000"));
}

TEST(SyntaxEditor, WordsEndWhereTheHighlightersWordCharactersEnd) {
    TSyntaxEditor editor;
    // Text, then where Ctrl+Right from the start stops (bytes) and the word at the start.
    const std::tuple<const char*, long, const char*> rows[] = {
        {"a\xC3\x97" "b c", 1, "a"},             // ×: a sign
        {"a\xC2\xB5" "b c", 1, "a"},             // µ: outside the word set
        {"a\xC2\xA9" "b c", 1, "a"},             // ©
        {"\xC3\xA9t\xC3\xA9 c", 6, "\xC3\xA9t\xC3\xA9"}, // é: a letter
        {"a\xC5\x92" "b c", 1, "a"},             // Œ: a Windows-1252 byte outside the set
        {"a\xCE\xB1" "b c", 5, "a\xCE\xB1" "b"}, // α: no byte of the code page, a letter
        {"age_2 .x", 6, "age_2"},
    };
    for (const auto& [text, stop, word] : rows) {
        editor.LoadText(text);
        EXPECT_EQ(editor.WordAtCaret().toStdString(), word) << text;
        Press(editor, Qt::ControlModifier | Qt::Key_Right);
        EXPECT_EQ(Caret(editor), stop) << text;
        Press(editor, Qt::ControlModifier | Qt::Key_Left);
        EXPECT_EQ(Caret(editor), 0) << text;
        Press(editor, Qt::ControlModifier | Qt::Key_T); // deletes up to the same place
        EXPECT_EQ(editor.Text(), std::string(text).substr(static_cast<std::size_t>(stop)));
    }
}

TEST(SyntaxEditor, OnlyEnteringTheEditorCountsNotTheWindowComingBack) {
    TSyntaxEditor editor;
    int entered = 0;
    QObject::connect(&editor, &TSyntaxEditor::FocusEntered, [&] { ++entered; });
    const std::pair<Qt::FocusReason, int> rows[] = {{Qt::MouseFocusReason, 1},
                                                    {Qt::TabFocusReason, 1},
                                                    {Qt::ActiveWindowFocusReason, 0},
                                                    {Qt::PopupFocusReason, 0}};
    for (const auto& [reason, counts] : rows) {
        entered = 0;
        QFocusEvent in(QEvent::FocusIn, reason);
        QApplication::sendEvent(&editor, &in);
        EXPECT_EQ(entered, counts) << reason;
    }
}

TEST(SyntaxEditor, BookmarksAreSetToggledAndReached) {
    TSyntaxEditor editor;
    editor.LoadText("line0\r\nline1\r\nline2\r\n");
    editor.SendScintilla(QsciScintilla::SCI_GOTOPOS, 10);                       // line 1, column 3
    Press(editor, Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_ParenLeft); // Ctrl+Shift+9
    EXPECT_EQ(editor.BookmarkLine(9), 1);
    editor.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    Press(editor, Qt::ControlModifier | Qt::Key_9);
    EXPECT_EQ(Caret(editor), 10);
    Press(editor, Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_9); // again: removed
    EXPECT_EQ(editor.BookmarkLine(9), -1);
}

TEST(SyntaxEditor, TrailingBlanksOfAnEditedLineGoWhenTheCaretLeavesIt) {
    TSyntaxEditor editor;
    editor.LoadText("keep   \r\nx\r\n");
    editor.SendScintilla(QsciScintilla::SCI_GOTOPOS, 10); // after "x"
    Press(editor, Qt::Key_Space, " ");
    Press(editor, Qt::Key_Space, " ");
    Press(editor, QKeyCombination(Qt::Key_Up));
    EXPECT_EQ(editor.Text(), "keep   \r\nx\r\n"); // the untouched line keeps its blanks
}

TEST(SyntaxEditor, TrailingBlanksAlsoGoWhenTheProgramMovesTheCaret) {
    TSyntaxEditor editor;
    editor.resize(400, 200);
    editor.show();
    QApplication::processEvents();
    editor.LoadText("x\r\nkeep\r\n");
    editor.SendScintilla(QsciScintilla::SCI_GOTOPOS, 1); // after "x"
    Press(editor, Qt::Key_Space, " ");
    editor.SendScintilla(QsciScintilla::SCI_GOTOPOS, 5); // as a search or a bookmark does
    editor.viewport()->repaint(); // the editor control reports the move when it paints
    EXPECT_EQ(editor.Text(), "x\r\nkeep\r\n");
}

TEST(SyntaxEditor, TabGoesToTheNextWordStartOfTheLineAbove) {
    TSyntaxEditor editor;
    editor.LoadText("COMPUTE   x = 1.\r\n");
    editor.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    Press(editor, QKeyCombination(Qt::Key_Tab));
    EXPECT_EQ(editor.SendScintilla(QsciScintilla::SCI_GETCOLUMN, Caret(editor)), 10);
    Press(editor, QKeyCombination(Qt::Key_Tab));
    EXPECT_EQ(editor.SendScintilla(QsciScintilla::SCI_GETCOLUMN, Caret(editor)), 12);
}

TEST(SyntaxEditor, TheHighlightersKindsBecomeTheTextsStyles) {
    TSynSPSSHighlighter highlighter;
    TSyntaxEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.resize(400, 200);
    editor.LoadText("* note.\r\nFREQUENCIES age.\r\n");
    const auto styleAll = [&] { editor.SendScintilla(QsciScintilla::SCI_COLOURISE, 0, -1); };
    styleAll();
    const auto styleAt = [&](long pos) {
        return static_cast<TokenKind>(editor.SendScintilla(QsciScintilla::SCI_GETSTYLEAT, pos));
    };
    EXPECT_EQ(styleAt(0), TokenKind::Comment);
    EXPECT_EQ(styleAt(9), TokenKind::Command);
    EXPECT_EQ(styleAt(20), TokenKind::Space);
    // Without its period the comment runs on: the line below is restyled with it.
    editor.SendScintilla(QsciScintilla::SCI_GOTOPOS, 7);
    Press(editor, QKeyCombination(Qt::Key_Backspace));
    styleAll();
    EXPECT_EQ(styleAt(8), TokenKind::Comment);
}

// A line past the length from which typed text goes in with the line styled at once.
std::string LongLine(const std::string& piece) {
    std::string line;
    while (line.size() < 20000) {
        line += piece;
    }
    return line;
}

// The styles as a paint would show them: only the text after the styled part is styled.
std::string StylesOf(TSyntaxEditor& editor) {
    editor.SendScintilla(QsciScintilla::SCI_COLOURISE,
                         editor.SendScintilla(QsciScintilla::SCI_GETENDSTYLED), -1);
    std::string styles;
    const long length = editor.SendScintilla(QsciScintilla::SCI_GETLENGTH);
    for (long pos = 0; pos < length; ++pos) {
        styles += static_cast<char>(editor.SendScintilla(QsciScintilla::SCI_GETSTYLEAT, pos));
    }
    return styles;
}

struct LongLineCase {
    const char* name;
    std::string text;
    long caret; // from the start of the text; -1 is the end of the long line, -2 the next start
    std::string typed;
    bool oneKey = false; // the typed text arrives as the text of one key
    bool shown = true;   // the text was styled as shown before the keys
    int undos = 1;       // undo steps back to the text
};

class LongLineTyping : public ::testing::TestWithParam<LongLineCase> {};

TEST_P(LongLineTyping, GivesTheTextStylesAndUndoOfOrdinaryTyping) {
    const LongLineCase& c = GetParam();
    TSynSPSSHighlighter highlighter;
    TSyntaxEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.resize(400, 200);
    editor.LoadText(c.text);
    const long caret = c.caret >= 0 ? c.caret
                       : c.caret == -1
                           ? editor.SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, 0)
                           : editor.SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, 1);
    editor.SendScintilla(QsciScintilla::SCI_GOTOPOS, caret);
    if (c.shown) {
        editor.SendScintilla(QsciScintilla::SCI_COLOURISE, 0, -1);
    }
    if (c.oneKey) {
        Press(editor, QKeyCombination(Qt::Key_A), QString::fromStdString(c.typed));
    }
    std::string expected = c.text;
    auto at = static_cast<std::size_t>(caret);
    if (c.oneKey) {
        expected.insert(at, c.typed);
        at += c.typed.size();
    }
    for (const char ch : c.oneKey ? std::string() : c.typed) {
        if (ch == '\b' || ch == '\x7f') { // Backspace, Delete (a line break goes whole)
            Press(editor, QKeyCombination(ch == '\b' ? Qt::Key_Backspace : Qt::Key_Delete));
            const bool lineBreak = ch == '\b' && expected.compare(at - 2, 2, "\r\n") == 0;
            at -= ch == '\b' ? (lineBreak ? 2 : 1) : 0;
            expected.erase(at, lineBreak ? 2 : 1);
            continue;
        }
        if (ch == '\x17') { // Ctrl+Backspace, after a word and a blank
            Press(editor, QKeyCombination(Qt::ControlModifier, Qt::Key_Backspace));
            const std::size_t wordStart = expected.find_last_of(' ', at - 2) + 1;
            expected.erase(wordStart, at - wordStart);
            at = wordStart;
            continue;
        }
        if (ch == '\n') { // Enter; the line left behind loses its trailing blanks
            Press(editor, QKeyCombination(Qt::Key_Return), "\r");
            while (expected[at - 1] == ' ') {
                expected.erase(--at, 1);
            }
            expected.insert(at, "\r\n");
            at += 2;
            continue;
        }
        Press(editor,
              QKeyCombination(static_cast<Qt::Key>(QChar::fromLatin1(ch).toUpper().unicode())),
              QString(QChar::fromLatin1(ch)));
        expected.insert(at++, 1, ch);
    }
    ASSERT_EQ(editor.Text(), expected);
    EXPECT_EQ(Caret(editor), static_cast<long>(at));
    TSyntaxEditor fresh;
    fresh.SetHighlighter(&highlighter);
    fresh.LoadText(expected);
    EXPECT_EQ(StylesOf(editor), StylesOf(fresh));
    for (int i = 0; i < c.undos; ++i) {
        Press(editor, QKeyCombination(Qt::AltModifier, Qt::Key_Backspace));
    }
    EXPECT_EQ(editor.Text(), c.text);
    TSyntaxEditor before;
    before.SetHighlighter(&highlighter);
    before.LoadText(c.text);
    EXPECT_EQ(StylesOf(editor), StylesOf(before)); // styled again after the undo
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LongLineTyping,
    ::testing::Values(
        LongLineCase{"AtTheEnd", LongLine("COMPUTE v1 = v2 + 1. ") + "\r\nLIST.\r\n", -1,
                     " FREQUENCIES v1."},
        LongLineCase{"InTheMiddle", LongLine("x = 'a b' + 2. ") + "\r\nLIST.\r\n", 7001, "/abc"},
        // The period ends the comment, so the line below is no longer part of it.
        LongLineCase{"EndingACommentRestylesTheLinesBelow",
                     "COMMENT " + LongLine("words ") + "\r\nFREQUENCIES v1.\r\nLIST.\r\n", -1, "."},
        LongLineCase{"OpeningAStringAtTheEnd", LongLine("a b ") + "\r\nLIST.\r\n", -1, "'x"},
        LongLineCase{"ALineBreakInTheKeysText", LongLine("x = 1. ") + "\r\nLIST.\r\n", -1,
                     "a\r\nFREQUENCIES v1.", true},
        // Erased: the period, so the comment runs on into the line below; then words.
        LongLineCase{"BackspaceAtTheEnd", "COMMENT " + LongLine("words ") + ".\r\nx.\r\nLIST.\r\n",
                     -1, "\b\b\b\b\b\b"},
        LongLineCase{"DeleteInTheMiddle", LongLine("COMPUTE v1 = v2 + 1. ") + "\r\nLIST.\r\n", 7000,
                     "\x7f\x7f\x7f\x7f"},
        LongLineCase{"CtrlBackspaceAtTheEnd", "x = " + LongLine("words ") + "\r\nLIST.\r\n", -1,
                     "\x17"},
        // The comment runs on into the new line and the one below it.
        LongLineCase{"EnterAtTheEnd", "COMMENT " + LongLine("words ") + "end\r\nx.\r\nLIST.\r\n",
                     -1, "\n"},
        LongLineCase{"EnterAtTheEndOfAStatement", "x = " + LongLine("words ") + "end\r\nLIST.\r\n",
                     -1, "\n"},
        LongLineCase{"EnterAfterTrailingBlanks", "x = " + LongLine("words ") + "\r\nLIST.\r\n", -1,
                     "\n", false, true, 2},
        // Backspace on the empty line below joins it to the long line.
        LongLineCase{"BackspaceJoinsAnEmptyLine",
                     "x = " + LongLine("words ") + "end\r\n\r\nLIST.\r\n", -2, "\b"},
        LongLineCase{"EnterBeforeTheLineWasShown", "x = " + LongLine("words ") + "end\r\nLIST.\r\n",
                     -1, "\n", false, false}),
    [](const auto& row) { return std::string(row.param.name); });

// Undoing typed text on a long line styles the line before the control places the caret,
// which lays the line out: the styles are final before any paint asks for them.
TEST(SyntaxEditor, UndoOfTypingStylesALongLineAtOnce) {
    struct Row {
        std::string text;
        long caret; // -1: the end of the long line
        std::string typed;
    };
    const Row rows[] = {
        {"* a.\r\n" + LongLine("COMPUTE v1 = v2 + 1. ") + "\r\nLIST.\r\n", -1, " FREQ x"},
        // The comment the slash and star began ends with them: the styles after them change.
        {"* a.\r\n" + LongLine("x = a b. ") + "\r\nLIST.\r\n", 7000, "/*"},
        {"COMMENT a.\r\nCOMMENT " + LongLine("words ") + "\r\nLIST.\r\n", -1, "."},
    };
    TSynSPSSHighlighter highlighter;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        TSyntaxEditor editor;
        editor.SetHighlighter(&highlighter);
        editor.LoadText(row.text);
        const long lineStart = editor.SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, 1);
        const long next = editor.SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, 2);
        editor.SendScintilla(QsciScintilla::SCI_GOTOPOS,
                             row.caret >= 0
                                 ? row.caret
                                 : editor.SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, 1));
        editor.SendScintilla(QsciScintilla::SCI_COLOURISE, 0, -1);
        for (const char ch : row.typed) {
            Press(editor,
                  QKeyCombination(static_cast<Qt::Key>(QChar::fromLatin1(ch).toUpper().unicode())),
                  QString(QChar::fromLatin1(ch)));
        }
        Press(editor, QKeyCombination(Qt::AltModifier, Qt::Key_Backspace));
        ASSERT_EQ(editor.Text(), row.text);
        std::string styles;
        for (long pos = lineStart; pos < next; ++pos) {
            styles += static_cast<char>(editor.SendScintilla(QsciScintilla::SCI_GETSTYLEAT, pos));
        }
        TSyntaxEditor fresh;
        fresh.SetHighlighter(&highlighter);
        fresh.LoadText(row.text);
        EXPECT_EQ(styles, StylesOf(fresh).substr(lineStart, next - lineStart));
        EXPECT_EQ(editor.SendScintilla(QsciScintilla::SCI_GETLINESTATE, 1),
                  fresh.SendScintilla(QsciScintilla::SCI_GETLINESTATE, 1));
        EXPECT_EQ(StylesOf(editor), StylesOf(fresh));
    }
}

// Keys at random on and around a long line: whatever path each key takes, the styles end
// up as those of the same text loaded afresh.
TEST(SyntaxEditor, RandomKeysAtALongLineStyleAsAFreshText) {
    TSynSPSSHighlighter highlighter;
    TSyntaxEditor editor;
    editor.SetHighlighter(&highlighter);
    editor.resize(400, 200);
    editor.LoadText("COMMENT a.\r\n" + LongLine("COMPUTE v1 = v2 + 1. ") +
                    "\r\n* note\r\nLIST.\r\n");
    editor.SendScintilla(QsciScintilla::SCI_GOTOPOS,
                         editor.SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, 1));
    const std::string printable = "ab1 .=/*\"'(x";
    const QKeyCombination keys[] = {
        Qt::Key_Backspace,
        Qt::Key_Delete,
        QKeyCombination(Qt::ControlModifier, Qt::Key_Backspace),
        Qt::Key_Return,
        Qt::Key_Left,
        Qt::Key_Right,
        Qt::Key_End,
        Qt::Key_Up,
        Qt::Key_Down,
        QKeyCombination(Qt::AltModifier, Qt::Key_Backspace), // undo
    };
    std::mt19937 rng(11);
    const auto pick = [&rng](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    for (int i = 0; i < 200; ++i) {
        if (pick(2) == 0) {
            const char ch = printable[pick(printable.size())];
            Press(editor,
                  QKeyCombination(static_cast<Qt::Key>(QChar::fromLatin1(ch).toUpper().unicode())),
                  QString(QChar::fromLatin1(ch)));
        } else {
            Press(editor, keys[pick(std::size(keys))]);
        }
        TSyntaxEditor fresh;
        fresh.SetHighlighter(&highlighter);
        fresh.LoadText(editor.Text());
        ASSERT_EQ(StylesOf(editor), StylesOf(fresh)) << "after key " << i;
    }
}

// Backspace in a line's indentation unindents it, on a long line as on a short one.
TEST(SyntaxEditor, BackspaceUnindentsALongLineAsAShortOne) {
    TSynSPSSHighlighter highlighter;
    std::string starts[2];
    for (const std::string& rest : {std::string("x = 1."), LongLine("x = 1. ")}) {
        TSyntaxEditor editor;
        editor.SetHighlighter(&highlighter);
        editor.LoadText("      " + rest + "\r\n");
        editor.SendScintilla(QsciScintilla::SCI_GOTOPOS, 6);
        Press(editor, QKeyCombination(Qt::Key_Backspace));
        starts[rest.size() > 100] = editor.Text().substr(0, 8);
    }
    EXPECT_EQ(starts[1], starts[0]);
    EXPECT_NE(starts[0], "     x =") << "a blank erased, not a step of indentation";
}

struct AcceptCase {
    const char* name;
    std::string typed; // typed key by key; "^ " is Ctrl+Space, '>' Down and '<' Up
    bool listOpen;
    std::string text; // after Enter
};

class CompletionInEditor : public ::testing::TestWithParam<AcceptCase> {};

// Each row is typed into an empty text and after a very long line's statements.
TEST_P(CompletionInEditor, EnterWritesTheWordAsTheLanguageOrDataFileSpellsIt) {
    const AcceptCase& c = GetParam();
    for (const std::string& before : {std::string(), LongLine("COMPUTE v = 1. ")}) {
        TSynSPSSHighlighter highlighter;
        TSyntaxEditor editor;
        editor.SetHighlighter(&highlighter);
        editor.SetCompletionNames({"AgeGroup"}, {"brands"});
        editor.resize(400, 200);
        editor.LoadText(before);
        editor.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
        editor.SendScintilla(QsciScintilla::SCI_COLOURISE, 0, -1);
        for (std::size_t i = 0; i < c.typed.size(); ++i) {
            if (c.typed.compare(i, 2, "^ ") == 0) {
                Press(editor, Qt::ControlModifier | Qt::Key_Space);
                ++i;
            } else if (c.typed[i] == '>' || c.typed[i] == '<') {
                Press(editor, QKeyCombination(c.typed[i] == '>' ? Qt::Key_Down : Qt::Key_Up));
            } else {
                const QChar ch = QChar::fromLatin1(c.typed[i]);
                Press(editor, QKeyCombination(static_cast<Qt::Key>(ch.toUpper().unicode())),
                      QString(ch));
            }
        }
        EXPECT_EQ(editor.CompletionActive(), c.listOpen) << before.size();
        Press(editor, QKeyCombination(Qt::Key_Return));
        EXPECT_EQ(editor.Text(), before + c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CompletionInEditor,
    ::testing::Values(AcceptCase{"CommandInCapitals", "freque><", true, "FREQUENCIES"},
                      AcceptCase{"VariableAsSpelt", "x=agegr><", true, "x=AgeGroup"},
                      AcceptCase{"OpenedByTypingEnterBreaksTheLine", "freque", true,
                                 "freque\r\n"},
                      AcceptCase{"TypedWordIsNoEntry", "freq>", true, "FREQUENCY"},
                      AcceptCase{"SetWithDollarOnRequest", "$br^ ", true, "$brands"},
                      AcceptCase{"TwoLettersOpenNothing", "ag", false, "ag\r\n"},
                      AcceptCase{"NotInAString", "'agegr", false, "'agegr\r\n"},
                      AcceptCase{"NotInAComment", "/* agegr", false, "/* agegr\r\n"},
                      AcceptCase{"AfterAClosedString", "'a' agegr><", true, "'a' AgeGroup"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace qs
