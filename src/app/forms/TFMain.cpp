#include "app/forms/TFMain.h"

#include "app/find/FindReplace.h"
#include "app/forms/RecentFilesMenu.h"
#include "app/startup.h"
#include "datafile/TSPSSVL.h"
#include "highlight/HighlighterStyles.h"
#include "highlight/SynHighlighterSPSS.h"
#include "highlight/forms/SPSSHighlighterStyleDialog.h"
#include "platform/shell/Shell.h"
#include "settings/Environment.h"
#include "ui/TApplication.h"
#include "ui/TSyntaxEditor.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace qs {

TFMain::TFMain(std::shared_ptr<RegistryBackend> registry, std::unique_ptr<TQuillstone> appObject,
               const std::vector<std::string>& arguments, QWidget* parent)
    : QMainWindow(parent), m_registry(std::move(registry)), m_appObject(std::move(appObject)) {
    setObjectName("FMain");
    setWindowTitle("Quillstone");
    resize(782, 496);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    m_launcher = [this](const std::vector<std::string>& args) { StartProgram(args); };
    FormCreate(arguments);
}

TFMain::~TFMain() {
    FormDestroy();
    if (QApplication::instance() != nullptr) {
        qApp->removeEventFilter(this);
    }
}

void TFMain::FormCreate(const std::vector<std::string>& arguments) {
    // 1. The application object first: everything after may use it.
    if (!m_appObject) {
        m_appObject = std::make_unique<TQuillstone>();
    }
    m_appObject->RegistryKey = kSettingsKey;
    m_appObject->ShowMessage = [this](const std::string& message) {
        ui::Dialogs().ShowMessage(this, QString::fromStdString(message));
    };
    m_highlighter = std::make_unique<TSynSPSSHighlighter>();
    SPSSDatafile = std::make_unique<TSPSSDatafile>();
    m_highlighter->SymbolAttri().SetForeground(0x800000); // navy
    SPSSHighlighterStyleDialog = new TSPSSHighlighterStyleDialog(this);
    SPSSHighlighterStyleDialog->SetHighlighter(m_highlighter.get());
    m_highlighter->SetVariables({"a", "inv", ""});

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateClientArea();
    CreateStatusBar();
    m_findReplace = std::make_unique<TFindReplace>(
        this, SynEdit, [this](const QString& text) { SetStatus(text, 0); }, nullptr);

    // 2. The stored styles; a missing or partial store keeps the defaults.
    LoadStyles(*m_highlighter, RootKey::CurrentUser, m_appObject->RegistryKey + "Style",
               m_registry);
    SynEdit->RefreshStyles();
    // 3.
    UpdateCommandStates();
    SetCaption(QString());
    // 5. and 6.
    LoadSettings();
    RestoreWindowState();
    m_recentFiles = new RecentFilesMenu(
        mnuFile, mnuReopen,
        [this](const std::string& path) {
            m_launcher({"/REOPEN", path});
        },
        m_registry);
    m_recentFiles->Load();
    UpdateCommandStates();
    // 7. A data or syntax file named on the command line, kept as the system's bytes.
    switch (StartFileKind(arguments)) {
    case TStartFile::DataFile:
        LoadDataFile(arguments.front());
        break;
    case TStartFile::SyntaxFile:
        OpenSyntaxFile(arguments.front());
        break;
    case TStartFile::None:
        break;
    }
    qApp->installEventFilter(this);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        m_clipboardHasText = mime != nullptr && mime->hasText();
        actPaste->setEnabled(m_clipboardHasText);
    });
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    m_clipboardHasText = mime != nullptr && mime->hasText();
    UpdateCommandStates();
    UpdateManualActions();
    // The first thing typed belongs in the text, not in the filter box above the tree.
    SynEdit->setFocus();
}

void TFMain::CreateClientArea() {
    tlObjectTree = new QTreeWidget;
    tlObjectTree->setObjectName("tlObjectTree");
    tlObjectTree->setColumnCount(1);
    tlObjectTree->setHeaderLabels({"Datafile objects"});
    tlObjectTree->header()->setStretchLastSection(false);
    tlObjectTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tlObjectTree->setSelectionBehavior(QAbstractItemView::SelectRows);
    tlObjectTree->setDragEnabled(true);
    tlObjectTree->setDragDropMode(QAbstractItemView::DragOnly);
    connect(tlObjectTree, &QTreeWidget::itemDoubleClicked, this,
            [this] { RunCommand([this] { tlObjectTreeDblClick(); }); });
    SynEdit = new TSyntaxEditor;
    SynEdit->setObjectName("SynEdit");
    SynEdit->SetHighlighter(m_highlighter.get());
    SynEdit->viewport()->installEventFilter(this);
    Splitter = new QSplitter(Qt::Horizontal);
    Splitter->setHandleWidth(3);
    Splitter->setChildrenCollapsible(false);
    Splitter->addWidget(CreateObjectPanel());
    Splitter->addWidget(SynEdit);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({137, 782 - 137 - 3});
    setCentralWidget(Splitter);
    // The single column fills the tree, after every move of the splitter too.
    const auto fitColumn = [this] { tlObjectTree->setColumnWidth(0, tlObjectTree->width() - 4); };
    connect(Splitter, &QSplitter::splitterMoved, this, fitColumn);
    fitColumn();

    connect(SynEdit, &TSyntaxEditor::UserChanged, this, &TFMain::SynEditChange);
    connect(SynEdit, &TSyntaxEditor::FocusEntered, this, &TFMain::SynEditEnter);
    connect(SynEdit, &TSyntaxEditor::UndoStateChanged, this, &TFMain::UpdateCommandStates);
    connect(SynEdit, &TSyntaxEditor::CaretMoved, this, &TFMain::ShowCaretStatus);
    CreateOutline();
}

