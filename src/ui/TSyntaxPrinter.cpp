#include "ui/TSyntaxPrinter.h"

#include "ui/TSyntaxEditor.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinterInfo>

#include <algorithm>
#include <ctime>

namespace qs {

namespace {

QFont PrintFont(const TPrintFont& wanted) {
    QFont font(QString::fromStdString(wanted.family));
    font.setPointSizeF(wanted.pointSize);
    return font;
}

} // namespace

TSyntaxPrinter::TSyntaxPrinter(TPageSetup setup)
    : QsciPrinter(QPrinter::HighResolution), m_setup(std::move(setup)) {
    // Margins count from the paper's edges, not from what the printer can reach.
    setFullPage(true);
    setCopyCount(m_setup.copies);
    setDocName(QString::fromStdString(m_setup.title));
    // One date and time for every page of the print.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    m_macros.title = m_setup.title;
    m_macros.date = FormatPrintDate(local);
    m_macros.time = FormatPrintTime(local);
}

TPageGeometry TSyntaxPrinter::Geometry(QPainter& painter, int pagenr) const {
    TPrintMacros macros = m_macros;
    macros.pageNumber = pagenr;
    macros.pageCount = m_pageCount;
    const double unitsPerMm = resolution() / 25.4;
    return LayOutPage(width(), height(), unitsPerMm, m_setup, [&](bool footer, std::size_t i) {
        const THeaderFooterItem& item = (footer ? m_setup.footer : m_setup.header)[i];
        const QFontMetricsF metrics(PrintFont(item.font), painter.device());
        const QString text = QString::fromStdString(ExpandPrintMacros(item.text, macros));
        return TTextExtent{metrics.horizontalAdvance(text), metrics.ascent(), metrics.descent()};
    });
}

void TSyntaxPrinter::formatPage(QPainter& painter, bool drawing, QRect& area, int pagenr) {
    const TPageGeometry page = Geometry(painter, pagenr);
    area =
        QRectF(QPointF(page.body.left, page.body.top), QPointF(page.body.right, page.body.bottom))
            .toAlignedRect()
            .intersected(area);
    if (!drawing) {
        return;
    }
    TPrintMacros macros = m_macros;
    macros.pageNumber = pagenr;
    macros.pageCount = m_pageCount;
    painter.save();
    painter.setPen(Qt::black);
    const auto draw = [&](const std::vector<THeaderFooterItem>& items,
                          const std::vector<TPlacedItem>& placed) {
        for (const TPlacedItem& p : placed) {
            const THeaderFooterItem& item = items[p.index];
            const QFont font = PrintFont(item.font);
            QString text = QString::fromStdString(ExpandPrintMacros(item.text, macros));
            if (p.maxWidth >= 0) {
                // A long path keeps its beginning and its file name.
                text = QFontMetricsF(font, painter.device())
                           .elidedText(text, Qt::ElideMiddle, p.maxWidth);
            }
            painter.setFont(font);
            painter.drawText(QPointF(p.x, p.baseline), text);
        }
    };
    draw(m_setup.header, page.header);
    draw(m_setup.footer, page.footer);
    painter.restore();
}

int TSyntaxPrinter::printRange(QsciScintillaBase* qsb, QPainter& painter, int from, int to) {
    if (qsb == nullptr) {
        return false;
    }
    const QRect paper(0, 0, width(), height());
    long start = from > 0 ? qsb->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, from) : 0;
    long end = qsb->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    if (to >= 0) {
        const long lineEnd = qsb->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, to + 1);
        if (lineEnd >= 0 && lineEnd < end) {
            end = lineEnd;
        }
    }
    start = std::min(std::max(start, 0L), end);
    qsb->SendScintilla(QsciScintillaBase::SCI_SETPRINTMAGNIFICATION, magnification());
    qsb->SendScintilla(QsciScintillaBase::SCI_SETPRINTWRAPMODE, wrapMode());
    qsb->SendScintilla(QsciScintillaBase::SCI_SETPRINTCOLOURMODE,
                       QsciScintillaBase::SC_PRINT_COLOURONWHITE);

    // Sizing: where each page starts. The header's width does not depend on the page
    // count, so the body areas found here are the ones drawn below.
    m_pageCount = 0;
    std::vector<long> pageStarts;
    long pos = start;
    do {
        pageStarts.push_back(pos);
        QRect area = paper;
        formatPage(painter, false, area, static_cast<int>(pageStarts.size()));
        if (pos >= end) {
            break;
        }
        const long next =
            qsb->SendScintilla(QsciScintillaBase::SCI_FORMATRANGE, false, &painter, area, pos, end);
        if (next <= pos) {
            return false; // not even one line fits on a page
        }
        pos = next;
    } while (pos < end);
    m_pageCount = static_cast<int>(pageStarts.size());

    for (int page = 1; page <= m_pageCount; ++page) {
        if (page > 1 && !newPage()) {
            return false;
        }
        QRect area = paper;
        formatPage(painter, true, area, page);
        const long first = pageStarts[static_cast<std::size_t>(page - 1)];
        if (first < end) {
            qsb->SendScintilla(QsciScintillaBase::SCI_FORMATRANGE, true, &painter, area, first,
                               end);
        }
    }
    return true;
}

PrintOutcome PrintSyntax(TSyntaxEditor& editor, const TPageSetup& setup, const QString& pdfFile) {
    TSyntaxPrinter printer(setup);
    if (pdfFile.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            return {false, "The document was not printed: there is no default printer.", 0};
        }
        printer.setPrinterName(info.printerName());
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return {false, "The document was not printed: the printer could not be started.", 0};
    }
    // The body is the text alone; the line numbers belong to the screen.
    const int numberWidth = editor.marginWidth(0);
    editor.setMarginWidth(0, 0);
    const bool printed = printer.printRange(&editor, painter) != 0;
    editor.setMarginWidth(0, numberWidth);
    const bool finished = painter.end();
    if (!printed || !finished) {
        return {false, "The document could not be printed.", 0};
    }
    return {true, {}, printer.PageCount()};
}

} // namespace qs
