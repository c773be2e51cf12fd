// The engine's Data window: path label, variable table over a list model, variable count.
#include "engine/forms/DataWindow.h"
#include "engine/forms/CaseGridView.h"
#include "engine/forms/DataViewModels.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
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

    tabViews = new QTabWidget(client);
    casesModel = new CaseTableModel(this);
    m_casesPage = new QWidget;
    auto* casesLayout = new QHBoxLayout(m_casesPage);
    casesLayout->setContentsMargins(0, 0, 0, 0);
    casesLayout->setSpacing(0);
    tblCases = new CaseGridView(casesModel);
    tblCases->setObjectName("tblCases");
    tblCases->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblCases->setWordWrap(false);
    casesLayout->addWidget(tblCases);
    casesLayout->addWidget(tblCases->CaseScrollBar());
    tblCases->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    tblCases->horizontalHeader()->setDefaultSectionSize(90);
    connect(casesModel, &CaseTableModel::ReadFailed, this, [this](const QString& message) {
        m_casesNote = tr("Cases after the damage are not shown: %1").arg(message);
        ShowCount();
    });
    tabViews->addTab(m_casesPage, tr("Data View"));

    m_model = new DataWindowModel(this);
    m_variablesModel = new VariableViewModel(this);
    grdVariables = new QTableView;
    grdVariables->setModel(m_model);
    grdVariables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdVariables->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdVariables->setWordWrap(false);
    // Fixed row heights and column widths: nothing is measured over all rows.
    grdVariables->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdVariables->horizontalHeader()->setStretchLastSection(true);
    grdVariables->horizontalHeader()->resizeSection(0, 160);
    tabViews->addTab(grdVariables, tr("Variable View"));
    connect(tabViews, &QTabWidget::currentChanged, this, [this] {
        if (WantsCases()) {
            emit CasesWanted();
        }
    });
    layout->addWidget(tabViews);
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
    QMenu* mnuView = menuBar()->addMenu(tr("&View"));
    actValueLabels = mnuView->addAction(tr("Value &Labels"));
    actValueLabels->setCheckable(true);
    connect(actValueLabels, &QAction::toggled, casesModel, &CaseTableModel::SetLabels);

    resize(600, 500);
    SetDataset({}, {});
}

void DataWindow::SetDataset(const QString& path, const QList<DataWindowVariable>& variables) {
    const QString name = path.isEmpty() ? tr("Untitled") : QFileInfo(path).fileName();
    setWindowTitle(tr("%1 - Data - Quillstone Engine").arg(name));
    lblPath->setText(path.isEmpty() ? tr("Untitled") : QDir::toNativeSeparators(path));
    m_model->Reset(variables);
    grdVariables->setModel(m_model);
    ShowCount();
}

void DataWindow::SetCases(std::shared_ptr<spssio::CaseReader> reader, const QString& note) {
    m_casesNote = note;
    if (reader) {
        m_variablesModel->SetDictionary(&reader->dictionary());
        grdVariables->setModel(m_variablesModel);
        // Name, type, width, decimals, label, values, missing, measure: room for the texts.
        const int widths[] = {120, 80, 60, 70, 200, 260, 120};
        for (int i = 0; i < 7; ++i) {
            grdVariables->horizontalHeader()->resizeSection(i, widths[i]);
        }
    } else {
        grdVariables->setModel(m_model);
        m_variablesModel->SetDictionary(nullptr);
    }
    casesModel->SetReader(std::move(reader));
    ShowCount();
}

bool DataWindow::WantsCases() const {
    return isVisible() && tabViews->currentWidget() == m_casesPage;
}

void DataWindow::ShowCount() {
    const auto count = grdVariables->model()->rowCount();
    QString text = count == 0   ? tr("No variables")
                   : count == 1 ? tr("1 variable")
                                : tr("%1 variables").arg(count);
    if (casesModel->Reader()) {
        const std::int64_t cases = casesModel->Reader()->caseCount();
        text += cases < 0    ? tr(", cases being counted")
                : cases == 1 ? tr(", 1 case")
                             : tr(", %1 cases").arg(QLocale().toString(static_cast<qlonglong>(cases)));
    }
    if (!m_casesNote.isEmpty()) {
        text += " - " + m_casesNote;
    }
    lblStatus->setText(text);
}

void DataWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    emit CasesWanted();
}

void DataWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    emit closed();
}

} // namespace qs
