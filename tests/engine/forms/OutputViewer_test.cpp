// The rich output view: outline and contents of a run, tables as text, charts kept in the
// document, message links, following the newest item, the bound on items kept, Clear.
#include "engine/forms/OutputTableHtml.h"
#include "engine/forms/OutputViewer.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextTable>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace qs {
namespace {

using Item = engine::OutputItem;
using Kind = Item::Kind;

Item MakeItem(Kind kind, const char* title, const char* html = "", std::size_t line = 0) {
    Item item;
    item.kind = kind;
    item.title = title;
    item.html = html;
    item.line = line;
    item.severity = kind == Kind::Message ? Item::Severity::Error : Item::Severity::None;
    return item;
}

// A crosstabulation's head as PSPP writes it: a corner over two columns, a row label over two
// rows, PSPP's border keywords.
const char* const kSpannedTable =
    "<table><caption style='text-align: center'>x &lt;&amp;&gt; y</caption><tbody>"
    "<tr><th colspan=\"2\" style='border-top: thick solid'></th>"
    "<th colspan=\"2\" style='border-top: thick solid; border-left: solid'>y</th></tr>"
    "<tr><th rowspan=\"2\">x</th><th>1</th><td>3</td><td style='border-left: double'>4</td>"
    "</tr><tr><th>2</th><td>5</td><td>6.5%</td></tr></tbody></table>";

// A chart item "c" whose image, a small red rectangle, is a file in `dir`.
Item SmallChart(const test::TempDir& dir) {
    const std::string png = test::Utf8Path(dir / "c.png");
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_TRUE(image.save(QString::fromStdString(png)));
    Item chart = MakeItem(Kind::Chart, "c");
    chart.image = png;
    return chart;
}

QTextCursor Find(const OutputViewer& viewer, const QString& text) {
    return viewer.txtView->document()->find(text);
}

// A command heads its items; one that printed nothing is not shown.
TEST(OutputViewer, RunOfMixedItemsFillsOutlineAndViewInOrder) {
    struct Row {
        Item item;
        const char* node;
        const char* shown;
    };
    const std::vector<Row> rows = {
        {MakeItem(Kind::Syntax, "FREQUENCIES x\n  /FORMAT=NOTABLE."), "FREQUENCIES x", "FREQUENCIES x"},
        {MakeItem(Kind::Table, "x <&> y", kSpannedTable), "x <&> y", "x <&> y"},
        {MakeItem(Kind::Text, "plain  text,\nsecond line"), "plain  text,",
         "plain  text,\u2028second line"},
        {MakeItem(Kind::Message, "s.sps:3: error: nothing is not a variable.", "", 3),
         "s.sps:3: error: nothing is not a variable.", "s.sps:3: error: nothing is not"},
        {MakeItem(Kind::Chart, "Histogram of x"), "Histogram of x", "[Chart not shown"},
        {MakeItem(Kind::Table, "Data List", ""), "Data List",
         "Data List: the table is too large to show here"},
    };
    OutputViewer viewer;
    viewer.BeginRun("Run 1: s.sps");
    engine::OutputItems items{MakeItem(Kind::Syntax, "DATA LIST LIST /x.")};
    for (const Row& row : rows) {
        items.push_back(row.item);
    }
    items.push_back(MakeItem(Kind::Syntax, "EXECUTE."));
    viewer.AppendItems(items);
    viewer.FlushItems();

    ASSERT_EQ(viewer.tvOutline->topLevelItemCount(), 1);
    const QTreeWidgetItem* run = viewer.tvOutline->topLevelItem(0);
    EXPECT_EQ(run->text(0), "Run 1: s.sps");
    ASSERT_EQ(run->childCount(), 1);
    const QTreeWidgetItem* command = run->child(0);
    ASSERT_EQ(command->childCount(), static_cast<int>(rows.size()) - 1);
    const QString shown = viewer.txtView->document()->toRawText();
    qsizetype from = shown.indexOf("Run 1: s.sps");
    EXPECT_EQ(from, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].node);
        const QTreeWidgetItem* node = i == 0 ? command : command->child(static_cast<int>(i) - 1);
        EXPECT_EQ(node->text(0), QString::fromUtf8(rows[i].node));
        const qsizetype at = shown.indexOf(QString::fromUtf8(rows[i].shown), from);
        EXPECT_GT(at, from);
        from = std::max(at, from);
    }
    for (const char* hidden : {"DATA LIST", "/FORMAT", "EXECUTE"}) {
        EXPECT_FALSE(shown.contains(hidden)) << hidden;
    }
    EXPECT_EQ(Find(viewer, "nothing is not").charFormat().foreground().color(), QColor(0xc0, 0, 0));
    EXPECT_EQ(viewer.tvOutline->currentItem(), command->child(command->childCount() - 1));
}

