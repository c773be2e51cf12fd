// Go to line, the caret's place in the status bar, zoom and the window's place between
// runs, driven by key events through the window's shortcuts as a user's keys arrive.
#include "app/forms/SyntaxOutline.h"
#include "app/forms/TFMain.h"
#include "app/forms/dlgGotoLine.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QListView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace qs {
namespace {

class MainWindowView : public ::testing::Test {
protected:
    std::unique_ptr<TFMain> Show() {
        auto w = std::make_unique<TFMain>(reg.store);
        w->show();
        QApplication::setActiveWindow(w.get());
        w->SynEdit->setFocus();
        return w;
    }
    static void Key(QWidget* to, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(to, key, mods);
    }
    static long Zoom(TFMain& w) { return w.SynEdit->SendScintilla(QsciScintillaBase::SCI_GETZOOM); }

    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
};

// A row per command, comments left out; a command's first line names it, a macro body and
// inline data stay inside their command.
TEST(SyntaxOutlineRows, NameEachCommandByItsFirstWords) {
    const std::string text = "* A comment.\n"
                             "TITLE 'Survey 2026'.\n"
                             "DEFINE !cnt (x = !TOKENS(1))\n"
                             "FREQUENCIES !x.\n"
                             "!ENDDEFINE.\n"
                             "\n"
                             "DATA   LIST LIST\n"
                             "  /a b.\n"
                             "BEGIN DATA.\n"
                             "1 2\n"
                             "END DATA.\n"
                             "COMMENT also a comment.\n"
                             " +compute  c = a + b.\n"
                             "ECHO '" + std::string(80, 'x') + "'.\n";
    const std::vector<std::pair<std::size_t, std::string>> expected{
        {2, "TITLE 'Survey 2026'."},
        {3, "DEFINE !cnt (x = !TOKENS(1))"},
        {7, "DATA LIST LIST"},
        {9, "BEGIN DATA."},
        {13, "compute c = a + b."},
        {14, "ECHO '" + std::string(54, 'x') + "..."},
    };
    std::vector<std::pair<std::size_t, std::string>> rows;
    for (const OutlineRow& row : OutlineRows(text)) {
        rows.emplace_back(row.line, row.label);
    }
    EXPECT_EQ(rows, expected);
}

// Shown from the View menu, the outline follows the text and takes the caret to a command.
TEST_F(MainWindowView, TheOutlineFollowsTheTextAndGoesToACommand) {
    auto w = Show();
    w->SynEdit->setText("GET FILE='a.sav'.\n\nFREQUENCIES x.\n");
    auto* dock = w->findChild<QDockWidget*>("dckOutline");
    ASSERT_NE(dock, nullptr);
    dock->toggleViewAction()->trigger();
    auto* outline = w->findChild<SyntaxOutline*>();
    const auto settle = [&] {
        QElapsedTimer clock;
        clock.start();
        while (outline->Busy() && clock.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    };
    settle();
    ASSERT_EQ(outline->lstCommands->model()->rowCount(), 2);
    w->SynEdit->append("DESCRIPTIVES y.\n");
    settle();
    const QAbstractItemModel* model = outline->lstCommands->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(2, 0).data().toString(), "4  DESCRIPTIVES y.");
    emit outline->lstCommands->activated(model->index(1, 0));
    EXPECT_EQ(w->SynEdit->CaretLineColumn().first, 2); // line 3, counted from 0
}

TEST_F(MainWindowView, CtrlGAsksForALineWithinTheDocumentAndGoesThere) {
    auto w = Show();
    std::string text;
    for (int n = 1; n <= 300; ++n) {
        text += "LIST.\r\n";
    }
    w->SynEdit->LoadText(text); // 301 lines, the last one empty
    QStringList shownMessages;
    // Typed into the dialog while it waits: a line past the end, then one inside.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TGotoLineDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->edtLine->text(), "1");
        QTest::keyClicks(dialog->edtLine, "302");
        Key(dialog->edtLine, Qt::Key_Return);
        shownMessages << (dialog->lblMessage->isVisible() ? dialog->lblMessage->text() : "");
        EXPECT_TRUE(dialog->isVisible());
        dialog->edtLine->selectAll();
        QTest::keyClicks(dialog->edtLine, "250");
        Key(dialog->edtLine, Qt::Key_Return);
    });
    Key(w->SynEdit, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(shownMessages, QStringList{"There is no line 302: the document has 301 lines."});
    EXPECT_EQ(w->SynEdit->CaretLineColumn(), std::make_pair(249L, 0L));
    const long first = w->SynEdit->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long shown = w->SynEdit->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
    EXPECT_TRUE(first <= 249 && 249 < first + shown) << first << " + " << shown;
    EXPECT_EQ(w->Status(2), "Ln 250, Col 1");

    Key(w->SynEdit, Qt::Key_End);
    Key(w->SynEdit, Qt::Key_X, Qt::NoModifier);
    QApplication::processEvents();
    EXPECT_EQ(w->Status(2), "Ln 250, Col 7  Modified");
    EXPECT_EQ(w->mnuEdit->actions().last(), w->actGotoLine); // right after Replace
}

TEST_F(MainWindowView, ZoomKeysChangeTheZoomAndTheNextWindowStartsWithIt) {
    {
        auto w = Show();
        w->SynEdit->LoadText("x");
        Key(w->SynEdit, Qt::Key_Equal, Qt::ControlModifier);
        Key(w->SynEdit, Qt::Key_Equal, Qt::ControlModifier);
        Key(w->SynEdit, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
        Key(w->SynEdit, Qt::Key_Minus, Qt::ControlModifier);
        Key(w->SynEdit, Qt::Key_0, Qt::ControlModifier); // a bookmark key, not a zoom reset
        EXPECT_EQ(Zoom(*w), 2);
        EXPECT_EQ(w->SynEdit->Text(), "x"); // and no key typed anything
    }
    auto next = Show();
    EXPECT_EQ(Zoom(*next), 2);
}

TEST_F(MainWindowView, TheWindowsPlaceIsKeptAndAnUnreachableOneIsCentred) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect placed(screen.x() + 40, screen.y() + 30, 600, 400);
    {
        auto w = Show();
        w->setGeometry(placed);
        w->close();
    }
    auto again = Show();
    EXPECT_EQ(again->geometry(), placed);
    again->move(screen.right() + 2000, screen.y());
    again->close();

    auto moved = Show();
    EXPECT_EQ(moved->geometry().size(), placed.size());
    EXPECT_TRUE(screen.contains(moved->geometry())) << moved->x() << "," << moved->y();
}

} // namespace
} // namespace qs
