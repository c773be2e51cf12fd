// The 16-colour grid of the style dialog: cells, marks and the mouse buttons that set them.
#include "ui/TColorGrid.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace qs {

namespace {

int IndexOf(TColor color) {
    const auto& colors = TColorGrid::kColors;
    const auto at = std::find(colors.begin(), colors.end(), color);
    return at == colors.end() ? -1 : static_cast<int>(at - colors.begin());
}

QColor ToQColor(TColor color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

} // namespace

const std::array<TColor, TColorGrid::kColumns* TColorGrid::kRows> TColorGrid::kColors = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent) {
    setMinimumSize(kColumns * 16, kRows * 16);
}

TColor TColorGrid::ForegroundColor() const {
    return m_foreground < 0 ? clNone : kColors[static_cast<std::size_t>(m_foreground)];
}

TColor TColorGrid::BackgroundColor() const {
    return m_background < 0 ? clNone : kColors[static_cast<std::size_t>(m_background)];
}

void TColorGrid::SetForegroundColor(TColor color) {
    m_foreground = IndexOf(color);
    update();
}

void TColorGrid::SetBackgroundColor(TColor color) {
    m_background = IndexOf(color);
    update();
}

QSize TColorGrid::sizeHint() const {
    return {kColumns * 28, kRows * 22};
}

QRect TColorGrid::CellRect(int index) const {
    const int column = index % kColumns;
    const int row = index / kColumns;
    // Cells share the widget evenly; the last column and row take the remainder.
    const int left = width() * column / kColumns;
    const int top = height() * row / kRows;
    return QRect(QPoint(left, top),
                 QPoint(width() * (column + 1) / kColumns - 1, height() * (row + 1) / kRows - 1));
}

int TColorGrid::CellAt(const QPoint& point) const {
    if (!rect().contains(point)) {
        return -1;
    }
    const int column = std::min(point.x() * kColumns / std::max(width(), 1), kColumns - 1);
    const int row = std::min(point.y() * kRows / std::max(height(), 1), kRows - 1);
    return row * kColumns + column;
}

void TColorGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    for (int i = 0; i < kColumns * kRows; ++i) {
        const QRect cell = CellRect(i);
        const QColor color = ToQColor(kColors[static_cast<std::size_t>(i)]);
        painter.fillRect(cell, color);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        QString mark;
        if (i == m_foreground) {
            mark += "FG";
        }
        if (i == m_background) {
            mark = i == m_foreground ? "FB" : "BG";
        }
        if (mark.isEmpty()) {
            continue;
        }
        // A mark in the colour that stands out most from its cell, framed twice so that
        // it is seen on any of the 16 colours.
        const int luma = (299 * color.red() + 587 * color.green() + 114 * color.blue()) / 1000;
        const QColor ink = luma > 128 ? Qt::black : Qt::white;
        painter.setPen(QPen(ink, 2));
        painter.drawRect(cell.adjusted(2, 2, -2, -2));
        painter.setPen(ink);
        painter.drawText(cell, Qt::AlignCenter, mark);
    }
}

void TColorGrid::mousePressEvent(QMouseEvent* event) {
    const int cell = CellAt(event->position().toPoint());
    if (cell < 0) {
        return;
    }
    (event->button() == Qt::LeftButton ? m_foreground : m_background) = cell;
    update();
}

void TColorGrid::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event->button());
}

} // namespace qs
