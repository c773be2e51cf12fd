// The data file objects beside the editor: built from real data files, and their names
// put into the text by double click and by dragging.
#include "app/forms/TFMain.h"
#include "highlight/SynHighlighterSPSS.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace qs {
namespace {

QString Fixture(const char* name) {
    return QString(QS_FIXTURES_DIR) + "/sav/" + name;
}

QStringList Children(const QTreeWidgetItem* item) {
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i) {
        names << item->child(i)->text(0);
    }
    return names;
}

class ObjectTree : public ::testing::Test {
protected:
    test::TempRegistry reg;
    test::ScriptedDialogs dialogs;
    TFMain window{reg.store};
    QTreeWidget& tree = *window.tlObjectTree;
};

TEST_F(ObjectTree, VariablesAndSetsInDictionaryOrderBothExpanded) {
    window.LoadObjectTree(Fixture("pyreadstat__simple_alltypes.sav"));
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    const QTreeWidgetItem* variables = tree.topLevelItem(0);
    const QTreeWidgetItem* sets = tree.topLevelItem(1);
    EXPECT_EQ(variables->text(0), "Variables");
    EXPECT_EQ(sets->text(0), "Sets");
    EXPECT_TRUE(variables->isExpanded());
    EXPECT_TRUE(sets->isExpanded());
    EXPECT_EQ(Children(variables).first(), "x");
    EXPECT_EQ(Children(variables).size(), 12);
    EXPECT_EQ(Children(sets), QStringList({"categorical_array", "mymrset"})); // no dollar sign
    EXPECT_EQ(variables->background(0).color(), QColor(0, 128, 128));
    EXPECT_EQ(variables->foreground(0).color(), QColor(Qt::white));
    // The highlighter gets the variables, then the sets.
    const auto& names = window.SynSPSSHighlighter().Variables();
    ASSERT_EQ(names.size(), 14u);
    EXPECT_EQ(names.front(), "x");
    EXPECT_EQ(names.back(), "mymrset");
    // Syntax names a set with its dollar sign, so that is what goes into the text.
    variables->child(0)->setSelected(true);
    sets->child(1)->setSelected(true);
    EXPECT_EQ(window.InsertionText(), "x $mymrset ");
}

TEST_F(ObjectTree, AFileWithoutSetsShowsOnlyVariablesAndAnEmptyPathKeepsTheNames) {
    window.LoadObjectTree(Fixture("haven__iris.sav"));
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(Children(tree.topLevelItem(0)).size(), 5);
    window.LoadObjectTree(QString());
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(window.SynSPSSHighlighter().Variables().size(), 5u);
}

TEST_F(ObjectTree, ABadFileLeavesVariablesAloneRaisesAndDoesNotBlockTheNextLoad) {
    window.LoadObjectTree(Fixture("haven__iris.sav"));
    EXPECT_THROW(window.LoadObjectTree(Fixture("pspp__hotel-encrypted.sav")), std::exception);
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(window.SynSPSSHighlighter().Variables().size(), 5u);
    EXPECT_THROW(window.LoadObjectTree(std::string("Untitled")), std::exception);
    window.LoadObjectTree(Fixture("haven__iris.sav")); // the reader was closed
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 5);
}

TEST_F(ObjectTree, DoubleClickInsertsTheSelectedNamesAtTheCaret) {
    window.LoadObjectTree(Fixture("haven__iris.sav"));
    window.SynEdit->LoadText("FREQ .");
    window.SynEdit->SendScintilla(QsciScintilla::SCI_GOTOPOS, 5);
    QTreeWidgetItem* variables = tree.topLevelItem(0);
    variables->child(0)->setSelected(true);
    variables->child(4)->setSelected(true);
    variables->setSelected(true); // a group adds nothing
    window.tlObjectTreeDblClick();
    EXPECT_EQ(window.SynEdit->Text(), "FREQ Sepal.Length Species .");
    EXPECT_TRUE(tree.selectedItems().isEmpty());

    variables->setSelected(true);
    QApplication::clipboard()->setText("old");
    window.tlObjectTreeDblClick();
    EXPECT_EQ(QApplication::clipboard()->text(), "");
    EXPECT_EQ(window.SynEdit->Text(), "FREQ Sepal.Length Species .");
}

TEST_F(ObjectTree, DroppingInsertsUnderThePointerAndNothingWithoutASelection) {
    window.resize(782, 496);
    window.show();
    window.LoadObjectTree(Fixture("haven__iris.sav"));
    window.SynEdit->LoadText("LIST.\r\n");
    const long end = window.SynEdit->SendScintilla(QsciScintilla::SCI_GETLENGTH);
    const QPoint lineStart(static_cast<int>(window.SynEdit->SendScintilla(
                               QsciScintilla::SCI_POINTXFROMPOSITION, 0, 0L)) +
                               1,
                           static_cast<int>(window.SynEdit->SendScintilla(
                               QsciScintilla::SCI_POINTYFROMPOSITION, 0, 0L)) +
                               2);
    window.SynEditDragDrop(lineStart); // nothing selected
    EXPECT_EQ(window.SynEdit->Text(), "LIST.\r\n");
    tree.topLevelItem(0)->child(1)->setSelected(true);
    EXPECT_FALSE(window.SynEditDragOver(QPoint(-5, 10)));
    window.SynEditDragDrop(lineStart);
    EXPECT_EQ(window.SynEdit->Text(), "Sepal.Width LIST.\r\n");
    EXPECT_GT(window.SynEdit->SendScintilla(QsciScintilla::SCI_GETLENGTH), end);
}

} // namespace
} // namespace qs
