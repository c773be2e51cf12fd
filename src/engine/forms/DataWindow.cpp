// The engine's Data window: path label, variable table over a list model, variable count.
#include "engine/forms/DataWindow.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace qs {

// Serves the variables straight from one list: a dataset may have tens of thousands of them,
// too many for one widget item per cell.
class DataWindowModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Reset(const QList<DataWindowVariable>& variables) {
        beginResetModel();
        m_variables = variables;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_variables.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
            return {};
        }
        const DataWindowVariable& variable = m_variables.at(index.row());
        return index.column() == 0 ? variable.name : variable.label;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
            return section == 0 ? tr("Name") : tr("Label");
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    QList<DataWindowVariable> m_variables;
};

DataWindow::DataWindow(QWidget* parent) : QMainWindow(parent) {
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    lblPath = new QLabel(client);
    lblPath->setContentsMargins(6, 4, 6, 4);
    lblPath->setTextFormat(Qt::PlainText);
    lblPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblPath);

    m_model = new DataWindowModel(this);
    grdVariables = new QTableView(client);
    grdVariables->setModel(m_model);
    grdVariables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdVariables->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdVariables->setWordWrap(false);
    // Fixed row heights and column widths: nothing is measured over all rows.
    grdVariables->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdVariables->horizontalHeader()->setStretchLastSection(true);
    grdVariables->horizontalHeader()->resizeSection(0, 160);
    layout->addWidget(grdVariables);
    setCentralWidget(client);

    lblStatus = new QLabel(this);
    statusBar()->addWidget(lblStatus, 1);

    QMenu* mnuFile = menuBar()->addMenu(tr("&File"));
    actClose = mnuFile->addAction(tr("&Close"), this, &QWidget::close);
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    if (!keys.contains(QKeySequence(Qt::CTRL | Qt::Key_W))) {
        keys.prepend(QKeySequence(Qt::CTRL | Qt::Key_W));
    }
    actClose->setShortcuts(keys);

    resize(600, 500);
    SetDataset({}, {});
}

void DataWindow::SetDataset(const QString& path, const QList<DataWindowVariable>& variables) {
    const QString name = path.isEmpty() ? tr("Untitled") : QFileInfo(path).fileName();
    setWindowTitle(tr("%1 - Data - Quillstone Engine").arg(name));
    lblPath->setText(path.isEmpty() ? tr("Untitled") : QDir::toNativeSeparators(path));
    m_model->Reset(variables);
    const auto count = variables.size();
    lblStatus->setText(count == 0   ? tr("No variables")
                       : count == 1 ? tr("1 variable")
                                    : tr("%1 variables").arg(count));
}

void DataWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    emit closed();
}

} // namespace qs
