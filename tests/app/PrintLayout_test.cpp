// The printed page's setup, macros and geometry, without a printer.
#include "app/PrintLayout.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

struct MacroCase {
    const char* name;
    const char* text;
    const char* expected;
};

class PrintMacros : public ::testing::TestWithParam<MacroCase> {};

TEST_P(PrintMacros, Expand) {
    TPrintMacros macros;
    macros.pageNumber = 3;
    macros.pageCount = 12;
    macros.title = "/home/ann/job $DATE$.sps";
    macros.date = "2026-12-09";
    macros.time = "04:05";
    EXPECT_EQ(ExpandPrintMacros(GetParam().text, macros), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrintMacros,
    ::testing::Values(MacroCase{"PageOfCount", "Page: $PAGENUM$ of $PAGECOUNT$", "Page: 3 of 12"},
                      MacroCase{"Fraction", "$PAGENUM$/$PAGECOUNT$", "3/12"},
                      MacroCase{"TitleIsNotExpandedAgain", "$TITLE$", "/home/ann/job $DATE$.sps"},
                      MacroCase{"DateAndTime", "Print Date: $DATE$. Time: $TIME$",
                                "Print Date: 2026-12-09. Time: 04:05"},
                      MacroCase{"Repeated", "$PAGENUM$$PAGENUM$", "33"},
                      MacroCase{"UnknownAndLoneDollarsStay", "$ $PAGE$ $pagenum$ 5$",
                                "$ $PAGE$ $pagenum$ 5$"},
                      MacroCase{"UnclosedMacroStays", "x $PAGENUM", "x $PAGENUM"},
                      MacroCase{"Empty", "", ""},
                      MacroCase{"NoMacro", "Printed by Quillstone", "Printed by Quillstone"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PrintDateTime, ArePaddedAndFixed) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 0;
    when.tm_mday = 5;
    when.tm_hour = 7;
    when.tm_min = 3;
    EXPECT_EQ(FormatPrintDate(when), "2026-01-05");
    EXPECT_EQ(FormatPrintTime(when), "07:03");
}

TEST(SyntaxPageSetup, HoldsTheSixItemsWithTheirLinesAlignmentsAndFonts) {
    const TPageSetup setup = SyntaxPageSetup("/d/job.sps");
    EXPECT_EQ(setup.title, "/d/job.sps");
    EXPECT_EQ(setup.copies, 1);
    EXPECT_EQ(setup.headerFont.family, "Arial");
    EXPECT_EQ(setup.headerFont.pointSize, 10);
    const auto row = [](const THeaderFooterItem& i) {
        const char* align = i.alignment == THFAlignment::Left ? "left" : "right";
        return std::to_string(i.line) + " " + align + " " + i.font.family + " " +
               std::to_string(static_cast<int>(i.font.pointSize)) + " " + i.text;
    };
    std::vector<std::string> header;
    for (const auto& item : setup.header) {
        header.push_back(row(item));
    }
    EXPECT_EQ(header, (std::vector<std::string>{
                          "1 left Arial 10 Filename: /d/job.sps",
                          "1 right Arial 10 Page: $PAGENUM$ of $PAGECOUNT$",
                          "2 left Arial 10 $TITLE$",
                          "2 right Arial 6 Print Date: $DATE$. Time: $TIME$",
                      }));
    std::vector<std::string> footer;
    for (const auto& item : setup.footer) {
        footer.push_back(row(item));
    }
    EXPECT_EQ(footer, (std::vector<std::string>{
                          "1 right Arial 10 $PAGENUM$/$PAGECOUNT$",
                          "1 left Arial 6 Printed by Quillstone, developed by Marrowgate",
                      }));
    const TPrintMargins& m = setup.margins;
    EXPECT_EQ((std::vector<double>{m.left, m.right, m.top, m.bottom, m.header, m.footer,
                                   m.textIndent, m.internalMargin}),
              (std::vector<double>{25, 15, 25, 25, 15, 15, 2, 0.5}));
}

TEST(SyntaxPageSetup, UntitledPrintsTheCaptionAlone) {
    EXPECT_EQ(SyntaxPageSetup("").header.front().text, "Filename: ");
}

// A page of 210 x 297 units at one unit per millimetre; each item's text is as wide as
// its font is large, 4 up and 1 down for 10 points and half that for 6.
TPageGeometry LayOut(const TPageSetup& setup) {
    return LayOutPage(210, 297, 1, setup, [&](bool footer, std::size_t i) {
        const double size = (footer ? setup.footer : setup.header)[i].font.pointSize;
        return TTextExtent{size, size >= 10 ? 4.0 : 2.0, size >= 10 ? 1.0 : 0.5};
    });
}

TEST(PageGeometry, ItemsSitOnTheirLinesInsideTheIndentedMargins) {
    const TPageGeometry page = LayOut(SyntaxPageSetup("x"));
    ASSERT_EQ(page.header.size(), 4u);
    ASSERT_EQ(page.footer.size(), 2u);
    // Header from 15 mm down: line 1 baseline at 15 + 4, line 2 at 20 + 4.
    const auto at = [](const std::vector<TPlacedItem>& items, std::size_t index) {
        for (const TPlacedItem& p : items) {
            if (p.index == index) {
                return p;
            }
        }
        ADD_FAILURE() << "item " << index << " not placed";
        return TPlacedItem{};
    };
    EXPECT_DOUBLE_EQ(at(page.header, 0).x, 27); // left margin + indent
    EXPECT_DOUBLE_EQ(at(page.header, 0).baseline, 19);
    EXPECT_DOUBLE_EQ(at(page.header, 1).x, 193 - 10); // right edge - indent - width
    EXPECT_DOUBLE_EQ(at(page.header, 1).baseline, 19);
    EXPECT_DOUBLE_EQ(at(page.header, 2).baseline, 24);
    EXPECT_DOUBLE_EQ(at(page.header, 3).baseline, 24); // the small item shares the line
    EXPECT_DOUBLE_EQ(at(page.header, 3).x, 193 - 6);
    // The footer's one line ends 15 mm above the paper's bottom.
    EXPECT_DOUBLE_EQ(at(page.footer, 0).baseline, 297 - 15 - 1);
    EXPECT_DOUBLE_EQ(at(page.footer, 1).baseline, 297 - 15 - 1);
    EXPECT_DOUBLE_EQ(at(page.footer, 1).x, 27);
    // The header ends at 25, so the body keeps its 25 mm margins.
    EXPECT_DOUBLE_EQ(page.body.left, 25);
    EXPECT_DOUBLE_EQ(page.body.right, 195);
    EXPECT_DOUBLE_EQ(page.body.top, 25.5);
    EXPECT_DOUBLE_EQ(page.body.bottom, 272);
}

TEST(PageGeometry, BodyGivesWayToAHeaderOrFooterThatOutgrowsItsMargin) {
    TPageSetup setup = SyntaxPageSetup("x");
    for (int line = 3; line <= 5; ++line) {
        setup.header.push_back({"more", line, THFAlignment::Center, setup.headerFont});
        setup.footer.push_back({"more", line, THFAlignment::Center, setup.footerFont});
    }
    const TPageGeometry page = LayOut(setup);
    // Five header lines of 5 from 15 end at 40. The footer has no line 2, which takes
    // no room: four lines end at 282 and begin at 262.
    EXPECT_DOUBLE_EQ(page.body.top, 40.5);
    EXPECT_DOUBLE_EQ(page.body.bottom, 261.5);
    const TPlacedItem& centred = page.header.back();
    EXPECT_DOUBLE_EQ(centred.x, (27 + 193 - 10) / 2.0);
}

TEST(PageGeometry, ALongLeftItemStopsBeforeTheItemsBesideIt) {
    const TPageSetup setup = SyntaxPageSetup("x");
    // Left items 160 wide from 27; right items as wide as their point size, ending at 193.
    const TPageGeometry page = LayOutPage(210, 297, 1, setup, [&](bool footer, std::size_t i) {
        const THeaderFooterItem& item = (footer ? setup.footer : setup.header)[i];
        const double width = item.alignment == THFAlignment::Left ? 160 : item.font.pointSize;
        return TTextExtent{width, 4, 1};
    });
    const auto limits = [](const std::vector<TPlacedItem>& placed) {
        std::vector<double> out(placed.size());
        for (const TPlacedItem& p : placed) {
            out[p.index] = p.maxWidth;
        }
        return out;
    };
    // Each stops one indent (2) before the right item: 183 - 2 - 27 and 187 - 2 - 27.
    EXPECT_EQ(limits(page.header), (std::vector<double>{154, -1, 158, -1}));
    EXPECT_EQ(limits(page.footer), (std::vector<double>{-1, 154}));
    // Short items keep their whole text.
    const TPageGeometry normal = LayOut(setup);
    EXPECT_EQ(limits(normal.header), (std::vector<double>{-1, -1, -1, -1}));
}

TEST(PageGeometry, WithoutHeaderOrFooterTheBodyKeepsItsMargins) {
    TPageSetup setup;
    const TPageGeometry page = LayOut(setup);
    EXPECT_DOUBLE_EQ(page.body.top, 25);
    EXPECT_DOUBLE_EQ(page.body.bottom, 272);
    EXPECT_TRUE(page.header.empty());
}

} // namespace
} // namespace qs
