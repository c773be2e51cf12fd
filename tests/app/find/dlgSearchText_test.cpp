// The search, replace and confirm-replace dialogs: captions, tab order, accessors and the
// history update when they close.
#include "app/find/dlgConfirmReplace.h"
#include "app/find/dlgReplaceText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace qs {
namespace {

QString History(int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i) {
        items << QString("t%1").arg(i);
    }
    return items.join("\r\n");
}

TEST(SearchDialogs, CaptionsAndButtons) {
    TTextReplaceDialog dialog;
    EXPECT_EQ(TTextSearchDialog().windowTitle(), "Search Text");
    EXPECT_EQ(dialog.windowTitle(), "Replace text");
    const std::pair<QString, QString> captions[] = {
        {dialog.lblSearchText->text(), "&Search for:"},
        {dialog.lblReplaceText->text(), "&Replace with:"},
        {dialog.gbSearchOptions->title(), "Options"},
        {dialog.cbSearchCaseSensitive->text(), "C&ase sensitivity"},
        {dialog.cbSearchWholeWords->text(), "&Whole words only"},
        {dialog.cbSearchFromCursor->text(), "Search from &caret"},
        {dialog.cbSearchSelectedOnly->text(), "&Selected text only"},
        {dialog.rgSearchDirection->title(), "Direction"},
        {dialog.rbForward->text(), "&Forward"},
        {dialog.rbBackward->text(), "&Backward"},
        {dialog.btnOK->text(), "OK"},
        {dialog.btnCancel->text(), "Cancel"},
    };
    for (const auto& [actual, expected] : captions) {
        EXPECT_EQ(actual, expected);
    }
    EXPECT_EQ(dialog.lblSearchText->buddy(), dialog.cbSearchText);
    EXPECT_EQ(dialog.lblReplaceText->buddy(), dialog.cbReplaceText);
    EXPECT_TRUE(dialog.btnOK->isDefault());
    EXPECT_TRUE(dialog.rbForward->isChecked());
    EXPECT_FALSE(dialog.SearchBackwards());
    EXPECT_EQ(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
}

TEST(SearchDialogs, TabOrderRunsFromTheTextsToCancel) {
    TTextReplaceDialog dialog;
    const QWidget* expected[] = {
        dialog.cbSearchText,       dialog.cbReplaceText,      dialog.cbSearchCaseSensitive,
        dialog.cbSearchWholeWords, dialog.cbSearchFromCursor, dialog.cbSearchSelectedOnly,
        dialog.rbForward,          dialog.rbBackward,         dialog.btnOK,
        dialog.btnCancel};
    // Walk the focus chain over the widgets that Tab stops at; the editable boxes' inner
    // line edits and pop-ups are part of their box.
    const auto tabStop = [&](const QWidget* widget) {
        for (const QWidget* box : {dialog.cbSearchText, dialog.cbReplaceText}) {
            if (box != widget && box->isAncestorOf(widget)) {
                return false;
            }
        }
        return (widget->focusPolicy() & Qt::TabFocus) != 0;
    };
    const QWidget* widget = dialog.cbSearchText;
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        do {
            widget = widget->nextInFocusChain();
        } while (!tabStop(widget));
        EXPECT_EQ(widget, expected[i]) << "position " << i;
    }
}

TEST(SearchDialogs, FillingAHistoryKeepsTheTextSetBefore) {
    TTextReplaceDialog dialog;
    dialog.SetSearchText("find me");
    dialog.SetSearchTextHistory("a\r\nb");
    dialog.SetReplaceText("with");
    dialog.SetReplaceTextHistory("c");
    EXPECT_EQ(dialog.SearchText(), "find me");
    EXPECT_EQ(dialog.SearchTextHistory(), "a\r\nb");
    EXPECT_EQ(dialog.ReplaceText(), "with");
    EXPECT_EQ(dialog.ReplaceTextHistory(), "c");
    dialog.SetSearchBackwards(true);
    EXPECT_TRUE(dialog.rbBackward->isChecked());
    dialog.rbForward->click();
    EXPECT_FALSE(dialog.SearchBackwards());
}

TEST(SearchDialogs, HistoryReadsAtMostTenItems) {
    TTextSearchDialog dialog;
    dialog.SetSearchTextHistory(History(1, 12) + "\n");
    EXPECT_EQ(dialog.cbSearchText->count(), 12);
    EXPECT_EQ(dialog.SearchTextHistory(), History(1, 10));
}

struct CloseRow {
    const char* name;
    QString text;
    QString history;
    bool ok;
    QString expectedHistory;
};

class HistoryUpdateTest : public ::testing::TestWithParam<CloseRow> {};

TEST_P(HistoryUpdateTest, OnClose) {
    const CloseRow& row = GetParam();
    TTextReplaceDialog dialog;
    dialog.SetSearchTextHistory(row.history);
    dialog.SetReplaceTextHistory(row.history);
    dialog.SetSearchText(row.text);
    dialog.SetReplaceText(row.text);
    (row.ok ? dialog.btnOK : dialog.btnCancel)->click();
    EXPECT_EQ(dialog.result(), row.ok ? QDialog::Accepted : QDialog::Rejected);
    EXPECT_EQ(dialog.SearchTextHistory(), row.expectedHistory);
    EXPECT_EQ(dialog.ReplaceTextHistory(), row.expectedHistory);
    EXPECT_EQ(dialog.SearchText(), row.text);
    EXPECT_EQ(dialog.ReplaceText(), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    SearchDialogs, HistoryUpdateTest,
    ::testing::Values(
        CloseRow{"NewTextGoesOnTop", "t0", History(1, 3), true, History(0, 3)},
        CloseRow{"KnownTextMovesToTop", "t3", History(1, 4), true, "t3\r\nt1\r\nt2\r\nt4"},
        CloseRow{"EleventhTextPushesTheOldestOut", "t0", History(1, 10), true, History(0, 9)},
        CloseRow{"EmptyTextChangesNothing", "", History(1, 2), true, History(1, 2)},
        CloseRow{"CancelChangesNothing", "t0", History(1, 2), false, History(1, 2)}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ConfirmReplaceDialog, ButtonsGiveTheirAnswers) {
    TConfirmReplaceDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Confirm replace");
    EXPECT_TRUE(dialog.lblConfirmation->text().isEmpty());
    EXPECT_TRUE(dialog.lblConfirmation->wordWrap());
    EXPECT_TRUE(dialog.btnReplace->isDefault());
    const std::tuple<QPushButton*, QString, TReplaceAnswer> rows[] = {
        {dialog.btnReplace, "&Yes", TReplaceAnswer::Yes},
        {dialog.btnSkip, "&No", TReplaceAnswer::No},
        {dialog.btnCancel, "Cancel", TReplaceAnswer::Cancel},
        {dialog.btnReplaceAll, "Yes to &all", TReplaceAnswer::YesToAll},
    };
    for (const auto& [button, caption, answer] : rows) {
        EXPECT_EQ(button->text(), caption);
        button->click();
        EXPECT_EQ(TConfirmReplaceDialog::Answer(dialog.result()), answer) << caption.toStdString();
    }
}

} // namespace
} // namespace qs
