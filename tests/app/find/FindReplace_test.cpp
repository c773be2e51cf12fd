// The main window's find and replace, with the dialogs answered by the test: the state
// and histories, where searches start, Find next and previous, replace and the messages.
#include "app/find/FindReplace.h"

#include "EditorText.h"
#include "app/find/dlgReplaceText.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace qs {
namespace {

struct DialogAnswer {
    QString search;
    QString replace;
    bool backwards = false;
    bool matchCase = false;
    bool wholeWords = false;
    bool fromCaret = false;
    bool selectedOnly = false;
    bool ok = true;
};

class FindReplaceTest : public ::testing::Test {
protected:
    FindReplaceTest() {
        find.SetDialogRunner([this](TTextSearchDialog& dialog) {
            ++dialogs;
            replaceDialogs += dynamic_cast<TTextReplaceDialog*>(&dialog) != nullptr;
            return Fill(dialog);
        });
    }

    bool Fill(TTextSearchDialog& dialog) {
        shown = {dialog.SearchText(),           {},
                 dialog.SearchBackwards(),      dialog.SearchCaseSensitive(),
                 dialog.SearchWholeWords(),     dialog.SearchFromCursor(),
                 dialog.SearchInSelectionOnly()};
        dialog.SetSearchText(answer.search);
        dialog.SetSearchBackwards(answer.backwards);
        dialog.SetSearchCaseSensitive(answer.matchCase);
        dialog.SetSearchWholeWords(answer.wholeWords);
        dialog.SetSearchFromCursor(answer.fromCaret);
        dialog.SetSearchInSelectionOnly(answer.selectedOnly);
        if (auto* replace = dynamic_cast<TTextReplaceDialog*>(&dialog)) {
            shown.replace = replace->ReplaceText();
            replace->SetReplaceText(answer.replace);
        }
        (answer.ok ? dialog.btnOK : dialog.btnCancel)->click();
        return dialog.result() == QDialog::Accepted;
    }

    void ExpectSelection(int anchor, int caret) const {
        EXPECT_EQ(text.Anchor(), anchor);
        EXPECT_EQ(text.Caret(), caret);
    }

