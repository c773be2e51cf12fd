// Prints the syntax editor's text through QScintilla's printer: the highlighted body page
// by page, with the page setup's header and footer on every page.
#pragma once

#include "app/PrintLayout.h"

#include <Qsci/qsciprinter.h>

#include <QString>

#include <vector>

namespace qs {

class TSyntaxEditor;

class TSyntaxPrinter : public QsciPrinter {
public:
    explicit TSyntaxPrinter(TPageSetup setup);

    // Sizes every page first and then draws them, so that $PAGECOUNT$ is known on the
    // first page. An empty text prints one page with its header and footer.
    int printRange(QsciScintillaBase* qsb, QPainter& painter, int from = -1, int to = -1) override;
    using QsciPrinter::printRange;
    void formatPage(QPainter& painter, bool drawing, QRect& area, int pagenr) override;

    int PageCount() const { return m_pageCount; }

private:
    TPageGeometry Geometry(QPainter& painter, int pagenr) const;

    TPageSetup m_setup;
    TPrintMacros m_macros;
    int m_pageCount = 0;
};

struct PrintOutcome {
    bool printed = false;
    QString error; // why nothing was printed
    int pages = 0;
};

// Prints all of the editor's text, one copy, without a dialog: on the default printer, or
// into the PDF file `pdfFile` when one is given.
PrintOutcome PrintSyntax(TSyntaxEditor& editor, const TPageSetup& setup,
                         const QString& pdfFile = {});

} // namespace qs