TEST(OutputViewer, SpannedTableCopiesAsGridOfCells) {
    OutputViewer viewer;
    viewer.AppendItems({MakeItem(Kind::Text, "before"), MakeItem(Kind::Table, "t", kSpannedTable)});
    viewer.FlushItems();

    EXPECT_EQ(viewer.TableText(1), "\t\ty\t\nx\t1\t3\t4\n\t2\t5\t6.5%\n");
    EXPECT_EQ(viewer.TableText(0), "");
    viewer.CopySelectedItem(); // the newest item is selected
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), viewer.TableText(1));
    EXPECT_TRUE(copied->html().contains("<table"));
}

TEST(OutputViewer, PsppBorderKeywordsBecomeWidths) {
    QTextDocument document;
    document.setHtml(QtTableHtml(kSpannedTable));
    const QTextCursor caption = document.find("x <&> y");
    QTextCursor cursor(caption.block().next());
    const QTextTable* table = cursor.currentTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->cellAt(0, 0).format().toTableCellFormat().topBorder(), 2);  // thick
    EXPECT_EQ(table->cellAt(0, 2).format().toTableCellFormat().leftBorder(), 1); // solid
    EXPECT_EQ(table->cellAt(1, 3).format().toTableCellFormat().leftBorder(), 3); // double
    EXPECT_EQ(caption.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST(OutputViewer, ChartStaysAfterItsFileIsGoneScaledToTheView) {
    test::TempDir dir;
    const std::filesystem::path png = dir / "chart-1.png";
    QImage image(1200, 600, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(QString::fromStdString(test::Utf8Path(png))));
    OutputViewer viewer;
    viewer.resize(700, 500);
    viewer.show();
    Item chart = MakeItem(Kind::Chart, "Histogram");
    chart.image = test::Utf8Path(png);
    viewer.AppendItems({chart});
    std::filesystem::remove(png);
    viewer.FlushItems();

    const QTextCursor at = Find(viewer, QString(QChar::ObjectReplacementCharacter));
    const QTextImageFormat format = at.charFormat().toImageFormat();
    ASSERT_TRUE(format.isValid());
    EXPECT_LT(format.width(), viewer.txtView->viewport()->width());
    EXPECT_NEAR(format.width() / format.height(), 2.0, 0.01);
    const QImage kept = viewer.txtView->document()
                            ->resource(QTextDocument::ImageResource, QUrl(format.name()))
                            .value<QImage>();
    EXPECT_EQ(kept.size(), QSize(1200, 600));
    viewer.CopySelectedItem();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(1200, 600));

    viewer.Clear(); // lets go of the image too
    EXPECT_FALSE(viewer.txtView->document()
                     ->resource(QTextDocument::ImageResource, QUrl(format.name()))
                     .isValid());
}

struct LinkRow {
    const char* name;
    std::size_t line;
    QList<int> emitted;
};

class OutputViewerLink : public ::testing::TestWithParam<LinkRow> {};

TEST_P(OutputViewerLink, ClickOnMessageEmitsItsLine) {
    OutputViewer viewer;
    viewer.resize(700, 400);
    viewer.show();
    viewer.AppendItems(
        {MakeItem(Kind::Message, "s.sps: error: no such file", "", GetParam().line)});
    viewer.FlushItems();
    QList<int> lines;
    QObject::connect(&viewer, &OutputViewer::LineActivated, [&](int line) { lines.append(line); });

    QTextCursor word = Find(viewer, "such");
    const QPoint point = viewer.txtView->cursorRect(word).center();
    QWidget* target = viewer.txtView->viewport();
    QMouseEvent press(QEvent::MouseButtonPress, point, target->mapToGlobal(point), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, point, target->mapToGlobal(point),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);

    EXPECT_EQ(lines, GetParam().emitted);
}

INSTANTIATE_TEST_SUITE_P(OutputViewer, OutputViewerLink,
                         ::testing::Values(LinkRow{"LineNamed", 7, {7}}, LinkRow{"NoLine", 0, {}}),
                         [](const auto& row) { return std::string(row.param.name); });

struct FollowRow {
    const char* name;
    bool olderSelected;
};

class OutputViewerFollow : public ::testing::TestWithParam<FollowRow> {};

