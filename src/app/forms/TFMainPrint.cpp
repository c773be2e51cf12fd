// The main window's Print command: the whole document on the default printer.
#include "app/PrintLayout.h"
#include "app/forms/TFMain.h"
#include "ui/TSyntaxPrinter.h"

#include <stdexcept>

namespace qs {

void TFMain::actPrintExecute() {
    // The setup is made anew for every print, with the name the document has now.
    const TPageSetup setup = SyntaxPageSetup(FileName().toStdString());
    const PrintOutcome outcome = PrintSyntax(*SynEdit, setup, m_printFile);
    if (!outcome.printed) {
        throw std::runtime_error(outcome.error.toStdString());
    }
    SetStatus("Document printed", 0);
}

} // namespace qs
