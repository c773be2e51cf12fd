// The main window's commands: actions with their captions, keys and hints, the menus in
// their order, and the toolbar.
#include "about/forms/About.h"
#include "app/find/FindReplace.h"
#include "app/forms/TFMain.h"
#include "highlight/forms/ImportLangDef.h"
#include "ui/TSyntaxEditor.h"

#include <QApplication>
#include <QIcon>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace qs {

namespace {

QIcon Icon(const char* themeName, QStyle::StandardPixmap fallback = QStyle::SP_CustomBase) {
    // One monochrome family looks calmer on a toolbar than a mix of old and new icons.
    QIcon icon = QIcon::fromTheme(QString(themeName) + "-symbolic");
    if (icon.isNull()) {
        icon = QIcon::fromTheme(themeName);
    }
    if (icon.isNull() && fallback != QStyle::SP_CustomBase) {
        icon = QApplication::style()->standardIcon(fallback);
    }
    return icon;
}

} // namespace

void TFMain::CreateActions() {
    // Desktops without an icon theme of their own still get the common one.
    QIcon::setFallbackThemeName("Adwaita");
    const auto make = [this](QAction*& action, const char* name, const QString& caption,
                             const QString& shortcut, const QString& hint, const QIcon& icon,
                             auto handler) {
        action = new QAction(icon, caption, this);
        action->setObjectName(name);
        if (!shortcut.isEmpty()) {
            action->setShortcut(QKeySequence(shortcut));
        }
        action->setToolTip(hint);
        action->setStatusTip(hint);
        connect(action, &QAction::triggered, this, [this, handler] { RunCommand(handler); });
    };
    make(actNew, "actNew", "Syntax", "Ctrl+N", "New syntaxfile",
         Icon("document-new", QStyle::SP_FileIcon), [this] { actNewExecute(); });
    make(actOpen, "actOpen", "Syntax...", "", "Open syntaxfile",
         Icon("document-open", QStyle::SP_DialogOpenButton), [this] { actOpenExecute(); });
    make(actSave, "actSave", "Save", "Ctrl+S", "Save syntaxfile",
         Icon("document-save", QStyle::SP_DialogSaveButton), [this] { actSaveExecute(); });
    make(actPrint, "actPrint", "Print...", "Ctrl+P", "Print", Icon("document-print"),
         [this] { actPrintExecute(); });
    make(actUndo, "actUndo", "Undo", "", "Undo", Icon("edit-undo", QStyle::SP_ArrowBack),
         [this] { actUndoExecute(); });
    make(actRedo, "actRedo", "Redo", "", "Redo", Icon("edit-redo", QStyle::SP_ArrowForward),
         [this] { actRedoExecute(); });
    make(actCut, "actCut", "Cut", "Ctrl+X", "Cut ", Icon("edit-cut"), [this] { actCutExecute(); });
    make(actCopy, "actCopy", "Copy", "Ctrl+C", "Copy", Icon("edit-copy"),
         [this] { actCopyExecute(); });
    make(actPaste, "actPaste", "Paste", "Ctrl+V", "Paste", Icon("edit-paste"),
         [this] { actPasteExecute(); });
    make(actDelete, "actDelete", "Delete", "Del", "Delete",
         Icon("edit-delete", QStyle::SP_DialogDiscardButton), [this] { actDeleteExecute(); });
    make(actFind, "actFind", "Find", "Ctrl+F", "Find", Icon("edit-find"),
         [this] { m_findReplace->OpenFindDialog(false); });
    make(actFindP, "actFindP", "Find Prev", "F2", "Find previous", QIcon(),
         [this] { m_findReplace->RunFind(false, true); });
    make(actFindN, "actFindN", "Find next", "F3", "Find next", QIcon(),
         [this] { m_findReplace->RunFind(false, false); });
    make(actReplace, "actReplace", "Replace", "F4", "Replace", Icon("edit-find-replace"),
         [this] { m_findReplace->OpenFindDialog(true); });
    make(actRun, "actRun", "Selection", "F9", "Run syntax",
         Icon("media-playback-start", QStyle::SP_MediaPlay), [this] { actRunExecute(); });
    make(actRunCommand, "actRunCommand", "Current command", "Ctrl+R", "Run the command at the caret",
         Icon("media-skip-forward", QStyle::SP_MediaSkipForward),
         [this] { actRunCommandExecute(); });
    make(actStop, "actStop", "Stop", "Ctrl+Break", "Stop the run",
         Icon("process-stop", QStyle::SP_BrowserStop), [this] { actStopExecute(); });
    // X11 reports Ctrl+Break as Ctrl+Pause on most keyboards.
    actStop->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Pause),
                           QKeySequence(Qt::CTRL | Qt::Key_Cancel)});
    actStop->setEnabled(false);
    make(actNextError, "actNextError", "Next error", "F8", "Go to the next line with a message",
         QIcon(), [this] { actNextErrorExecute(); });
    make(actPrevError, "actPrevError", "Previous error", "Shift+F8",
         "Go to the previous line with a message", QIcon(), [this] { actPrevErrorExecute(); });
    make(actRefreshDatafile, "actRefreshDatafile", "Refresh datafile objects", "F5",
         "Refresh datafile objects", Icon("view-refresh", QStyle::SP_BrowserReload),
         [this] { actRefreshDatafileExecute(); });
    make(actStyle, "actStyle", "Style...", "", "Settings", QIcon(), [this] { actStyleExecute(); });
    make(actSearchWordHelp, "actSearchWordHelp", "SearchWordInHelp", "F1", "", QIcon(),
         [this] { actSearchWordHelpExecute(); });
    addAction(actSearchWordHelp);
    make(actGotoLine, "actGotoLine", "Go to line...", "Ctrl+G", "Go to line", QIcon(),
         [this] { actGotoLineExecute(); });
    // Ctrl+= is the unshifted key under + on many keyboards.
    make(actZoomIn, "actZoomIn", "Zoom in", "Ctrl++", "Zoom in", QIcon(),
         [this] { SynEdit->zoomIn(); });
    actZoomIn->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
    make(actZoomOut, "actZoomOut", "Zoom out", "Ctrl+-", "Zoom out", QIcon(),
         [this] { SynEdit->zoomOut(); });
    addActions({actZoomIn, actZoomOut});
    CreateEditorActions();
}

