// The style dialog window driven through its controls: categories, style boxes, the colour
// grid's buttons, the defaults, and the sample editor following every change.
#include "highlight/StyleCategories.h"
#include "highlight/SynHighlighterSPSS.h"
#include "highlight/forms/FSPSSHighlighterStyledialog.h"
#include "ui/TColorGrid.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qs {
namespace {

enum Category { kCommands = 0, kKeywords = 2, kNumbers = 8, kComments = 10 };

void ClickGrid(TColorGrid& grid, int cell, Qt::MouseButton button) {
    const QPointF at = grid.CellRect(cell).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, grid.mapToGlobal(at), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(&grid, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, grid.mapToGlobal(at), button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&grid, &release);
}

class StyleDialogWindow : public ::testing::Test {
protected:
    StyleDialogWindow() {
        dialog.resize(466, 375);
        dialog.SyntaxColorGrid->resize(120, 88);
        dialog.SetHighlighter(&hl);
    }
    void Choose(int category) { dialog.lbCategory->setCurrentRow(category); }
    long SampleStyle(unsigned message, TokenKind kind) {
        return dialog.edtSample->SendScintilla(message, static_cast<unsigned long>(kind));
    }

    TSynSPSSHighlighter hl;
    TSyntaxColorDlg dialog;
};

TEST_F(StyleDialogWindow, ControlsAndSample) {
    EXPECT_EQ(dialog.windowTitle(), "Syntax styler");
    EXPECT_EQ(dialog.size(), QSize(466, 375));
    ASSERT_EQ(dialog.lbCategory->count(), 12);
    EXPECT_EQ(dialog.lbCategory->item(7)->text(), "System and scratch variables");
    EXPECT_TRUE(dialog.chbBold->font().bold());
    EXPECT_TRUE(dialog.chbItalic->font().italic());
    EXPECT_TRUE(dialog.chbUnderline->font().underline());
    EXPECT_TRUE(dialog.chbStrikeOut->font().strikeOut());
    EXPECT_EQ(dialog.btnSetDefault->text(), "Set Default Settings");
    EXPECT_EQ(dialog.edtSample->Text(), std::string(TSynSPSSHighlighter::SampleSource()));
    EXPECT_TRUE(dialog.edtSample->isReadOnly());
    EXPECT_EQ(dialog.edtSample->SendScintilla(QsciScintillaBase::SCI_GETMARGINWIDTHN, 0), 0);
}

TEST_F(StyleDialogWindow, NothingHappensUntilACategoryIsChosen) {
    EXPECT_EQ(dialog.SelectedAttribute(), nullptr);
    int changes = 0;
    hl.AddChangeListener([&] { ++changes; });
    dialog.chbUnderline->click();
    ClickGrid(*dialog.SyntaxColorGrid, 9, Qt::LeftButton);
    ClickGrid(*dialog.SyntaxColorGrid, 9, Qt::RightButton);
    EXPECT_EQ(changes, 0);
}

TEST_F(StyleDialogWindow, ChoosingACategoryShowsItsStyleAndColours) {
    hl.CommentAttri().SetStyle(fsItalic | fsStrikeOut);
    hl.CommentAttri().SetForeground(0xFF0000); // blue, cell 12
    hl.CommentAttri().SetBackground(0xC0C0C0); // silver, cell 7
    hl.NumberAttri().SetForeground(0x123456);  // none of the 16
    Choose(kComments);
    EXPECT_EQ(dialog.SelectedAttribute(), &hl.CommentAttri());
    EXPECT_FALSE(dialog.chbBold->isChecked());
    EXPECT_TRUE(dialog.chbItalic->isChecked());
    EXPECT_FALSE(dialog.chbUnderline->isChecked());
    EXPECT_TRUE(dialog.chbStrikeOut->isChecked());
    EXPECT_EQ(dialog.SyntaxColorGrid->ForegroundIndex(), 12);
    EXPECT_EQ(dialog.SyntaxColorGrid->BackgroundIndex(), 7);
    Choose(kNumbers);
    EXPECT_EQ(dialog.SyntaxColorGrid->ForegroundIndex(), -1);
    EXPECT_EQ(dialog.SyntaxColorGrid->BackgroundIndex(), -1); // no colour of its own
}

TEST_F(StyleDialogWindow, StyleBoxesEditTheChosenAttributeAndTheSampleFollowsAtOnce) {
    Choose(kCommands);
    ASSERT_TRUE(dialog.chbBold->isChecked());
    ASSERT_NE(SampleStyle(QsciScintillaBase::SCI_STYLEGETWEIGHT, TokenKind::Command),
              SampleStyle(QsciScintillaBase::SCI_STYLEGETWEIGHT, TokenKind::Number));
    dialog.chbBold->click();
    dialog.chbUnderline->click();
    EXPECT_EQ(hl.SPSSCommandAttri().Style(), fsUnderline);
    EXPECT_EQ(SampleStyle(QsciScintillaBase::SCI_STYLEGETWEIGHT, TokenKind::Command),
              SampleStyle(QsciScintillaBase::SCI_STYLEGETWEIGHT, TokenKind::Number)); // not bold
    EXPECT_EQ(SampleStyle(QsciScintillaBase::SCI_STYLEGETUNDERLINE, TokenKind::Command), 1);
    EXPECT_EQ(hl.SPSSKeyWordAttri().Style(), fsItalic); // the others untouched
}

TEST_F(StyleDialogWindow, LeftClickSetsTheForegroundAndRightClickTheBackground) {
    Choose(kKeywords);
    ClickGrid(*dialog.SyntaxColorGrid, 4, Qt::LeftButton);   // navy
    ClickGrid(*dialog.SyntaxColorGrid, 11, Qt::RightButton); // yellow
    EXPECT_EQ(hl.SPSSKeyWordAttri().Foreground(), 0x800000u);
    EXPECT_EQ(hl.SPSSKeyWordAttri().Background(), 0x00FFFFu);
    // Scintilla keeps colours as 0x00BBGGRR too.
    EXPECT_EQ(SampleStyle(QsciScintillaBase::SCI_STYLEGETFORE, TokenKind::Keyword), 0x800000);
    EXPECT_EQ(SampleStyle(QsciScintillaBase::SCI_STYLEGETBACK, TokenKind::Keyword), 0x00FFFF);
}

TEST_F(StyleDialogWindow, DefaultsApplyAndTheControlsShowThem) {
    Choose(kKeywords);
    hl.SPSSKeyWordAttri().SetStyle(fsBold);
    hl.SPSSKeyWordAttri().SetForeground(0x000080);
    hl.SymbolAttri().SetForeground(0x800000);
    dialog.btnSetDefault->click();
    EXPECT_EQ(hl.SPSSKeyWordAttri().Foreground(), 0x00FF00u);
    EXPECT_EQ(hl.SPSSKeyWordAttri().Background(), 0xFFFFFFu);
    EXPECT_TRUE(dialog.chbItalic->isChecked());
    EXPECT_FALSE(dialog.chbBold->isChecked());
    EXPECT_EQ(dialog.SyntaxColorGrid->ForegroundIndex(), 10); // lime
    EXPECT_EQ(dialog.SyntaxColorGrid->BackgroundIndex(), 15); // white
    EXPECT_EQ(hl.SymbolAttri().Foreground(), 0x800000u);      // not a category
}

TEST_F(StyleDialogWindow, OkAcceptsAndCancelRejects) {
    dialog.btnOk->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.btnCancel->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(StyleDialogWindowAlone, WithoutAHighlighterItRaises) {
    TSyntaxColorDlg dialog;
    try {
        dialog.SetHighlighter(nullptr);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "Please specify a highlighter component to configure with the settings");
    }
}

} // namespace
} // namespace qs