TEST_P(OutputViewerFollow, OutlineFollowsTheNewestUnlessAnOlderIsSelected) {
    OutputViewer viewer;
    viewer.AppendItems({MakeItem(Kind::Text, "one"), MakeItem(Kind::Text, "two")});
    viewer.FlushItems();
    QTreeWidgetItem* run = viewer.tvOutline->topLevelItem(0);
    if (GetParam().olderSelected) {
        viewer.tvOutline->setCurrentItem(run->child(0));
    }
    viewer.AppendItems({MakeItem(Kind::Text, "three")});
    viewer.FlushItems();
    EXPECT_EQ(viewer.tvOutline->currentItem(), run->child(GetParam().olderSelected ? 0 : 2));
}

INSTANTIATE_TEST_SUITE_P(OutputViewer, OutputViewerFollow,
                         ::testing::Values(FollowRow{"AtTheNewest", false},
                                           FollowRow{"OlderSelected", true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(OutputViewer, KeepsTheNewestItemsDroppingOldRunsAndTheirCharts) {
    qputenv("QUILLSTONE_OUTPUT_ITEMS", "3");
    OutputViewer viewer;
    qunsetenv("QUILLSTONE_OUTPUT_ITEMS");
    test::TempDir dir;
    const Item chart = SmallChart(dir);
    viewer.BeginRun("Run 1");
    viewer.AppendItems({chart, MakeItem(Kind::Text, "one")});
    viewer.BeginRun("Run 2");
    viewer.AppendItems({MakeItem(Kind::Syntax, "CROSSTABS x BY y."),
                        MakeItem(Kind::Table, "t", kSpannedTable), MakeItem(Kind::Text, "three"),
                        MakeItem(Kind::Syntax, "ECHO 'four'."), MakeItem(Kind::Text, "four")});
    viewer.FlushItems();

    EXPECT_EQ(viewer.ItemCount(), 5);
    EXPECT_EQ(viewer.FirstItem(), 2);
    ASSERT_EQ(viewer.tvOutline->topLevelItemCount(), 1);
    QTreeWidgetItem* run = viewer.tvOutline->topLevelItem(0);
    EXPECT_EQ(run->text(0), "Run 2");
    ASSERT_EQ(run->childCount(), 2);
    EXPECT_EQ(run->child(0)->childCount(), 2);
    EXPECT_TRUE(viewer.txtView->document()->toRawText().startsWith("Run 2"));
    EXPECT_FALSE(viewer.txtView->document()->toRawText().contains("one"));
    EXPECT_FALSE(viewer.txtView->document()
                     ->resource(QTextDocument::ImageResource, QUrl("chart:0"))
                     .isValid());
    EXPECT_EQ(viewer.TableText(2), "\t\ty\t\nx\t1\t3\t4\n\t2\t5\t6.5%\n");
    EXPECT_FALSE(viewer.lblDropped->isHidden());

    // The run and its command go on: their oldest item goes, their headings stay on top;
    // then the command is done with, and only the run's heading is put back.
    const QChar par(QChar::ParagraphSeparator);
    struct Step {
        engine::OutputItems items;
        QString shown;
        std::vector<int> outline; // the items under each command
    };
    const std::vector<Step> steps{
        {{MakeItem(Kind::Text, "five")},
         QString("Run 2%1CROSSTABS x BY y.%1three%1ECHO 'four'.%1four%1five").arg(par), {1, 2}},
        {{MakeItem(Kind::Syntax, "ECHO 'six'."), MakeItem(Kind::Text, "six")},
         QString("Run 2%1ECHO 'four'.%1four%1five%1ECHO 'six'.%1six").arg(par), {2, 1}},
    };
    for (const Step& step : steps) {
        viewer.AppendItems(step.items);
        viewer.FlushItems();
        EXPECT_EQ(viewer.txtView->document()->toRawText(), step.shown);
        ASSERT_EQ(run->childCount(), static_cast<int>(step.outline.size()));
        for (int i = 0; i < run->childCount(); ++i) {
            EXPECT_EQ(run->child(i)->childCount(), step.outline[static_cast<std::size_t>(i)]);
        }
    }
    // Positions still line up after headings were put back.
    viewer.tvOutline->setCurrentItem(run->child(0));
    EXPECT_EQ(viewer.txtView->textCursor().selectedText(), "ECHO 'four'.");
    viewer.tvOutline->setCurrentItem(run->child(0)->child(1));
    EXPECT_EQ(viewer.txtView->textCursor().selectedText(), "five");
    EXPECT_EQ(viewer.ItemAtCursor(), 5);

    viewer.Clear();
    EXPECT_EQ(viewer.ItemCount(), 0);
    EXPECT_EQ(viewer.FirstItem(), 0);
    EXPECT_EQ(viewer.tvOutline->topLevelItemCount(), 0);
    EXPECT_TRUE(viewer.txtView->document()->isEmpty());
    EXPECT_TRUE(viewer.lblDropped->isHidden());
}

// Output that keeps coming: the oldest items go as a fresh document of the newest takes the
// shown one's place, again and again; what is shown, its outline and its charts stay whole.
TEST(OutputViewer, FreshDocumentsTakeOverAsOutputGoesOn) {
    qputenv("QUILLSTONE_OUTPUT_ITEMS", "4");
    OutputViewer viewer;
    qunsetenv("QUILLSTONE_OUTPUT_ITEMS");
    viewer.resize(700, 2000); // all of it in view: the reader is at the end
    viewer.show();
    test::TempDir dir;
    const Item chart = SmallChart(dir);
    const QPointer<QTextDocument> first = viewer.txtView->document();
    const auto settle = [] {
        for (QElapsedTimer clock; !clock.isValid() || clock.elapsed() < 300;) {
            clock.isValid() ? void() : clock.start();
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    };
    viewer.BeginRun("Run 1");
    viewer.AppendItems({MakeItem(Kind::Text, "before"), MakeItem(Kind::Syntax, "ECHO.")});
    for (int i = 1; i < 30; ++i) {
        viewer.AppendItems({i == 27 ? chart : MakeItem(Kind::Text, qPrintable(QString("t%1").arg(i)))});
        QApplication::processEvents();
    }
    settle();

    EXPECT_TRUE(first.isNull()); // swapped out, emptied and deleted
    const int kept = viewer.ItemCount() - viewer.FirstItem();
    EXPECT_GE(kept, 4);
    EXPECT_LE(kept, 6);
    QString expected = QString("Run 1%1ECHO.").arg(QChar(QChar::ParagraphSeparator));
    for (int i = viewer.FirstItem(); i < 30; ++i) {
        expected += QChar(QChar::ParagraphSeparator) +
                    (i == 27 ? QString(QChar::ObjectReplacementCharacter) : QString("t%1").arg(i));
    }
    EXPECT_EQ(viewer.txtView->document()->toRawText(), expected);
    EXPECT_TRUE(viewer.txtView->document()
                    ->resource(QTextDocument::ImageResource, QUrl("chart:27"))
                    .isValid());
    ASSERT_EQ(viewer.tvOutline->topLevelItem(0)->childCount(), 1); // "before" went
    const QTreeWidgetItem* command = viewer.tvOutline->topLevelItem(0)->child(0);
    ASSERT_EQ(command->childCount(), kept);
    viewer.tvOutline->setCurrentItem(const_cast<QTreeWidgetItem*>(command));
    EXPECT_EQ(viewer.txtView->textCursor().selectedText(), "ECHO.");
    viewer.tvOutline->setCurrentItem(command->child(kept - 1));
    EXPECT_EQ(viewer.txtView->textCursor().selectedText(), "t29");
}

TEST(OutputViewer, QueuedItemsBeyondTheBoundAreNeverShown) {
    qputenv("QUILLSTONE_OUTPUT_ITEMS", "2");
    OutputViewer viewer;
    qunsetenv("QUILLSTONE_OUTPUT_ITEMS");
    viewer.BeginRun("Run 0");
    viewer.AppendItems({MakeItem(Kind::Text, "zero")});
    viewer.FlushItems();
    viewer.BeginRun("Run 1");
    viewer.AppendItems({MakeItem(Kind::Syntax, "ECHO."), MakeItem(Kind::Text, "one"),
                        MakeItem(Kind::Text, "two"), MakeItem(Kind::Text, "three"),
                        MakeItem(Kind::Text, "four")});
    viewer.FlushItems();

    EXPECT_EQ(viewer.ItemCount(), 5);
    EXPECT_EQ(viewer.FirstItem(), 3);
    ASSERT_EQ(viewer.tvOutline->topLevelItemCount(), 1);
    EXPECT_EQ(viewer.tvOutline->topLevelItem(0)->text(0), "Run 1");
    EXPECT_EQ(viewer.txtView->document()->toRawText(),
              QString("Run 1%1ECHO.%1three%1four").arg(QChar(QChar::ParagraphSeparator)));
    EXPECT_FALSE(viewer.lblDropped->isHidden());
}

} // namespace
} // namespace qs
