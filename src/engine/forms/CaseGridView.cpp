// The Data View's grid over a window of the cases; see CaseGridView.h.
#include "engine/forms/CaseGridView.h"
#include "engine/forms/DataViewModels.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>

namespace qs {

namespace {

constexpr int kWheelNotch = 120; // eighths of a degree
constexpr int kHeaderPadding = 16;

} // namespace

CaseGridView::CaseGridView(CaseTableModel* cases, QWidget* parent)
    : QTableView(parent), m_cases(cases), m_bar(new QScrollBar(Qt::Vertical, this)) {
    setModel(cases);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(m_bar, &QScrollBar::valueChanged, this, [this](int value) { ShowFrom(value); });
    // The view scrolls itself to show a cell (a click on the half row at the bottom, a drag
    // past the edge): the window moves instead, and the view stays at its top.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CaseGridView::InnerScrolled);
    connect(cases, &CaseTableModel::CaseCountChanged, this, &CaseGridView::Relayout);
    connect(cases, &QAbstractItemModel::modelReset, this, [this] {
        m_currentCase = -1;
        m_bar->setValue(0);
    });
}

int CaseGridView::FullRows() const {
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    return std::max(1, viewport()->height() / rowHeight);
}

void CaseGridView::Relayout() {
    const int full = FullRows();
    // A scroll bar counts in int: beyond that the first two thousand million cases show.
    const auto last = std::clamp<std::int64_t>(m_cases->CaseCount() - full, 0, INT_MAX);
    m_bar->setRange(0, static_cast<int>(last));
    m_bar->setPageStep(full);
    // Room for the widest case number, so the grid does not shift as the window moves.
    const QString widest(QString::number(std::max<std::int64_t>(m_cases->CaseCount(), 9)).size(),
                         u'9');
    verticalHeader()->setMinimumWidth(verticalHeader()->fontMetrics().horizontalAdvance(widest) +
                                      kHeaderPadding);
    m_cases->SetWindow(m_bar->value(), full + 1);
}

void CaseGridView::ShowFrom(std::int64_t first) {
    first = std::clamp<std::int64_t>(first, 0, m_bar->maximum());
    m_moving = true;
    m_cases->SetWindow(first, FullRows() + 1);
    const std::int64_t row = m_currentCase - m_cases->FirstCase();
    if (m_currentCase >= 0 && row < m_cases->rowCount(QModelIndex())) {
        setCurrentIndex(m_cases->index(static_cast<int>(row), m_currentColumn));
    } else {
        // Out of sight: the case stays current here, not in whatever row took its place.
        selectionModel()->clear();
    }
    m_moving = false;
    if (m_bar->value() != first) {
        m_bar->setValue(static_cast<int>(first));
    }
    viewport()->update();
}

void CaseGridView::EnsureShown(std::int64_t caseIndex) {
    const std::int64_t first = m_cases->FirstCase();
    const int full = FullRows();
    if (caseIndex < first) {
        ShowFrom(caseIndex);
    } else if (caseIndex >= first + full) {
        ShowFrom(caseIndex - full + 1);
    }
}

void CaseGridView::InnerScrolled(int rows) {
    if (rows == 0) {
        return;
    }
    verticalScrollBar()->setValue(0);
    ShowFrom(m_cases->FirstCase() + rows);
}

void CaseGridView::ScrollToCase(std::int64_t caseIndex) {
    if (m_cases->CaseCount() == 0) {
        return;
    }
    caseIndex = std::clamp<std::int64_t>(caseIndex, 0, m_cases->CaseCount() - 1);
    m_currentCase = caseIndex;
    EnsureShown(caseIndex);
    setCurrentIndex(m_cases->index(static_cast<int>(caseIndex - m_cases->FirstCase()),
                                   std::min(m_currentColumn, m_cases->columnCount() - 1)));
}

void CaseGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!m_moving && current.isValid()) {
        m_currentCase = m_cases->FirstCase() + current.row();
        m_currentColumn = current.column();
    }
}

QModelIndex CaseGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const std::int64_t count = m_cases->CaseCount();
    if (m_currentCase < 0 || count == 0) {
        return QTableView::moveCursor(action, modifiers);
    }
    const bool control = modifiers & Qt::ControlModifier;
    const int full = FullRows();
    std::int64_t target = m_currentCase;
    int column = m_currentColumn;
    switch (action) {
    case MoveUp:
        --target;
        break;
    case MoveDown:
        ++target;
        break;
    case MovePageUp:
        target -= full;
        ShowFrom(m_cases->FirstCase() - full);
        break;
    case MovePageDown:
        target += full;
        ShowFrom(m_cases->FirstCase() + full);
        break;
    case MoveHome:
    case MoveEnd:
        if (!control) {
            return QTableView::moveCursor(action, modifiers); // along the row
        }
        target = action == MoveHome ? 0 : count - 1;
        column = action == MoveHome ? 0 : m_cases->columnCount() - 1;
        break;
    default:
        return QTableView::moveCursor(action, modifiers);
    }
    target = std::clamp<std::int64_t>(target, 0, count - 1);
    m_currentCase = target; // so that the move below keeps it in its row
    m_currentColumn = column;
    EnsureShown(target);
    return m_cases->index(static_cast<int>(target - m_cases->FirstCase()), column);
}

void CaseGridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    Relayout();
}

void CaseGridView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0 || (event->modifiers() & Qt::AltModifier)) {
        QTableView::wheelEvent(event); // sideways
        return;
    }
    m_wheelRest += delta;
    const int notches = m_wheelRest / kWheelNotch;
    m_wheelRest %= kWheelNotch;
    if (notches != 0) {
        ShowFrom(m_cases->FirstCase() - std::int64_t{notches} * QApplication::wheelScrollLines());
    }
    event->accept();
}

} // namespace qs
