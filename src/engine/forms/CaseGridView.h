// The Data View's grid: a table view over a window of the cases, with a scroll bar of its own
// that spans every case. The window holds the rows the screen shows, so the view's memory does
// not grow with the file (a table view keeps state for each row it is given); scrolling,
// the wheel and the keys move the window instead of the view.
#pragma once

#include <QTableView>

#include <cstdint>

class QScrollBar;

namespace qs {

class CaseTableModel;

class CaseGridView : public QTableView {
    Q_OBJECT
public:
    explicit CaseGridView(CaseTableModel* cases, QWidget* parent = nullptr);

    // The scroll bar over all the cases, for the window to place beside the view.
    QScrollBar* CaseScrollBar() const { return m_bar; }
    // Shows the case (from 0) and makes it current, in the current column.
    void ScrollToCase(std::int64_t caseIndex);
    // The current case, -1 when none; it stays current while scrolled out of sight.
    std::int64_t CurrentCase() const { return m_currentCase; }

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int FullRows() const;
    void Relayout();
    void ShowFrom(std::int64_t first);
    void EnsureShown(std::int64_t caseIndex);
    void InnerScrolled(int rows);

    CaseTableModel* m_cases;
    QScrollBar* m_bar;
    std::int64_t m_currentCase = -1;
    int m_currentColumn = 0;
    int m_wheelRest = 0; // a wheel's eighths of a degree not yet turned into rows
    bool m_moving = false;
};

} // namespace qs
