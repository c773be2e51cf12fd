// The main window's outline pane: docked beside the text, shown or hidden from the View
// menu, outlined again as the text changes while it is shown.
#include "app/forms/SyntaxOutline.h"
#include "app/forms/TFMain.h"
#include "ui/TSyntaxEditor.h"

#include <QDockWidget>
#include <QMenuBar>

namespace qs {

void TFMain::CreateOutline() {
    m_outline = new SyntaxOutline;
    m_outline->SetSource([this] { return SynEdit->Text(); });
    dckOutline = new QDockWidget(tr("Outline"), this);
    dckOutline->setObjectName("dckOutline");
    dckOutline->setWidget(m_outline);
    dckOutline->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    addDockWidget(Qt::RightDockWidgetArea, dckOutline);
    dckOutline->hide();

    // The View menu may hold the zoom already.
    if (mnuView == nullptr) {
        mnuView = new QMenu(tr("&View"), this);
        menuBar()->insertMenu(mnuSettings->menuAction(), mnuView);
    } else {
        mnuView->addSeparator();
    }
    QAction* toggle = dckOutline->toggleViewAction();
    toggle->setText(tr("Outline"));
    toggle->setObjectName("actOutline");
    mnuView->addAction(toggle);

    connect(dckOutline, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown) {
            m_outline->TextChanged(true);
        }
    });
    // Any change, the user's or the program's (a file read, a replace): the control reports
    // only the notice before it, and the outline asks for the text after a pause anyway.
    connect(SynEdit, &QsciScintillaBase::SCN_MODIFIED, this, [this] {
        if (dckOutline->isVisible()) {
            m_outline->TextChanged();
        }
    });
    connect(SynEdit, &TSyntaxEditor::CaretMoved, this, [this] {
        if (dckOutline->isVisible()) {
            m_outline->FollowLine(static_cast<std::size_t>(SynEdit->CaretLineColumn().first + 1));
        }
    });
    connect(m_outline, &SyntaxOutline::LineChosen, this, [this](long line) {
        SynEdit->GotoLine(line - 1);
        SynEdit->setFocus();
    });
}

} // namespace qs
