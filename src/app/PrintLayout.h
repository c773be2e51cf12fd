// The printed page of a syntax document: margins, the header and footer items with their
// macros, and where items and body go on a page. Plain values, so that the layout can be
// checked without a printer; the printer in ui/ measures the texts and draws.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

enum class THFAlignment { Left, Center, Right };

struct TPrintFont {
    std::string family = "Arial";
    double pointSize = 10;
};

// One text of a header or footer line. Lines are numbered from 1, top to bottom.
struct THeaderFooterItem {
    std::string text; // may hold macros
    int line = 1;
    THFAlignment alignment = THFAlignment::Left;
    TPrintFont font;
};

// Millimetres.
struct TPrintMargins {
    double left = 25, right = 15, top = 25, bottom = 25;
    double header = 15, footer = 15; // paper edge to the header's top, the footer's bottom
    double textIndent = 2;           // header and footer text inside the body's left/right
    double internalMargin = 0.5;     // between header or footer and the body
};

struct TPageSetup {
    TPrintMargins margins;
    TPrintFont headerFont;
    TPrintFont footerFont;
    std::vector<THeaderFooterItem> header;
    std::vector<THeaderFooterItem> footer;
    std::string title; // the document title: $TITLE$, and the print job's name
    int copies = 1;
};

// The page setup of every print of the syntax document named `fileName` (empty when the
// document has none): built afresh each time, so no item is ever left over or doubled.
TPageSetup SyntaxPageSetup(const std::string& fileName);

struct TPrintMacros {
    int pageNumber = 1;
    int pageCount = 1;
    std::string title;
    std::string date;
    std::string time;
};

// Replaces $PAGENUM$, $PAGECOUNT$, $TITLE$, $DATE$ and $TIME$; anything else stays as it
// is. Values are not expanded again, so a title holding "$DATE$" prints as it is.
std::string ExpandPrintMacros(std::string_view text, const TPrintMacros& macros);
// The print date as 2026-12-09 and time as 14:05, the same on every page of a print.
std::string FormatPrintDate(const std::tm& when);
std::string FormatPrintTime(const std::tm& when);

// Page geometry, in the printer's units from the paper's top-left corner.
struct TBox {
    double left = 0, top = 0, right = 0, bottom = 0;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
};

struct TTextExtent {
    double width = 0;
    double ascent = 0;
    double descent = 0;
};

struct TPlacedItem {
    std::size_t index = 0; // into the band's items
    double x = 0;          // left end of the text
    double baseline = 0;
    double maxWidth = -1; // when not negative, the text is shortened to this width
};

struct TPageGeometry {
    TBox body;
    std::vector<TPlacedItem> header;
    std::vector<TPlacedItem> footer;
};

// Places the header and footer items and gives the body what is left between them.
// `extent` measures one item's expanded text in its font; `unitsPerMm` converts the
// margins. Items on one line share the line's baseline; a line is as high as its
// highest item. A left item that would run into a later item on its line (a long path)
// gets a maxWidth that ends one text indent before it. The body never overlaps a header
// or footer that outgrows its margin.
TPageGeometry LayOutPage(double paperWidth, double paperHeight, double unitsPerMm,
                         const TPageSetup& setup,
                         const std::function<TTextExtent(bool footer, std::size_t index)>& extent);

} // namespace qs
