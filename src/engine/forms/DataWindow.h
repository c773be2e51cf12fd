// The engine's Data window: the active dataset's file and its variables' names and labels.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>

class QAction;
class QLabel;
class QTableView;

namespace qs {

struct DataWindowVariable {
    QString name;
    QString label;
};

class DataWindowModel;

class DataWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit DataWindow(QWidget* parent = nullptr);

    // Shows the dataset read from `path` (empty: never saved) with its variables in order.
    void SetDataset(const QString& path, const QList<DataWindowVariable>& variables);

    QLabel* lblPath = nullptr;
    QTableView* grdVariables = nullptr;
    QLabel* lblStatus = nullptr;
    QAction* actClose = nullptr;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    DataWindowModel* m_model = nullptr;
};

} // namespace qs
