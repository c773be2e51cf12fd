// The editor's comforts in the main window's menus: toggling comments and the zoom.
#include "app/forms/TFMain.h"
#include "ui/TSyntaxEditor.h"

#include <QMenu>
#include <QMenuBar>

namespace qs {

void TFMain::CreateEditorActions() {
    actToggleComment = new QAction("Toggle comment", this);
    actToggleComment->setObjectName("actToggleComment");
    actToggleComment->setShortcut(QKeySequence("Ctrl+/"));
    actToggleComment->setStatusTip("Comment out the commands at the caret, or take the comment out");
    connect(actToggleComment, &QAction::triggered, this,
            [this] { RunCommand([this] { SynEdit->ToggleComment(); }); });
    // Ctrl+0 goes to bookmark 0 and Ctrl+Shift+0 sets it.
    actZoomNormal = new QAction("Normal size", this);
    actZoomNormal->setObjectName("actZoomNormal");
    actZoomNormal->setShortcut(QKeySequence("Ctrl+Alt+0"));
    connect(actZoomNormal, &QAction::triggered, this, [this] { SynEdit->zoomTo(0); });
    actZoomOut->setShortcuts({QKeySequence("Ctrl+-"),
                              QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Minus)});
    actZoomIn->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+="),
                             QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus)});
    addActions({actToggleComment, actZoomNormal});
}

void TFMain::CreateViewMenu() {
    // Among the editing commands, before Find.
    mnuEdit->insertAction(actFind, actToggleComment);
    mnuEdit->insertSeparator(actFind);
    mnuView = menuBar()->addMenu("&View");
    mnuView->addActions({actZoomIn, actZoomOut, actZoomNormal});
}

} // namespace qs