void TFMain::CreateMenus() {
    const auto item = [this](QMenu* menu, QAction*& action, const char* name,
                             const QString& caption, auto handler) {
        action = menu->addAction(caption, this, [this, handler] { RunCommand(handler); });
        action->setObjectName(name);
    };
    mnuFile = menuBar()->addMenu("&File");
    mnuNew = mnuFile->addMenu("New");
    item(mnuNew, mnuNewData, "mnuNewData", "Data", [this] { mnuNewDataClick(); });
    mnuNew->addAction(actNew);
    mnuOpen = mnuFile->addMenu("Open");
    item(mnuOpen, mnuOpenData, "mnuOpenData", "Data...", [this] { mnuOpenDataClick(); });
    mnuOpen->addAction(actOpen);
    mnuReopen = mnuFile->addMenu("Reopen");
    mnuReopen->menuAction()->setEnabled(false);
    mnuFile->addSeparator();
    mnuFile->addAction(actSave);
    item(mnuFile, mnuSaveAs, "mnuSaveAs", "Save As...", [this] { mnuSaveAsClick(); });
    item(mnuFile, mnuClose, "mnuClose", "Close", [this] { mnuCloseClick(); });
    mnuFile->addSeparator();
    // The menu item has a state of its own; the action (and its button) stay enabled.
    // Ctrl+P is shown here but stays the action's, so the key works in either state.
    mnuPrint = mnuFile->addAction(actPrint->text() + "\tCtrl+P");
    mnuPrint->setObjectName("mnuPrint");
    connect(mnuPrint, &QAction::triggered, actPrint, &QAction::trigger);
    mnuFile->addSeparator();
    item(mnuFile, mnuExit, "mnuExit", "Exit", [this] { mnuExitClick(); });
    mnuExit->setShortcut(QKeySequence("Ctrl+Q"));

    mnuEdit = menuBar()->addMenu("&Edit");
    mnuEdit->addActions({actUndo, actRedo});
    mnuEdit->addSeparator();
    mnuEdit->addActions({actCut, actCopy, actPaste, actDelete});
    mnuEdit->addSeparator();
    mnuEdit->addActions({actFind, actFindP, actFindN, actReplace, actGotoLine});
    CreateViewMenu();

    mnuRun = menuBar()->addMenu("&Run");
    item(mnuRun, mnuAll, "mnuAll", "All", [this] { mnuAllClick(); });
    mnuRun->addAction(actRun);
    mnuRun->addAction(actRunCommand);
    mnuRun->addAction(actStop);
    mnuRun->addSeparator();
    mnuRun->addAction(actRefreshDatafile);
    mnuRun->addSeparator();
    mnuRun->addActions({actNextError, actPrevError});

    mnuSettings = menuBar()->addMenu("&Settings");
    mnuSettings->addAction(actStyle);
    item(mnuSettings, mnuEnvironment, "mnuEnvironment", "Environment...",
         [this] { mnuEnvironmentClick(); });
    item(mnuSettings, mnuLoadLanguageDef, "mnuLoadLanguageDef", "Import language definition...",
         [this] {
             TfrmImportLanguageDef dialog(this);
             dialog.exec();
         });

    mnuHelp = menuBar()->addMenu("&Help");
    CreateHelpMenu();
    mnuHelp->addSeparator();
    item(mnuHelp, mnuAbout, "mnuAbout", "About", [this] {
        TfrmAbout dialog(this);
        dialog.exec();
    });

    // At creation, as the window's resources have them.
    actSave->setEnabled(false);
    mnuSaveAs->setEnabled(false);
    mnuClose->setEnabled(false);
    mnuPrint->setEnabled(false);
}

void TFMain::CreateToolBar() {
    ToolBar = addToolBar("Toolbar");
    ToolBar->setObjectName("ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->addActions({actNew, actOpen, actSave, actPrint});
    ToolBar->addSeparator();
    ToolBar->addActions({actUndo, actRedo});
    ToolBar->addSeparator();
    ToolBar->addActions({actCut, actCopy, actPaste, actDelete});
    ToolBar->addSeparator();
    ToolBar->addAction(actFind);
    ToolBar->addSeparator();
    ToolBar->addAction(actRefreshDatafile);
    ToolBar->addSeparator();
    ToolBar->addActions({actRun, actRunCommand, actStop});
}

} // namespace qs