    test::EditorText text;
    TFindState state;
    QString status = "earlier message";
    int beeps = 0;
    int dialogs = 0;
    int replaceDialogs = 0;
    DialogAnswer answer;
    DialogAnswer shown; // what the last dialog showed when it opened
    TFindReplace find{nullptr, &text.editor, [this](const QString& s) { status = s; },
                      [this] { ++beeps; }, state};
};

TEST_F(FindReplaceTest, EleventhSearchTextPushesTheOldestOutAndARepeatMovesToTop) {
    text.Load("t1 t2");
    for (int i = 1; i <= 11; ++i) {
        answer.search = QString("t%1").arg(i);
        answer.replace = QString("r%1").arg(i);
        find.OpenFindDialog(i % 2 == 0);
    }
    EXPECT_EQ(state.FindHistory, "t11\r\nt10\r\nt9\r\nt8\r\nt7\r\nt6\r\nt5\r\nt4\r\nt3\r\nt2");
    EXPECT_EQ(state.ReplaceHistory, "r10\r\nr8\r\nr6\r\nr4\r\nr2");
    answer.search = "t5";
    answer.replace = "r4";
    find.OpenFindDialog(true);
    EXPECT_EQ(state.FindHistory, "t5\r\nt11\r\nt10\r\nt9\r\nt8\r\nt7\r\nt6\r\nt4\r\nt3\r\nt2");
    EXPECT_EQ(state.ReplaceHistory, "r4\r\nr10\r\nr8\r\nr6\r\nr2");
    EXPECT_EQ(replaceDialogs, 6);
}

TEST_F(FindReplaceTest, DialogShowsTheStateAndCancelKeepsIt) {
    text.Load("cat cat");
    text.Select(1, 2);
    state = {true, true, true, true, true, "cat", "cat\r\ndog", "bird", "bird"};
    const TFindState before = state;
    answer = {"dog", "fish", false, false, false, false, false, /*ok=*/false};
    find.OpenFindDialog(true);
    EXPECT_EQ(shown.search, "cat");
    EXPECT_EQ(shown.replace, "bird");
    EXPECT_TRUE(shown.backwards && shown.matchCase && shown.wholeWords && shown.fromCaret &&
                shown.selectedOnly);
    EXPECT_EQ(state.FindText, before.FindText);
    EXPECT_EQ(state.FindHistory, before.FindHistory);
    EXPECT_EQ(state.ReplaceWith, before.ReplaceWith);
    EXPECT_TRUE(state.MatchCase);
    EXPECT_EQ(status, "");
    EXPECT_EQ(beeps, 0);
    ExpectSelection(1, 2);
    EXPECT_FALSE(find.ContinueFromCaret());
}

TEST_F(FindReplaceTest, EmptySearchTextStoresTheOptionsAndSearchesNothing) {
    for (const bool fromCaret : {false, true}) {
        text.Load("cat cat");
        text.Select(1, 2);
        answer = {"", "", true, true, true, fromCaret, true};
        find.OpenFindDialog(false);
        EXPECT_TRUE(state.Backwards && state.MatchCase && state.WholeWords && state.SelectionOnly);
        EXPECT_EQ(state.FromCaret, fromCaret);
        EXPECT_EQ(find.ContinueFromCaret(), fromCaret);
        EXPECT_EQ(beeps, 0);
        ExpectSelection(1, 2);
    }
}

TEST_F(FindReplaceTest, FirstDialogSearchCoversTheScopeThenFindNextContinues) {
    text.Load("cat cat cat");
    text.Select(11, 11);
    answer.search = "cat";
    find.OpenFindDialog(false);
    ExpectSelection(0, 3);
    EXPECT_TRUE(find.ContinueFromCaret());
    find.RunFind(false, false);
    ExpectSelection(4, 7);

    text.Select(0, 0);
    answer.backwards = true;
    find.OpenFindDialog(false);
    ExpectSelection(11, 8);
    find.RunFind(false, true);
    ExpectSelection(7, 4);
    EXPECT_EQ(beeps, 0);
}

TEST_F(FindReplaceTest, SearchFromCaretStartsAtTheCaret) {
    text.Load("cat cat cat");
    text.Select(5, 5);
    answer = {"cat", "", false, false, false, /*fromCaret=*/true};
    find.OpenFindDialog(false);
    ExpectSelection(8, 11);
}

TEST_F(FindReplaceTest, FindPreviousGoesBackwardsAfterAForwardDialog) {
    text.Load("cat cat cat");
    answer.search = "cat";
    find.OpenFindDialog(false);
    find.RunFind(false, false);
    ExpectSelection(4, 7);
    find.RunFind(false, true);
    ExpectSelection(3, 0);
    EXPECT_FALSE(state.Backwards);
    EXPECT_EQ(dialogs, 1);
}

TEST_F(FindReplaceTest, NothingFoundBeepsAndCollapsesTheSelectionInTheSearchDirection) {
    struct Row {
        const char* findText;
        bool backwards;
        int caret;
    };
    // An empty text is Find next before any search.
    for (const Row& row : {Row{"zzz", false, 6}, Row{"zzz", true, 2}, Row{"", false, 6}}) {
        text.Load("abc def gh");
        text.Select(2, 6);
        state.FindText = row.findText;
        beeps = 0;
        find.RunFind(false, row.backwards);
        EXPECT_EQ(beeps, 1);
        EXPECT_EQ(status, "Text not found");
        ExpectSelection(row.caret, row.caret);
    }
    EXPECT_EQ(dialogs, 0);
}

TEST_F(FindReplaceTest, ReplaceChangesEveryMatchInOneUndoStep) {
    text.Load("cat Cat cat");
    text.Select(5, 5);
    answer = {"cat", "dog"};
    find.OpenFindDialog(true);
    EXPECT_EQ(text.editor.text(), "dog dog dog");
    EXPECT_EQ(state.ReplaceWith, "dog");
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(status, "");
    EXPECT_TRUE(find.ContinueFromCaret());
    text.editor.undo();
    EXPECT_EQ(text.editor.text(), "cat Cat cat");
    EXPECT_FALSE(text.editor.isUndoAvailable());

    answer = {"cat", "", false, /*matchCase=*/true};
    find.OpenFindDialog(true);
    EXPECT_EQ(state.ReplaceWith, "");
    EXPECT_EQ(text.editor.text(), " Cat ");

    find.RunFind(true, false);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(status, "Text not found");
}

TEST_F(FindReplaceTest, SelectedTextOnlyKeepsItsScopeWhileFindNextMoves) {
    text.Load("cat cat cat cat");
    text.Select(4, 11);
    answer = {"cat", "", false, false, false, false, /*selectedOnly=*/true};
    find.OpenFindDialog(false);
    ExpectSelection(4, 7);
    find.RunFind(false, false);
    ExpectSelection(8, 11);
    for (int i = 0; i < 2; ++i) {
        find.RunFind(false, false);
        EXPECT_EQ(beeps, i + 1);
        ExpectSelection(11, 11);
    }
    // A new selection is the new scope.
    text.Select(15, 12);
    find.RunFind(false, false);
    ExpectSelection(12, 15);
}

TEST_F(FindReplaceTest, TheUnusedConfirmReplaceDialogGoesWithTheFirstSearch) {
    EXPECT_NE(find.ConfirmReplaceDialog(), nullptr);
    find.RunFind(false, false);
    EXPECT_EQ(find.ConfirmReplaceDialog(), nullptr);
}

} // namespace
} // namespace qs
