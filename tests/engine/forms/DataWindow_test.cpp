// The engine's Data window: title, path label, variable rows and count for each dataset.
#include "engine/forms/CaseGridView.h"
#include "engine/forms/DataViewModels.h"
#include "engine/forms/DataWindow.h"
#include "platform/spssio/CaseReader.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace qs {
namespace {

QList<DataWindowVariable> Variables(int count) {
    QList<DataWindowVariable> variables;
    for (int i = 1; i <= count; ++i) {
        variables.append({QStringLiteral("v%1").arg(i), QStringLiteral("Question %1").arg(i)});
    }
    return variables;
}

struct DatasetRow {
    const char* name;
    const char* path;
    int variables;
    const char* title;
    const char* label;
    const char* status;
};

class DataWindowDataset : public ::testing::TestWithParam<DatasetRow> {};

TEST_P(DataWindowDataset, ShowsFileVariablesAndCount) {
    const DatasetRow& row = GetParam();
    DataWindow window;
    window.SetDataset("/earlier/dataset.sav", Variables(7)); // must leave nothing behind
    window.SetDataset(QString::fromUtf8(row.path), Variables(row.variables));

    EXPECT_EQ(window.windowTitle(), QString::fromUtf8(row.title));
    EXPECT_EQ(window.lblPath->text(), QString::fromUtf8(row.label));
    EXPECT_EQ(window.lblStatus->text(), row.status);
    const QAbstractItemModel* model = window.grdVariables->model();
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Label");
    ASSERT_EQ(model->rowCount(), row.variables);
    if (row.variables > 0) {
        const int last = row.variables - 1;
        EXPECT_EQ(model->index(0, 0).data().toString(), "v1");
        EXPECT_EQ(model->index(last, 0).data().toString(), QStringLiteral("v%1").arg(last + 1));
        EXPECT_EQ(model->index(last, 1).data().toString(),
                  QStringLiteral("Question %1").arg(last + 1));
        EXPECT_FALSE(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsEditable));
    }
}

INSTANTIATE_TEST_SUITE_P(
    DataWindow, DataWindowDataset,
    ::testing::Values(DatasetRow{"UntitledWithoutVariables", "", 0,
                                 "Untitled - Data - Quillstone Engine", "Untitled", "No variables"},
                      DatasetRow{"SavedWithOneVariable", "/home/ann/data/survey.sav", 1,
                                 "survey.sav - Data - Quillstone Engine",
                                 "/home/ann/data/survey.sav", "1 variable"},
                      DatasetRow{"UntitledWithSomeVariables", "", 3,
                                 "Untitled - Data - Quillstone Engine", "Untitled", "3 variables"},
                      DatasetRow{"ManyVariablesAndANonAsciiName", "/tmp/größe.zsav", 30000,
                                 "größe.zsav - Data - Quillstone Engine", "/tmp/größe.zsav",
                                 "30000 variables"}),
    [](const auto& row) { return std::string(row.param.name); });

// PSPP's CSV (fields quoted as RFC 4180 has it), row by row.
std::vector<std::vector<QString>> ReadCsv(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const QString text = QString::fromUtf8(bytes.str());
    std::vector<std::vector<QString>> rows(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',' || c == u'\n') {
            rows.back().push_back(std::exchange(field, QString()));
            if (c == u'\n') {
                rows.emplace_back();
            }
        } else {
            field += c;
        }
    }
    rows.pop_back(); // after the last line end
    return rows;
}

// The Data View shows a file's cases as PSPP formats them (system-missing as "."), and with
// value labels on, PSPP's labels; the Variable View shows its dictionary.
TEST(DataWindow, ShowsTheCasesAsPsppPrintsThemAndTheDictionary) {
    const std::string folder = std::string(QS_FIXTURES_DIR) + "/cases/";
    std::string message;
    std::shared_ptr<spssio::CaseReader> reader =
        spssio::CaseReader::open(folder + "cases-bytecode.sav", message);
    ASSERT_TRUE(reader) << message;
    DataWindow window;
    window.SetDataset("/d/cases.sav", {});
    window.SetCases(reader);
    const QAbstractItemModel* cases = window.tblCases->model();
    // Each case through the grid's window, which shows only some rows at a time.
    const auto caseCell = [&](int row, int column) {
        window.tblCases->ScrollToCase(row);
        const QModelIndex at = cases->index(window.tblCases->currentIndex().row(), column);
        EXPECT_EQ(cases->headerData(at.row(), Qt::Vertical).toInt(), row + 1);
        return at;
    };
    for (const bool labels : {false, true}) {
        window.actValueLabels->setChecked(labels);
        const auto expected = ReadCsv(folder + (labels ? "cases-labels.csv" : "cases-formats.csv"));
        ASSERT_EQ(window.casesModel->CaseCount(), static_cast<int>(expected.size()) - 1);
        ASSERT_EQ(cases->columnCount(), static_cast<int>(expected[0].size()));
        for (int row = 0; row < window.casesModel->CaseCount(); ++row) {
            for (int column = 0; column < cases->columnCount(); ++column) {
                QString want = expected[static_cast<std::size_t>(row) + 1][static_cast<std::size_t>(column)];
                want = want == " " ? "." : want;
                ASSERT_EQ(caseCell(row, column).data().toString(), want)
                    << "labels " << labels << " case " << row + 1 << " column " << column;
            }
        }
    }
    EXPECT_EQ(cases->headerData(1, Qt::Horizontal).toString(), "small");
    // small is 13, user-missing, in case 52: shown, and set apart.
    window.actValueLabels->setChecked(false);
    EXPECT_EQ(caseCell(51, 1).data().toString(), "13");
    EXPECT_TRUE(caseCell(51, 1).data(Qt::FontRole).value<QFont>().italic());
    EXPECT_FALSE(caseCell(50, 1).data(Qt::FontRole).isValid());

    const QAbstractItemModel* variables = window.grdVariables->model();
    ASSERT_EQ(variables->rowCount(), 7);
    const auto cell = [&](int row, int column) { return variables->index(row, column).data().toString(); };
    EXPECT_EQ(QStringList({cell(1, 0), cell(1, 1), cell(1, 2), cell(1, 3), cell(1, 6)}),
              QStringList({"small", "Numeric", "5", "0", "13"}));
    EXPECT_TRUE(cell(1, 5).contains("{12, twelve}"));
    EXPECT_EQ(QStringList({cell(3, 1), cell(4, 1), cell(4, 2), cell(4, 6)}),
              QStringList({"COMMA", "String", "8", "'cdefgh'"}));
    EXPECT_TRUE(window.lblStatus->text().contains("7 variables, 60 cases"));
}

