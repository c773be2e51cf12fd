#include "app/PrintLayout.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <map>

namespace qs {

TPageSetup SyntaxPageSetup(const std::string& fileName) {
    TPageSetup setup;
    setup.title = fileName;
    TPrintFont headerSmall = setup.headerFont;
    headerSmall.pointSize = 6;
    TPrintFont footerSmall = setup.footerFont;
    footerSmall.pointSize = 6;
    setup.header = {
        {"Filename: " + fileName, 1, THFAlignment::Left, setup.headerFont},
        {"Page: $PAGENUM$ of $PAGECOUNT$", 1, THFAlignment::Right, setup.headerFont},
        {"$TITLE$", 2, THFAlignment::Left, setup.headerFont},
        {"Print Date: $DATE$. Time: $TIME$", 2, THFAlignment::Right, headerSmall},
    };
    setup.footer = {
        {"$PAGENUM$/$PAGECOUNT$", 1, THFAlignment::Right, setup.footerFont},
        {"Printed by Quillstone, developed by Marrowgate", 1, THFAlignment::Left, footerSmall},
    };
    return setup;
}

std::string ExpandPrintMacros(std::string_view text, const TPrintMacros& macros) {
    const std::pair<std::string_view, std::string> values[] = {
        {"$PAGENUM$", std::to_string(macros.pageNumber)},
        {"$PAGECOUNT$", std::to_string(macros.pageCount)},
        {"$TITLE$", macros.title},
        {"$DATE$", macros.date},
        {"$TIME$", macros.time},
    };
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        bool replaced = false;
        if (text[pos] == '$') {
            for (const auto& [name, value] : values) {
                if (text.substr(pos, name.size()) == name) {
                    out += value;
                    pos += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out += text[pos++];
        }
    }
    return out;
}

std::string FormatPrintDate(const std::tm& when) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", when.tm_year + 1900, when.tm_mon + 1,
                  when.tm_mday);
    return text;
}

std::string FormatPrintTime(const std::tm& when) {
    char text[24];
    std::snprintf(text, sizeof text, "%02d:%02d", when.tm_hour, when.tm_min);
    return text;
}

namespace {

// Keeps each left item of one line clear of the items that follow it on that line.
void ClipLeftItems(const std::vector<THeaderFooterItem>& items,
                   const std::vector<TTextExtent>& extents, double gap,
                   std::vector<TPlacedItem>::iterator first,
                   std::vector<TPlacedItem>::iterator last) {
    for (auto item = first; item != last; ++item) {
        if (items[item->index].alignment != THFAlignment::Left) {
            continue;
        }
        const double width = extents[static_cast<std::size_t>(item - first)].width;
        for (auto other = first; other != last; ++other) {
            if (other != item && items[other->index].alignment != THFAlignment::Left &&
                item->x + width > other->x - gap) {
                const double room = std::max(0.0, other->x - gap - item->x);
                item->maxWidth = item->maxWidth < 0 ? room : std::min(item->maxWidth, room);
            }
        }
    }
}

// Stacks a band's lines from `top` downwards; returns the band's bottom.
double PlaceBand(const std::vector<THeaderFooterItem>& items, bool footer, double top, double left,
                 double right, double gap,
                 const std::function<TTextExtent(bool, std::size_t)>& extent,
                 std::vector<TPlacedItem>& placed) {
    std::map<int, std::vector<std::size_t>> lines; // ordered by line number
    for (std::size_t i = 0; i < items.size(); ++i) {
        lines[items[i].line].push_back(i);
    }
    double y = top;
    for (const auto& [line, indexes] : lines) {
        std::vector<TTextExtent> extents;
        double ascent = 0;
        double descent = 0;
        for (std::size_t i : indexes) {
            extents.push_back(extent(footer, i));
            ascent = std::max(ascent, extents.back().ascent);
            descent = std::max(descent, extents.back().descent);
        }
        const double baseline = y + ascent;
        for (std::size_t k = 0; k < indexes.size(); ++k) {
            const double width = extents[k].width;
            double x = left;
            switch (items[indexes[k]].alignment) {
            case THFAlignment::Left:
                break;
            case THFAlignment::Center:
                x = (left + right - width) / 2;
                break;
            case THFAlignment::Right:
                x = right - width;
                break;
            }
            placed.push_back({indexes[k], x, baseline, -1});
        }
        ClipLeftItems(items, extents, gap,
                      placed.end() - static_cast<std::ptrdiff_t>(indexes.size()), placed.end());
        y = baseline + descent;
    }
    return y;
}

} // namespace

TPageGeometry LayOutPage(double paperWidth, double paperHeight, double unitsPerMm,
                         const TPageSetup& setup,
                         const std::function<TTextExtent(bool footer, std::size_t index)>& extent) {
    const TPrintMargins& m = setup.margins;
    TPageGeometry page;
    page.body = {m.left * unitsPerMm, m.top * unitsPerMm, paperWidth - m.right * unitsPerMm,
                 paperHeight - m.bottom * unitsPerMm};
    const double indent = m.textIndent * unitsPerMm;
    const double textLeft = page.body.left + indent;
    const double textRight = page.body.right - indent;
    const double gap = m.internalMargin * unitsPerMm;

    if (!setup.header.empty()) {
        const double bottom = PlaceBand(setup.header, false, m.header * unitsPerMm, textLeft,
                                        textRight, indent, extent, page.header);
        page.body.top = std::max(page.body.top, bottom + gap);
    }
    if (!setup.footer.empty()) {
        // Laid out from the top first, then moved so that its last line ends at the margin.
        const double height =
            PlaceBand(setup.footer, true, 0, textLeft, textRight, indent, extent, page.footer);
        const double top = paperHeight - m.footer * unitsPerMm - height;
        for (TPlacedItem& item : page.footer) {
            item.baseline += top;
        }
        page.body.bottom = std::min(page.body.bottom, top - gap);
    }
    return page;
}

} // namespace qs
