// Go to line, the caret's place in the status bar, zoom and the window's place between
// runs, driven by key events through the window's shortcuts as a user's keys arrive.
#include "app/forms/TFMain.h"
#include "app/forms/dlgGotoLine.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
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