void TFMain::CreateStatusBar() {
    m_statusPanels[0] = new QLabel;
    m_statusPanels[0]->setFixedWidth(300);
    m_statusPanels[1] = new QLabel("Datafile:");
    m_statusPanels[1]->setMinimumWidth(50);
    // Panel 2: the caret's line and column and the modified marker; panel 3: the
    // engine's error count for the last run.
    m_statusPanels[2] = new QLabel;
    m_statusPanels[2]->setMinimumWidth(120);
    m_statusPanels[3] = new QLabel;
    m_statusPanels[3]->setMinimumWidth(60);
    statusBar()->addWidget(m_statusPanels[0]);
    statusBar()->addWidget(m_statusPanels[1], 1);
    statusBar()->addWidget(m_statusPanels[2]);
    statusBar()->addWidget(m_statusPanels[3]);
    m_runPanel = new QLabel;
    m_runPanel->setObjectName("RunPanel");
    m_runPanel->hide();
    statusBar()->addPermanentWidget(m_runPanel);
    m_runTimer = new QTimer(this);
    m_runTimer->setInterval(250);
    connect(m_runTimer, &QTimer::timeout, this, [this] { UpdateRunClock(); });
}

void TFMain::SetCaption(const QString& text) {
    setWindowTitle("Quillstone - " + text);
}

void TFMain::SetStatus(const QString& text, int panel) {
    if (panel >= 0 && panel < kStatusPanels) {
        m_statusPanels[panel]->setText(text);
        m_statusPanels[panel]->setToolTip(text); // the panel may be too narrow for it
    }
}

QString TFMain::Status(int panel) const {
    return panel >= 0 && panel < kStatusPanels ? m_statusPanels[panel]->text() : QString();
}

QString TFMain::FileName() const {
    return DisplayPath(m_appObject->FileName);
}

QString TFMain::DataFileName() const {
    return DisplayPath(m_appObject->DataFileName);
}

void TFMain::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const ui::EAbort&) {
    } catch (const std::exception& e) {
        ui::Dialogs().Error(this, QString::fromUtf8(e.what()));
    }
}

void TFMain::UpdateCommandStates() {
    const bool hasText = !SynEdit->IsEmpty();
    actUndo->setEnabled(SynEdit->CanUndo());
    actRedo->setEnabled(SynEdit->CanRedo());
    actSave->setEnabled(m_modified);
    actRun->setEnabled(hasText);
    actRunCommand->setEnabled(hasText);
    actFind->setEnabled(hasText);
    mnuSaveAs->setEnabled(m_modified);
    mnuClose->setEnabled(m_modified);
    mnuPrint->setEnabled(hasText);
    mnuRun->menuAction()->setEnabled(hasText);
    mnuAll->setEnabled(hasText);
    actPaste->setEnabled(m_clipboardHasText);
    if (m_recentFiles != nullptr) {
        mnuReopen->menuAction()->setEnabled(!m_recentFiles->List().Items().empty());
    }
    ShowCaretStatus(); // the modified marker follows the state the commands show
}

std::optional<QString> TFMain::ExecuteOpenSyntaxDialog() {
    return ui::Dialogs().ChooseOpenFile(this, "Open syntax file", m_syntaxFolder,
                                        "SPSS Syntaxfile (*.sps)");
}

void TFMain::LoadSettings() {
    TRegistry reg(m_registry);
    const MainWindowSettings settings = ReadMainWindowSettings(reg, GetPersonalFolder());
    m_syntaxFolder = QString::fromStdString(settings.syntaxFolder);
    m_dataFolder = QString::fromStdString(settings.dataFolder);
    m_autoRefresh = settings.autoRefresh;
    for (const std::string& error : settings.errors) {
        ui::Dialogs().Warning(this, QString::fromStdString(error));
    }
    UpdateCommandStates();
}

void TFMain::StartProgram(const std::vector<std::string>& arguments) {
    StoreCascadedPlace();
    const StartResult started = qs::StartProgram(ProgramFilePath(), arguments);
    if (!started.ok) {
        ui::Dialogs().Warning(
            this, QString::fromStdString("Quillstone could not be started: " + started.error));
    }
}

void TFMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        RunCommand([this] { FormActivate(); });
    }
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
    if (SynEdit != nullptr && watched == SynEdit->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop) &&
        HandleTreeDrag(event)) {
        return true;
    }
    // A dialog or message box of ours closing hands the focus back to the window: the
    // refresh runs right then, inside the command that showed the box, so that what the
    // command does next (a status text, a queued data file) comes after it and stays.
    // A refresh shows no box of its own, so this starts no chain.
    if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType() &&
        m_shownOnce && isVisible()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && qobject_cast<QDialog*>(widget) != nullptr) {
            RunCommand([this] { RefreshDataFileObjects(); });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFMain::FormActivate() {
    // Only the first showing refreshes here; our own boxes refresh as they close, and
    // coming back from another program is no reason to ask the engine.
    if (m_shownOnce) {
        return;
    }
    m_shownOnce = true;
    RefreshDataFileObjects();
}

} // namespace qs
