// The engine's Data window: the active dataset's file and its variables' names and labels.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>

#include <memory>

class QAction;
class QLabel;
class QTabWidget;
class QTableView;

namespace qs {

namespace spssio {
class CaseReader;
}
class CaseGridView;
class CaseTableModel;
class VariableViewModel;

struct DataWindowVariable {
    QString name;
    QString label;
};

class DataWindowModel;

class DataWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit DataWindow(QWidget* parent = nullptr);

    // Shows the dataset read from `path` (empty: never saved) with its variables in order;
    // its cases follow with SetCases.
    void SetDataset(const QString& path, const QList<DataWindowVariable>& variables);
    // Shows the cases and the dictionary `reader` reads (a private copy of the dataset), or
    // none with `note` saying why.
    void SetCases(std::shared_ptr<spssio::CaseReader> reader, const QString& note = {});
    // Whether the cases are shown: the window is, with its Data View.
    bool WantsCases() const;

    QLabel* lblPath = nullptr;
    QTabWidget* tabViews = nullptr;
    CaseGridView* tblCases = nullptr;   // Data View
    QTableView* grdVariables = nullptr; // Variable View
    QLabel* lblStatus = nullptr;
    QAction* actClose = nullptr;
    QAction* actValueLabels = nullptr;
    CaseTableModel* casesModel = nullptr;

signals:
    void closed();
    // The window was shown, or its Data View brought forward: what it shows may be stale.
    void CasesWanted();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowCount();

    DataWindowModel* m_model = nullptr;
    VariableViewModel* m_variablesModel = nullptr;
    QString m_casesNote;
    QWidget* m_casesPage = nullptr; // the grid and its scroll bar
};

} // namespace qs