// The grid holds a screen of rows whatever the number of cases; the keys, the wheel and the
// scroll bar move that window over the cases.
TEST(DataWindow, GridMovesAWindowOfRowsOverTheCases) {
    std::string message;
    std::shared_ptr<spssio::CaseReader> reader =
        spssio::CaseReader::open(std::string(QS_FIXTURES_DIR) + "/cases/cases-bytecode.sav", message);
    ASSERT_TRUE(reader) << message;
    DataWindow window;
    window.resize(500, 400);
    window.show();
    window.SetCases(reader);
    CaseGridView& grid = *window.tblCases;
    const QAbstractItemModel& cases = *window.casesModel;
    const int full = grid.viewport()->height() / grid.verticalHeader()->defaultSectionSize();
    ASSERT_GT(full, 2);
    ASSERT_LT(full, 50);
    EXPECT_EQ(grid.verticalHeader()->count(), full + 1);
    EXPECT_EQ(grid.CaseScrollBar()->maximum(), 60 - full);

    const auto key = [&](int code, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(&grid, &press);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        std::int64_t current; // -1: not checked
        std::int64_t first;
    };
    const int lines = QApplication::wheelScrollLines();
    const Step steps[] = {
        {"start", [&] { grid.ScrollToCase(0); }, 0, 0},
        {"down past the screen", [&] { for (int i = 0; i < full; ++i) key(Qt::Key_Down); }, full, 1},
        {"page down", [&] { key(Qt::Key_PageDown); }, 2 * full, full + 1},
        {"ctrl+end", [&] { key(Qt::Key_End, Qt::ControlModifier); }, 59, 60 - full},
        {"up stays in sight", [&] { key(Qt::Key_Up); }, 58, 60 - full},
        {"ctrl+home", [&] { key(Qt::Key_Home, Qt::ControlModifier); }, 0, 0},
        {"wheel", [&] {
             QWheelEvent wheel({10, 10}, grid.mapToGlobal(QPoint(10, 10)), {}, {0, -120},
                               Qt::NoButton, {}, Qt::NoScrollPhase, false);
             QApplication::sendEvent(grid.viewport(), &wheel);
         }, 0, lines},
        {"scroll bar to its end", [&] { grid.CaseScrollBar()->setValue(grid.CaseScrollBar()->maximum()); }, 0, 60 - full},
        {"case shown again", [&] { grid.ScrollToCase(30); }, 30, 30},
        {"click on the half row at the bottom", [&] {
             const QPoint at(grid.columnViewportPosition(1) + 5, grid.rowViewportPosition(full) + 2);
             for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                 QMouseEvent click(type, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton,
                                   Qt::LeftButton, {});
                 QApplication::sendEvent(grid.viewport(), &click);
             }
         }, 30 + full, 30},
        {"the view shows the cell itself", [&] { grid.scrollTo(grid.currentIndex()); }, 30 + full, 31},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(grid.CurrentCase(), step.current) << step.what;
        EXPECT_EQ(window.casesModel->FirstCase(), step.first) << step.what;
        EXPECT_EQ(grid.CaseScrollBar()->value(), step.first) << step.what;
        EXPECT_EQ(cases.headerData(0, Qt::Vertical).toLongLong(), step.first + 1) << step.what;
        const bool inSight = step.current >= step.first && step.current <= step.first + full;
        EXPECT_EQ(grid.currentIndex().isValid() ? step.first + grid.currentIndex().row() : -1,
                  inSight ? step.current : -1) << step.what;
        EXPECT_EQ(grid.verticalScrollBar()->value(), 0) << step.what;
    }
}

TEST(DataWindow, CloseHidesTheWindowAndSaysSo) {
    DataWindow window;
    window.show();
    int closedCount = 0;
    QObject::connect(&window, &DataWindow::closed, [&] { ++closedCount; });
    window.actClose->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closedCount, 1);
}

} // namespace
} // namespace qs
