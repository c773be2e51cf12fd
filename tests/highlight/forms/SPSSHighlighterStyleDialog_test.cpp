// The style dialog component: its working copy, the Highlighter setter, and what OK and
// Cancel leave in the highlighter it configures.
#include "highlight/SynHighlighterSPSS.h"
#include "highlight/forms/FSPSSHighlighterStyledialog.h"
#include "highlight/forms/SPSSHighlighterStyleDialog.h"
#include "ui/TSyntaxEditor.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(StyleDialogComponent, SampleVariablesShowAsVariablesInTheWorkingCopy) {
    TSPSSHighlighterStyleDialog component;
    EXPECT_EQ(component.SampleVariables(),
              (std::vector<std::string>{"myVar", "testVar", "region"}));
    for (const char* word : {"MyVar", "TestVar", "Region"}) {
        EXPECT_EQ(component.WorkingCopy().ClassifyWord(word).preliminary, TokenKind::Variable)
            << word;
    }
}

TEST(StyleDialogComponent, SettingNoHighlighterRaisesAndKeepsTheOldOne) {
    TSynSPSSHighlighter hl;
    TSPSSHighlighterStyleDialog component;
    component.SetHighlighter(&hl);
    try {
        component.SetHighlighter(nullptr);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Highlighter is not available!!!");
    }
    EXPECT_EQ(component.Highlighter(), &hl);
}

TEST(StyleDialogComponent, SettingTheHighlighterCopiesItsStyles) {
    TSynSPSSHighlighter hl;
    hl.StringAttri().SetForeground(0x808080);
    TSPSSHighlighterStyleDialog component;
    component.SetHighlighter(&hl);
    EXPECT_EQ(component.WorkingCopy().StringAttri().Foreground(), 0x808080u);
}

// The dialog edits the comments' colour and ends with the given button.
class StyleDialogRun : public ::testing::Test {
protected:
    StyleDialogRun() {
        component.SetHighlighter(&hl);
        component.SetDialogRunner([this](TSyntaxColorDlg& dialog) {
            ++runs;
            title = dialog.windowTitle();
            openedWith = dialog.Highlighter()->CommentAttri().Foreground();
            EXPECT_EQ(dialog.edtSample->Text(), std::string(TSynSPSSHighlighter::SampleSource()));
            dialog.Highlighter()->CommentAttri().SetForeground(0x008080);
            dialog.btnSetDefault->click();
            dialog.Highlighter()->CommentAttri().SetForeground(0x008080);
            (confirm ? dialog.btnOk : dialog.btnCancel)->click();
            return dialog.result();
        });
    }

    TSynSPSSHighlighter hl;
    TSPSSHighlighterStyleDialog component;
    bool confirm = false;
    int runs = 0;
    QString title;
    TColor openedWith = 0;
};

TEST_F(StyleDialogRun, CancelLeavesTheHighlighterAndTheNextRunStartsFromIt) {
    component.SetCaption("Styles");
    component.ShowDialog();
    EXPECT_EQ(title, "Styles");
    EXPECT_EQ(hl.CommentAttri().Foreground(), 0xFF0000u);
    EXPECT_EQ(hl.SPSSCommandAttri().Background(), clNone); // defaults not taken either
    component.ShowDialog();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(openedWith, 0xFF0000u); // not the cancelled edit
}

TEST_F(StyleDialogRun, OkCopiesTheEditedStylesIntoTheHighlighter) {
    confirm = true;
    component.ShowDialog();
    EXPECT_EQ(title, "Syntax styler");
    EXPECT_EQ(hl.CommentAttri().Foreground(), 0x008080u);
    EXPECT_EQ(hl.SPSSCommandAttri().Background(), 0xFFFFFFu);
}

TEST_F(StyleDialogRun, TheDialogOpensWithTheStylesNowInUse) {
    hl.CommentAttri().SetForeground(0x000080);
    component.ShowDialog();
    EXPECT_EQ(openedWith, 0x000080u);
}

} // namespace
} // namespace qs
