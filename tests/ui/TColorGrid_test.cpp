// The colour grid: which button sets which mark, the marks as drawn, colours outside the 16.
#include "ui/TColorGrid.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <set>

namespace qs {
namespace {

void Click(TColorGrid& grid, int cell, Qt::MouseButton button) {
    const QPointF at = grid.CellRect(cell).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, grid.mapToGlobal(at), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(&grid, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, grid.mapToGlobal(at), button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&grid, &release);
}

struct ButtonRow {
    const char* name;
    Qt::MouseButton button;
    int foreground; // the marks after a click on cell 9 (red), from 0 (black) and 15 (white)
    int background;
};

class ColorGridButtons : public ::testing::TestWithParam<ButtonRow> {};

TEST_P(ColorGridButtons, LeftSetsTheForegroundAnyOtherTheBackground) {
    const ButtonRow& row = GetParam();
    TColorGrid grid;
    grid.resize(120, 80);
    grid.SetForegroundColor(0x000000);
    grid.SetBackgroundColor(0xFFFFFF);
    std::vector<Qt::MouseButton> released;
    QObject::connect(&grid, &TColorGrid::MouseUp,
                     [&](Qt::MouseButton button) { released.push_back(button); });
    Click(grid, 9, row.button);
    EXPECT_EQ(grid.ForegroundIndex(), row.foreground);
    EXPECT_EQ(grid.BackgroundIndex(), row.background);
    EXPECT_EQ(released, std::vector<Qt::MouseButton>{row.button});
}

INSTANTIATE_TEST_SUITE_P(Rows, ColorGridButtons,
                         ::testing::Values(ButtonRow{"Left", Qt::LeftButton, 9, 15},
                                           ButtonRow{"Right", Qt::RightButton, 0, 9},
                                           ButtonRow{"Middle", Qt::MiddleButton, 0, 9}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ColorGrid, MarksFollowTheColoursAndNoneForAColourOutsideTheSixteen) {
    TColorGrid grid;
    grid.SetForegroundColor(0x808000); // teal
    grid.SetBackgroundColor(0xFFFFFF);
    EXPECT_EQ(grid.ForegroundIndex(), 6);
    EXPECT_EQ(grid.ForegroundColor(), 0x808000u);
    EXPECT_EQ(grid.BackgroundIndex(), 15);
    grid.SetForegroundColor(0x123456);
    grid.SetBackgroundColor(clNone);
    EXPECT_EQ(grid.ForegroundIndex(), -1);
    EXPECT_EQ(grid.BackgroundIndex(), -1);
    EXPECT_EQ(grid.ForegroundColor(), clNone);
}

// The pixel colours inside a cell, its one-pixel border left out.
std::set<QRgb> CellColours(TColorGrid& grid, int cell) {
    const QImage image = grid.grab().toImage();
    std::set<QRgb> colours;
    const QRect inner = grid.CellRect(cell).adjusted(1, 1, -1, -1);
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        for (int x = inner.left(); x <= inner.right(); ++x) {
            colours.insert(image.pixel(x, y) | 0xFF000000);
        }
    }
    return colours;
}

TEST(ColorGrid, BothMarksAreDrawnAndUnmarkedCellsAreFlat) {
    TColorGrid grid;
    grid.resize(120, 88);
    grid.SetForegroundColor(0x800000); // navy, cell 4
    grid.SetBackgroundColor(0x00FFFF); // yellow, cell 11
    const std::set<QRgb> navy = CellColours(grid, 4);
    const std::set<QRgb> yellow = CellColours(grid, 11);
    EXPECT_TRUE(navy.count(qRgb(255, 255, 255))) << "light mark on a dark cell";
    EXPECT_TRUE(yellow.count(qRgb(0, 0, 0))) << "dark mark on a light cell";
    EXPECT_EQ(CellColours(grid, 9), std::set<QRgb>{qRgb(255, 0, 0)}); // red, unmarked
    // Both marks in one cell still show, and the cell they left is plain again.
    grid.SetBackgroundColor(0x800000);
    EXPECT_EQ(CellColours(grid, 11), std::set<QRgb>{qRgb(255, 255, 0)});
    EXPECT_GT(CellColours(grid, 4).size(), 1u);
}

} // namespace
} // namespace qs
