// The engine's Output window: batched output, following the end, find, Clear and saving.
#include "engine/forms/OutputViewer.h"
#include "engine/forms/OutputWindow.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QImage>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace qs {
namespace {

// Runs the event loop until `done` holds; gives up after a generous while so that a
// fault fails the test instead of hanging it.
void RunUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(2);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
}

QString Lines(int from, int count) {
    QString text;
    for (int i = from; i < from + count; ++i) {
        text += QStringLiteral("│line %1│ 12.5%│\n").arg(i);
    }
    return text;
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
}

class OutputWindowTest : public ::testing::Test {
protected:
    OutputWindow window;
};

struct ChunkRow {
    const char* name;
    std::vector<const char*> chunks;
    const char* expected;
};

class OutputChunks : public ::testing::TestWithParam<ChunkRow> {};

TEST_P(OutputChunks, JoinIntoTheTextThatWasSent) {
    OutputWindow window;
    for (const char* chunk : GetParam().chunks) {
        window.AppendOutput(QString::fromUtf8(chunk));
    }
    EXPECT_EQ(window.OutputText(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(OutputWindow, OutputChunks,
                         ::testing::Values(ChunkRow{"EndingMidLine",
                                                    {"first li", "ne\nsec", "ond line\nthi", "rd"},
                                                    "first line\nsecond line\nthird"},
                                           ChunkRow{"CrLfSplitBetweenChunks",
                                                    {"a\r", "\nb\r\n", "c\r", "\r\n"},
                                                    "a\nb\nc\n\n"},
                                           ChunkRow{
                                               "LoneCrEndsALine", {"a\rb", "\r", "c"}, "a\nb\nc"},
                                           ChunkRow{"BoxDrawingAndNoBreakSpace",
                                                    {"╭──┬──╮\n│ x│\xc2\xa0", "5│\n"},
                                                    "╭──┬──╮\n│ x│\xc2\xa0"
                                                    "5│\n"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(OutputWindowTest, QueuedTextShowsByItselfAfterAShortWhile) {
    window.AppendOutput("PSPP> ");
    EXPECT_TRUE(window.memOutput->document()->isEmpty()); // buffered, not inserted at once
    RunUntil([&] { return !window.memOutput->document()->isEmpty(); });
    EXPECT_EQ(window.memOutput->toPlainText(), "PSPP> ");
}

TEST_F(OutputWindowTest, LargeBurstGoesInOverSeveralBatches) {
    const int lines = 40000; // well over one batch
    window.AppendOutput(Lines(0, lines));
    QTextDocument* document = window.memOutput->document();
    int firstBatchBlocks = 0;
    QObject::connect(document, &QTextDocument::contentsChanged, &window, [&] {
        if (firstBatchBlocks == 0) {
            firstBatchBlocks = document->blockCount();
        }
    });
    RunUntil([&] { return document->blockCount() == lines + 1; });
    EXPECT_GT(firstBatchBlocks, 1);
    EXPECT_LT(firstBatchBlocks, lines / 2);
    EXPECT_EQ(document->blockCount(), lines + 1);
    EXPECT_TRUE(window.memOutput->toPlainText().endsWith("line 39999│ 12.5%│\n"));
}

struct FollowRow {
    const char* name;
    bool scrolledUp;
};

class OutputFollow : public ::testing::TestWithParam<FollowRow> {};

TEST_P(OutputFollow, ViewFollowsTheEndOnlyFromTheBottom) {
    OutputWindow window;
    window.show();
    window.AppendOutput(Lines(0, 500));
    window.FlushOutput();
    QScrollBar* bar = window.memOutput->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 20);
    ASSERT_EQ(bar->value(), bar->maximum()); // it started at the top, which was the bottom
    if (GetParam().scrolledUp) {
        bar->setValue(10);
    }
    const int before = bar->maximum();
    window.AppendOutput(Lines(500, 500));
    window.FlushOutput();
    ASSERT_GT(bar->maximum(), before);
    EXPECT_EQ(bar->value(), GetParam().scrolledUp ? 10 : bar->maximum());
}

INSTANTIATE_TEST_SUITE_P(OutputWindow, OutputFollow,
                         ::testing::Values(FollowRow{"AtTheBottom", false},
                                           FollowRow{"ScrolledUp", true}),
                         [](const auto& row) { return std::string(row.param.name); });

struct FindRow {
    const char* name;
    const char* needle;
    bool backwards;
    std::vector<int> starts; // selection start after each search from the top, -1: not found
};

class OutputFind : public ::testing::TestWithParam<FindRow> {};

TEST_P(OutputFind, MovesTheSelectionAndWrapsAround) {
    OutputWindow window;
    window.tabs->setCurrentWidget(window.memOutput); // the search goes where the user looks
    window.AppendOutput("x two\ny Two\nz two\n");
    window.FlushOutput();
    const QString needle = GetParam().needle;
    for (int expected : GetParam().starts) {
        const bool found = window.FindText(needle, GetParam().backwards);
        EXPECT_EQ(found, expected >= 0);
        if (found) {
            EXPECT_EQ(window.memOutput->textCursor().selectionStart(), expected);
            EXPECT_EQ(window.memOutput->textCursor().selectedText().size(), needle.size());
            EXPECT_TRUE(window.statusBar()->currentMessage().isEmpty());
        } else {
            EXPECT_EQ(window.statusBar()->currentMessage(), "Not found: " + needle);
            EXPECT_FALSE(window.memOutput->textCursor().hasSelection());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    OutputWindow, OutputFind,
    ::testing::Values(FindRow{"ForwardWrapsToTheTop", "two", false, {2, 8, 14, 2}},
                      FindRow{"BackwardWrapsToTheEnd", "two", true, {14, 8, 2, 14}},
                      FindRow{"IgnoresCase", "TWO", false, {2}},
                      FindRow{"AbsentTextSaysSo", "three", false, {-1}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(OutputWindowTest, FindBarEnterShiftEnterAndEscape) {
    window.tabs->setCurrentWidget(window.memOutput);
    window.AppendOutput("x two\ny two\nz two\n");
    window.actFind->trigger();
    EXPECT_TRUE(window.FindBar->isVisibleTo(&window));
    window.edtFind->setText("two");
    PressKey(window.edtFind, Qt::Key_Return);
    PressKey(window.edtFind, Qt::Key_Enter);
    EXPECT_EQ(window.memOutput->textCursor().selectionStart(), 8);
    PressKey(window.edtFind, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(window.memOutput->textCursor().selectionStart(), 2);
    window.actFindPrevious->trigger();
    EXPECT_EQ(window.memOutput->textCursor().selectionStart(), 14);
    window.actFindNext->trigger();
    EXPECT_EQ(window.memOutput->textCursor().selectionStart(), 2);
    PressKey(window.edtFind, Qt::Key_Escape);
    EXPECT_FALSE(window.FindBar->isVisibleTo(&window));
}

TEST_F(OutputWindowTest, KeepsTheNewestLinesUnderItsBoundAndSaysSo) {
    ::setenv("QUILLSTONE_OUTPUT_LINES", "100", 1);
    OutputWindow bounded;
    ::unsetenv("QUILLSTONE_OUTPUT_LINES");
    bounded.AppendOutput(Lines(0, 500));
    const QString text = bounded.OutputText();
    EXPECT_LE(bounded.memOutput->document()->blockCount(), 100);
    EXPECT_TRUE(text.endsWith(Lines(499, 1))) << text.right(40).toStdString();
    EXPECT_TRUE(bounded.statusBar()->currentMessage().contains("keeps the last 100 lines"));
}

TEST_F(OutputWindowTest, ClearEmptiesShownAndQueuedOutput) {
    window.AppendOutput("shown\n");
    window.FlushOutput();
    window.AppendOutput("queued\n");
    window.actClear->trigger();
    EXPECT_TRUE(window.OutputText().isEmpty());
    window.AppendOutput("after\n");
    EXPECT_EQ(window.OutputText(), "after\n");
}

TEST_F(OutputWindowTest, SaveWritesExactlyTheTextAsUtf8WithLf) {
    test::TempDir dir;
    const auto path = dir / "out.txt";
    test::WriteFileBytes(path, "an older and much longer file that must be replaced\n");
    window.AppendOutput("╭─╮\r\n│é│\r\n");
    window.FlushOutput();
    window.AppendOutput("queued");
    QString error;
    ASSERT_TRUE(window.SaveOutputTo(QString::fromStdString(path.string()), &error))
        << error.toStdString();
    EXPECT_EQ(test::ReadFileBytes(path), "╭─╮\n│é│\nqueued");
}

TEST_F(OutputWindowTest, SaveToAnUnwritablePathSaysWhyAndNamesTheFile) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "missing" / "out.txt").string());
    window.AppendOutput("text\n");
    QString error;
    EXPECT_FALSE(window.SaveOutputTo(path, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.endsWith('.')) << error.toStdString();
}

// Export writes the Output tab: HTML with the chart as a file beside it (the run's own
// image file is gone by then), or PDF.
TEST_F(OutputWindowTest, ExportWritesTheItemsAsHtmlWithTheirChartsOrAsPdf) {
    test::TempDir dir;
    const auto chart = dir / "output-1.png";
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(QString::fromStdString(chart.string())));
    engine::OutputItem table{engine::OutputItem::Kind::Table, "Counts",
                             "<table><caption>Counts</caption><tr><td>7</td></tr></table>"};
    engine::OutputItem picture{engine::OutputItem::Kind::Chart, "chart: x", {}, chart.string()};
    window.BeginRun("Run 1");
    window.AppendItems({table, picture});
    std::filesystem::remove(chart);

    QString error;
    ASSERT_TRUE(window.ExportTo(QString::fromStdString((dir / "out.html").string()), &error))
        << error.toStdString();
    const std::string page = test::ReadFileBytes(dir / "out.html");
    EXPECT_NE(page.find("Counts"), std::string::npos);
    const std::size_t src = page.find("src=\"out_files/");
    ASSERT_NE(src, std::string::npos) << page;
    const std::string file = page.substr(src + 5, page.find('"', src + 5) - src - 5);
    EXPECT_EQ(QImage(QString::fromStdString((dir / file).string())).size(), QSize(40, 30));

    ASSERT_TRUE(window.ExportTo(QString::fromStdString((dir / "out.pdf").string()), &error))
        << error.toStdString();
    EXPECT_EQ(test::ReadFileBytes(dir / "out.pdf").substr(0, 5), "%PDF-");
    EXPECT_FALSE(window.ExportTo(QString::fromStdString((dir / "no" / "out.pdf").string()), &error));
    EXPECT_TRUE(error.contains("out.pdf")) << error.toStdString();

    // The selection alone: the chart selected in the outline, without the table.
    const QString part = QString::fromStdString((dir / "part.html").string());
    window.viewer->tvOutline->clearSelection();
    EXPECT_FALSE(window.actExportSelection->isEnabled());
    EXPECT_FALSE(window.ExportTo(part, &error, true));
    window.viewer->tvOutline->setCurrentItem(window.viewer->tvOutline->topLevelItem(0)->child(1));
    EXPECT_TRUE(window.actExportSelection->isEnabled());
    ASSERT_TRUE(window.ExportTo(part, &error, true)) << error.toStdString();
    const std::string selected = test::ReadFileBytes(dir / "part.html");
    EXPECT_EQ(selected.find("Counts"), std::string::npos) << selected;
    EXPECT_NE(selected.find("src=\"part_files/chart-1.png\""), std::string::npos) << selected;
    EXPECT_TRUE(std::filesystem::exists(dir / "part_files" / "chart-1.png"));
    ASSERT_TRUE(window.ExportTo(QString::fromStdString((dir / "part.pdf").string()), &error, true));
    EXPECT_EQ(test::ReadFileBytes(dir / "part.pdf").substr(0, 5), "%PDF-");
}

TEST_F(OutputWindowTest, CloseHidesTheWindowAndSaysSo) {
    window.show();
    int closedCount = 0;
    QObject::connect(&window, &OutputWindow::closed, [&] { ++closedCount; });
    window.actClose->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closedCount, 1);
    EXPECT_EQ(window.windowTitle(), "Output - Quillstone Engine");
}

} // namespace
} // namespace qs
