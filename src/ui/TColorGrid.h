// A grid of the 16 standard colours that marks one as foreground and one as background.
// A press with the left button picks the foreground colour, with any other button the
// background colour; the release is reported so that the owner can take the colour.
#pragma once

#include "highlight/SynHighlighterAttributes.h"

#include <QWidget>

#include <array>

namespace qs {

class TColorGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 4;
    static constexpr int kRows = 4;
    // Black, maroon, green, olive, navy, purple, teal, silver, gray, red, lime, yellow,
    // blue, fuchsia, aqua, white (0x00BBGGRR), laid out row by row.
    static const std::array<TColor, kColumns * kRows> kColors;

    explicit TColorGrid(QWidget* parent = nullptr);

    // -1 when nothing is marked.
    int ForegroundIndex() const { return m_foreground; }
    int BackgroundIndex() const { return m_background; }
    // The marked colour; clNone when nothing is marked.
    TColor ForegroundColor() const;
    TColor BackgroundColor() const;
    // Marks the cell of that colour; a colour outside the 16 removes the mark.
    void SetForegroundColor(TColor color);
    void SetBackgroundColor(TColor color);
    // The cell at a point in the widget, -1 outside every cell.
    int CellAt(const QPoint& point) const;
    QRect CellRect(int index) const;

    QSize sizeHint() const override;

signals:
    void MouseUp(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_foreground = -1;
    int m_background = -1;
};

} // namespace qs
