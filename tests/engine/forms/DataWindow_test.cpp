// The engine's Data window: title, path label, variable rows and count for each dataset.
#include "engine/forms/DataWindow.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QLabel>
#include <QTableView>

#include <gtest/gtest.h>

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
