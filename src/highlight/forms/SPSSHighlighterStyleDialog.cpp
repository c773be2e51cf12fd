// The style dialog component: the working copy and one run of the dialog.
#include "highlight/forms/SPSSHighlighterStyleDialog.h"

#include "highlight/SynHighlighterSPSS.h"
#include "highlight/forms/FSPSSHighlighterStyledialog.h"

#include <QWidget>

#include <stdexcept>

namespace qs {

TSPSSHighlighterStyleDialog::TSPSSHighlighterStyleDialog(QObject* owner)
    : QObject(owner), m_workingCopy(std::make_unique<TSynSPSSHighlighter>()) {
    setObjectName("SPSSHighlighterStyleDialog");
    // The sample text's MyVar, TestVar and Region show as variables.
    m_workingCopy->SetVariables(m_sampleVariables);
}

TSPSSHighlighterStyleDialog::~TSPSSHighlighterStyleDialog() = default;

void TSPSSHighlighterStyleDialog::SetHighlighter(TSynSPSSHighlighter* highlighter) {
    if (highlighter == nullptr) {
        throw std::runtime_error("Highlighter is not available!!!");
    }
    m_highlighter = highlighter;
    m_workingCopy->CopyStylesFrom(highlighter);
}

void TSPSSHighlighterStyleDialog::ShowDialog() {
    if (m_highlighter != nullptr) {
        m_workingCopy->CopyStylesFrom(m_highlighter);
    }
    // Over the owning window when there is one; destroyed when this run ends.
    auto dialog = std::make_unique<TSyntaxColorDlg>(qobject_cast<QWidget*>(parent()));
    dialog->setWindowTitle(m_caption);
    dialog->SetHighlighter(m_workingCopy.get());
    const int result = m_runner ? m_runner(*dialog) : dialog->exec();
    if (result == QDialog::Accepted && m_highlighter != nullptr) {
        m_highlighter->CopyStylesFrom(m_workingCopy.get());
    }
}

} // namespace qs
